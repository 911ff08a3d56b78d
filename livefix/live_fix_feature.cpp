#include "livefix/live_fix_feature.h"

#include <string>

#include "settings/program_list.h"

namespace ravak {

LiveFixFeature::LiveFixFeature(const Settings& settings, const MasterSwitch& master,
                               KeyStream& keys, TypingLayouts& layouts, SyntheticInput& input,
                               TypingTargetQuery& target, TypedRecord& record,
                               ConversionCommand& conversion, AutoSwitchFeature& autoswitch,
                               SwitchMarkPresenter& mark)
    : settings_(settings),
      master_(master),
      target_(target),
      mark_(mark),
      engine_(layouts, input, target, exceptions_, record) {
  autoswitch.SetFinish(&engine_);
  conversion.SetTypedTextFix([this](std::u16string text) {
    if (!On() || target_.FocusIsPassword()) return text;
    return FixEndedWords(text, exceptions_);
  });
  engine_.SetOnFixed([this](const std::u16string& form) {
    if (!settings_.switch_mark) return;
    mark_.Show(form, target_.CaretRect());
    mark_shown_ = true;
  });
  keys.AddWatcher([this](const UserInput& typed, bool taken) {
    // The mark goes at the next key or click.
    if (mark_shown_ && !(typed.kind == UserInput::Kind::kKey && typed.key.stroke.up)) {
      mark_shown_ = false;
      mark_.Hide();
    }
    return engine_.OnInput({master_.on, On()}, typed, taken);
  });
}

bool LiveFixFeature::On() {
  return master_.on && settings_.fix_as_typed && !KeptOutOfForeground(settings_, target_);
}

}  // namespace ravak
