#include "autocorrect/autocorrect_feature.h"

namespace ravak {

AutoCorrectFeature::AutoCorrectFeature(const Settings& settings, const MasterSwitch& master,
                                       KeyStream& keys, SyntheticInput& input,
                                       ClipboardText& clipboard, ForegroundWindowQuery& foreground,
                                       TypingTargetQuery& target, TypedRecord& record)
    : settings_(settings),
      master_(master),
      editor_(list_),
      engine_(list_, input, clipboard, foreground, target, record) {
  keys.AddWatcher([this](const UserInput& typed, bool taken) {
    return engine_.OnInput({master_.on, settings_.autocorrect_enabled}, typed, taken);
  });
}

}  // namespace ravak
