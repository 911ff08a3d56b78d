#include "autoswitch/auto_switch_feature.h"

namespace ravak {

AutoSwitchFeature::AutoSwitchFeature(const Settings& settings, const MasterSwitch& master,
                                     KeyStream& keys, const LayoutMap& map, SyntheticInput& input,
                                     ForegroundWindowQuery& foreground, TypingTargetQuery& target,
                                     TypedRecord& record, ConversionCommand& conversion)
    : settings_(settings),
      master_(master),
      detector_(map),
      engine_(detector_, input, foreground, target, exceptions_, record,
              [&conversion] { conversion.SwitchKeyboardLanguage(); }) {
  keys.AddWatcher([this](const UserInput& typed, bool taken) {
    return engine_.OnInput({master_.on, settings_.auto_detect, settings_.switch_language}, typed,
                           taken);
  });
}

}  // namespace ravak
