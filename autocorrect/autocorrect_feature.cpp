#include "autocorrect/autocorrect_feature.h"

#include "settings/program_list.h"

namespace ravak {

AutoCorrectFeature::AutoCorrectFeature(const Settings& settings, const MasterSwitch& master,
                                       KeyStream& keys, SyntheticInput& input,
                                       ClipboardText& clipboard, TypingTargetQuery& target,
                                       TypedRecord& record)
    : settings_(settings),
      master_(master),
      editor_(list_),
      engine_(list_, input, clipboard, target, record) {
  keys.AddWatcher([this, &target](const UserInput& typed, bool taken) {
    const bool on = master_.on && settings_.autocorrect_enabled;
    return engine_.OnInput({master_.on, on && !KeptOutOfForeground(settings_, target)}, typed,
                           taken);
  });
}

}  // namespace ravak
