#include "convert/conversion_feature.h"

namespace ravak {

ConversionFeature::ConversionFeature(const Settings& settings, const MasterSwitch& master,
                                     const LayoutMap& map, SyntheticInput& input,
                                     ClipboardText& clipboard, Sleeper& thread_sleeper,
                                     ThreadStarter& threads, HotkeyRegistrar& registrar,
                                     ErrorReport& errors)
    : settings_(settings),
      master_(master),
      command_(map, input, clipboard, thread_sleeper, threads),
      hotkey_(registrar, errors) {
  hotkey_.SetActive(false);
  hotkey_.SetCombination(0x4077);  // Ctrl+F8
  hotkey_.SetOnPress([this](ShiftState held) {
    command_.HotkeyPressed({master_.on, settings_.conversion_enabled, settings_.switch_language},
                           held);
  });
}

}  // namespace ravak
