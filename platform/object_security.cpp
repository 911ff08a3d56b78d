#include "platform/object_security.h"

#include <algorithm>

namespace ravak {

std::u16string PrivateObjectSddl(const std::u16string& user_sid, uint32_t integrity) {
  const std::string level = std::to_string(integrity);
  return u"O:" + user_sid + u"D:P(A;;GA;;;" + user_sid + u")(A;;GA;;;SY)S:(ML;;NWNR;;;S-1-16-" +
         std::u16string(level.begin(), level.end()) + u")";
}

bool ProtectedAs(const ObjectSecurity& existing, const ObjectSecurity& reference) {
  if (existing.owner.empty() || existing.owner != reference.owner) return false;
  for (const std::u16string& sid : existing.granted) {
    if (std::find(reference.granted.begin(), reference.granted.end(), sid) ==
        reference.granted.end()) {
      return false;
    }
  }
  if (!reference.integrity) return !existing.integrity;
  return existing.integrity && *existing.integrity >= *reference.integrity;
}

}  // namespace ravak
