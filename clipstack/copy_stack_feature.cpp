#include "clipstack/copy_stack_feature.h"

namespace ravak {

CopyStackFeature::CopyStackFeature(const MasterSwitch& master, SyntheticInput& input,
                                   ClipboardText& clipboard, HotkeyRegistrar& registrar,
                                   ErrorReport& errors, KeyStream& keys, TypedRecord& record)
    : master_(master),
      commands_(list_, input, clipboard),
      copy_(registrar, errors, keys),
      paste_(registrar, errors, keys) {
  copy_.SetActive(false);
  copy_.SetCombination(0xC043);
  copy_.SetOnPress(
      [this](ShiftState held, uint32_t) { commands_.CopyHotkeyPressed(master_.on, held); });
  paste_.SetActive(false);
  paste_.SetCombination(0xC056);
  // A paste puts text the record never saw before the caret.
  paste_.SetOnPress([this, &record](ShiftState held, uint32_t) {
    if (commands_.PasteHotkeyPressed(master_.on, held)) record.End();
  });
}

}  // namespace ravak
