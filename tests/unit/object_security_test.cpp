#include "platform/object_security.h"

#include <gtest/gtest.h>

namespace ravak {
namespace {

const std::u16string kUser = u"S-1-5-21-1-2-3-1001";

TEST(ObjectSecurityTest, DescriptorGrantsTheUserAndSystemAloneAndRefusesLowerLevels) {
  EXPECT_EQ(PrivateObjectSddl(kUser, kMediumIntegrity),
            u"O:S-1-5-21-1-2-3-1001D:P(A;;GA;;;S-1-5-21-1-2-3-1001)(A;;GA;;;SY)"
            u"S:(ML;;NWNR;;;S-1-16-8192)");
  EXPECT_TRUE(PrivateObjectSddl(kUser, kHighIntegrity).ends_with(u")S:(ML;;NWNR;;;S-1-16-12288)"));
}

TEST(ObjectSecurityTest, AnObjectFoundUnderTheNameIsUsedOnlyWhenProtectedAsOurs) {
  const ObjectSecurity ours{kUser, {kUser, u"S-1-5-18"}, kMediumIntegrity};
  EXPECT_TRUE(ProtectedAs(ours, ours));
  EXPECT_TRUE(ProtectedAs({kUser, {kUser}, kHighIntegrity}, ours));  // stricter: fine

  const ObjectSecurity squatted[] = {
      {u"", {}, std::nullopt},                              // made with no security
      {u"S-1-5-21-1-2-3-1002", {kUser}, kMediumIntegrity},  // another user's
      {kUser, {kUser, u"S-1-1-0"}, kMediumIntegrity},       // open to everyone
      {kUser, {kUser, u"S-1-5-18"}, 0x1000},                // made at low integrity
      {kUser, {kUser, u"S-1-5-18"}, std::nullopt},          // unlabelled: medium
  };
  for (const ObjectSecurity& other : squatted) {
    EXPECT_FALSE(ProtectedAs(other, ours)) << std::string(other.owner.begin(), other.owner.end());
  }
  // An elevated program does not take the record of one at medium integrity.
  EXPECT_FALSE(ProtectedAs(ours, {kUser, {kUser, u"S-1-5-18"}, kHighIntegrity}));

  // A system that reports no labels (Wine) is compared on owner and access alone.
  const ObjectSecurity unlabelled{kUser, {kUser, u"S-1-5-18"}, std::nullopt};
  EXPECT_TRUE(ProtectedAs(unlabelled, unlabelled));
  EXPECT_FALSE(ProtectedAs({u"", {}, std::nullopt}, unlabelled));
}

}  // namespace
}  // namespace ravak
