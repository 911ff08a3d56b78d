#include <gtest/gtest.h>

#include <map>
#include <stdexcept>

#include "hotkeys/global_hotkey.h"
#include "hotkeys/shortcut.h"
#include "tests/fakes/fake_system.h"

namespace ravak {
namespace {

using testing::Hex;
using testing::Log;

TEST(ShortCutTest, DecodesKeyAndModifiers) {
  struct Case {
    TShortCut word;
    uint16_t key;
    ShiftState shift;
    unsigned flags;
  };
  const Case cases[] = {
      {0x8041, 0x41, {false, true, false}, kModAlt},
      {0xC043, 0x43, {false, true, true}, kModAlt | kModControl},
      {0x4077, 0x77, {false, false, true}, kModControl},
      {0x6074, 0x74, {true, false, true}, kModShift | kModControl},
      {0, 0, {}, 0},
      // Bits 8-12 belong to the key, whatever the edit control fills.
      {0x1FFF, 0x1FFF, {}, 0},
      {0xFFFF, 0x1FFF, {true, true, true}, kModAlt | kModControl | kModShift},
  };
  for (const Case& c : cases) {
    const DecodedShortCut d = ShortCutToKey(c.word);
    EXPECT_EQ(d.key, c.key) << c.word;
    EXPECT_EQ(d.shift, c.shift) << c.word;
    EXPECT_EQ(ModifierFlags(d.shift), c.flags) << c.word;
  }
}

TEST(ShortCutTest, HotKeyControlRoundTripDropsExtendedFlag) {
  // Ctrl+Shift+F5 as HKM_GETHOTKEY reports it.
  EXPECT_EQ(ShortCutFromHotKeyControl(((kHotkeyfControl | kHotkeyfShift) << 8) | 0x74), 0x6074);
  EXPECT_EQ(
      ShortCutFromHotKeyControl(((kHotkeyfControl | kHotkeyfShift | kHotkeyfExt) << 8) | 0x74),
      0x6074);
  EXPECT_EQ(HotKeyControlValue(0x8041), (kHotkeyfAlt << 8) | 0x41);
  EXPECT_EQ(HotKeyControlValue(0xC056), ((kHotkeyfAlt | kHotkeyfControl) << 8) | 0x56);
}

TEST(ShortCutTest, NormalizeAppliesTheEditRules) {
  struct Case {
    TShortCut stored, substitute, expected;
  } cases[] = {
      {0x8041, kConversionSubstitute, 0x8041},  // accepted as it is
      {0x6074, kConversionSubstitute, 0x6074},  // Ctrl+Shift+F5
      {0x1F41, kConversionSubstitute, 0x8041},  // bits 8-12 dropped, no modifier: Alt put in
      {0x2043, kCopyPasteSubstitute, 0xC043},   // Shift alone is refused
      {0xA043, kCopyPasteSubstitute, 0xC043},   // so is Shift+Alt
      {0xE043, kCopyPasteSubstitute, 0xE043},   // Ctrl+Shift+Alt is allowed
      {0x8000, kConversionSubstitute, 0},       // no key: no combination
      {0, kConversionSubstitute, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NormalizeShortCut(c.stored, c.substitute), c.expected) << std::hex << c.stored;
  }
}

class FakeRegistrar : public HotkeyRegistrar, public ErrorReport {
 public:
  uint16_t AddHotkeyAtom(const std::u16string& name) override {
    log.push_back("add atom");
    atoms[name] = ++next_atom;
    return next_atom;
  }
  void DeleteHotkeyAtom(uint16_t atom) override {
    log.push_back("delete atom " + std::to_string(atom));
  }
  WindowId CreateHotkeyWindow(std::function<void()> on_hotkey) override {
    log.push_back("create window");
    windows[++next_window] = std::move(on_hotkey);
    return next_window;
  }
  void DestroyHotkeyWindow(WindowId window) override {
    log.push_back("destroy window");
    windows.erase(window);
  }
  bool Register(WindowId, uint16_t, unsigned modifiers, unsigned key) override {
    log.push_back("register " + std::to_string(modifiers) + " " + Hex(key));
    return true;
  }
  void Unregister(WindowId, uint16_t) override { log.push_back("unregister"); }
  void ShowError(const std::string& message) override { log.push_back("error: " + message); }
  // Delivers a WM_HOTKEY to every live hotkey window.
  void PressHotKey() {
    for (auto& [id, handler] : windows) handler();
  }

