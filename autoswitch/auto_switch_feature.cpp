#include "autoswitch/auto_switch_feature.h"

namespace ravak {

AutoSwitchFeature::AutoSwitchFeature(const Settings& settings, const MasterSwitch& master,
                                     KeyboardHook& hook, const LayoutMap& map,
                                     SyntheticInput& input, ForegroundWindowQuery& foreground,
                                     TypingTargetQuery& target, ConversionCommand& conversion)
    : settings_(settings),
      master_(master),
      detector_(map),
      engine_(detector_, input, foreground, target, exceptions_,
              [&conversion] { conversion.SwitchKeyboardLanguage(); }) {
  hook.AddOnKey([this](uint16_t key, ShiftState shift) { KeyPressed(key, shift); });
}

void AutoSwitchFeature::KeyPressed(uint16_t key, ShiftState shift) {
  engine_.KeyDown({master_.on, settings_.auto_detect, settings_.switch_language}, key, shift);
}

}  // namespace ravak
