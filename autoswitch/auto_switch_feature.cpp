#include "autoswitch/auto_switch_feature.h"

#include "settings/program_list.h"

namespace ravak {

AutoSwitchFeature::AutoSwitchFeature(const Settings& settings, const MasterSwitch& master,
                                     KeyStream& keys, TypingLayouts& layouts, SyntheticInput& input,
                                     TypingTargetQuery& target, TypedRecord& record,
                                     ConversionCommand& conversion, SwitchMarkPresenter& mark)
    : settings_(settings),
      master_(master),
      target_(target),
      mark_(mark),
      detector_(layouts.Map()),
      engine_(detector_, layouts, input, target, exceptions_, record,
              [&conversion](Language to) { conversion.SwitchKeyboardLanguage(to); }) {
  engine_.SetOnSwitched([this](const std::u16string& typed) {
    if (!settings_.switch_mark) return;
    mark_.Show(typed, target_.CaretRect());
    mark_shown_ = true;
  });
  keys.AddWatcher([this](const UserInput& typed, bool taken) {
    // The mark goes at the next key or click.
    if (mark_shown_ && !(typed.kind == UserInput::Kind::kKey && typed.key.stroke.up)) {
      mark_shown_ = false;
      mark_.Hide();
    }
    const bool on = master_.on && settings_.auto_detect;
    return engine_.OnInput(
        {master_.on, on && !KeptOutOfForeground(settings_, target_), settings_.switch_language},
        typed, taken);
  });
}

}  // namespace ravak
