#include "keyboard/layout_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "keyboard/builtin_layouts.h"
#include "tests/fakes/fake_keyboard_layouts.h"

namespace ravak {
namespace {

using testing::FakeInstalledLayouts;

constexpr LayoutId kUk = 0x00000809, kInternational = 0x00020409, kArabic = 0x00000401;

const KeyboardLayout& Builtin(LayoutId id) {
  return *BuiltinLayout(id);
}

// Read key by key from the system, every carried layout comes back as it is carried: the keys
// with their names, what they type, the dead keys and what those make.
TEST(LayoutReaderTest, ReadsEachKeyAndWhatTheDeadKeysMake) {
  for (const LayoutId id : BuiltinLayoutIds()) {
    FakeInstalledLayouts system;
    const LayoutHandle handle = system.Install(Builtin(id));
    const std::optional<KeyboardLayout> read = ReadLayout(system, handle);
    ASSERT_TRUE(read) << FormatLayoutId(id);
    EXPECT_EQ(read->id, id);
    EXPECT_EQ(read->name, Builtin(id).name);
    ASSERT_EQ(read->keys.size(), Builtin(id).keys.size());
    for (std::size_t i = 0; i < read->keys.size(); ++i) {
      const LayoutKey& a = read->keys[i];
      const LayoutKey& b = Builtin(id).keys[i];
      EXPECT_TRUE(a.scan == b.scan && a.vk == b.vk && a.plain == b.plain &&
                  a.shifted == b.shifted && a.plain_dead == b.plain_dead &&
                  a.shifted_dead == b.shifted_dead)
          << FormatLayoutId(id) << " key " << int(b.scan);
    }
    EXPECT_EQ(read->combinations.size(), Builtin(id).combinations.size()) << FormatLayoutId(id);
    for (const DeadKeyCombination& c : Builtin(id).combinations)
      EXPECT_EQ(read->Combine(c.dead, c.base), c.result) << FormatLayoutId(id);
  }
  EXPECT_EQ(Builtin(kInternational).Combine(u'\'', u'a'), u'\u00E1');
  // A layout the system says nothing of cannot be read.
  FakeInstalledLayouts system;
  EXPECT_FALSE(ReadLayout(system, system.Install(Builtin(kPersianStandardLayout), false)));
}

// The Persian layout is the first whose language is Persian, the Latin one the first that types
// Latin letters; a third layout (Arabic) is neither. Where the system has none, or cannot read
// it, the carried tables serve.
TEST(LayoutReaderTest, FindsThePairAndFallsBackOnTheCarriedTables) {
  FakeInstalledLayouts system;
  const LayoutHandle arabic = system.Install(Builtin(kArabic));
  const LayoutHandle standard = system.Install(Builtin(kPersianStandardLayout));
  const LayoutHandle uk = system.Install(Builtin(kUk));
  system.Install(Builtin(kUsLayout));
  system.Install(Builtin(kPersianLayout));
  SystemKeyboards keyboards(system);
  EXPECT_TRUE(keyboards.Refresh());
  EXPECT_EQ(keyboards.Pair().persian.id, kPersianStandardLayout);
  EXPECT_EQ(keyboards.Pair().latin.id, kUk);
  EXPECT_EQ(keyboards.RoleOf(standard), LayoutRole::kPersian);
  EXPECT_EQ(keyboards.RoleOf(uk), LayoutRole::kLatin);
  EXPECT_EQ(keyboards.RoleOf(arabic), LayoutRole::kOther);
  EXPECT_FALSE(keyboards.Refresh());  // the same list: nothing read

  // Persian (Standard) unreadable: Ravak's own table of it, known as not installed.
  system.installed.erase(system.installed.begin() + 4);
  system.installed[1].readable = false;
  EXPECT_TRUE(keyboards.Refresh());
  EXPECT_EQ(keyboards.Pair().persian.id, kPersianStandardLayout);
  EXPECT_FALSE(keyboards.Pair().persian_installed);

  // Arabic alone: the US and the old Persian tables.
  system.installed.erase(system.installed.begin() + 1, system.installed.end());
  EXPECT_TRUE(keyboards.Refresh());
  EXPECT_EQ(keyboards.Pair().latin.id, kUsLayout);
  EXPECT_EQ(keyboards.Pair().persian.id, kPersianLayout);
  EXPECT_FALSE(keyboards.Pair().latin_installed || keyboards.Pair().persian_installed);
}

}  // namespace
}  // namespace ravak