  Log log;
  std::map<std::u16string, uint16_t> atoms;
  std::map<WindowId, std::function<void()>> windows;
  uint16_t next_atom = 0xC000;
  WindowId next_window = 0;
};

TEST(GlobalHotKeyTest, LoadsInactiveThenRegistersOnActivation) {
  FakeRegistrar sys;
  KeyStream keys;
  GlobalHotkey gk(sys, sys, keys);
  EXPECT_TRUE(gk.Active());
  EXPECT_EQ(sys.log, (Log{"add atom", "create window"}));
  sys.log.clear();
  gk.SetActive(false);        // combination 0: nothing to unregister
  gk.SetCombination(0x4077);  // inactive: only stored
  gk.SetActive(false);        // same value: nothing
  EXPECT_TRUE(sys.log.empty());
  gk.SetActive(true);
  gk.SetCombination(0x4077);  // same value: nothing
  gk.SetCombination(0x8041);  // replaces the registration
  gk.SetCombination(0);       // only unregisters
  gk.SetActive(false);        // combination 0: nothing
  EXPECT_EQ(sys.log, (Log{"register 2 0x77", "unregister", "register 1 0x41", "unregister"}));
}

TEST(GlobalHotKeyTest, ActivatingWithNoCombinationStillRegistersKeyZero) {
  FakeRegistrar sys;
  KeyStream keys;
  GlobalHotkey gk(sys, sys, keys);
  gk.SetActive(false);
  sys.log.clear();
  gk.SetActive(true);
  EXPECT_EQ(sys.log, (Log{"register 0 0x00"}));
}

TEST(GlobalHotKeyTest, EveryHotKeyMessageRaisesEventWithRegisteredShiftState) {
  FakeRegistrar sys;
  KeyStream keys;
  GlobalHotkey gk(sys, sys, keys);
  gk.SetCombination(0xC043);
  int presses = 0;
  gk.SetOnPress([&](ShiftState held, uint32_t) {
    EXPECT_EQ(held, (ShiftState{false, true, true}));
    ++presses;
  });
  sys.PressHotKey();
  sys.PressHotKey();
  EXPECT_EQ(presses, 2);
}

TEST(GlobalHotKeyTest, HandlerErrorIsReportedOncePerPressAndComponentGoesOn) {
  FakeRegistrar sys;
  KeyStream keys;
  GlobalHotkey gk(sys, sys, keys);
  gk.SetCombination(0x8041);
  gk.SetOnPress(
      [](ShiftState, uint32_t) { throw std::runtime_error("Cannot open clipboard: busy"); });
  sys.log.clear();
  sys.PressHotKey();
  sys.PressHotKey();
  EXPECT_EQ(sys.log,
            (Log{"error: Cannot open clipboard: busy", "error: Cannot open clipboard: busy"}));
  EXPECT_TRUE(gk.Active());
}

TEST(GlobalHotKeyTest, DestroyUnregistersAndReleasesAtomAndWindow) {
  FakeRegistrar sys;
  KeyStream keys;
  {
    GlobalHotkey a(sys, sys, keys);
    GlobalHotkey b(sys, sys, keys);
    EXPECT_EQ(sys.atoms.size(), 2u);  // one identifier per live component
    a.SetCombination(0x8041);
    sys.log.clear();
  }
  EXPECT_EQ(sys.log, (Log{"delete atom 49154", "destroy window", "unregister", "delete atom 49153",
                          "destroy window"}));
}

}  // namespace
}  // namespace ravak
