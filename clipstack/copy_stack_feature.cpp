#include "clipstack/copy_stack_feature.h"

namespace ravak {

CopyStackFeature::CopyStackFeature(const MasterSwitch& master, SyntheticInput& input,
                                   ClipboardText& clipboard, HotkeyRegistrar& registrar,
                                   ErrorReport& errors, KeyStream& keys)
    : master_(master),
      commands_(list_, input, clipboard),
      copy_(registrar, errors, keys),
      paste_(registrar, errors, keys) {
  copy_.SetActive(false);
  copy_.SetCombination(0xC043);
  copy_.SetOnPress([this](ShiftState held) { commands_.CopyHotkeyPressed(master_.on, held); });
  paste_.SetActive(false);
  paste_.SetCombination(0xC056);
  paste_.SetOnPress([this](ShiftState held) { commands_.PasteHotkeyPressed(master_.on, held); });
}

}  // namespace ravak
