#include "autocorrect/autocorrect_feature.h"

#include <utility>

#include "settings/program_list.h"

namespace ravak {

AutoCorrectFeature::AutoCorrectFeature(const Settings& settings, const MasterSwitch& master,
                                       KeyStream& keys, SyntheticInput& input,
                                       ClipboardText& clipboard, TypingTargetQuery& target,
                                       TypedRecord& record, std::function<LocalDateTime()> clock)
    : settings_(settings),
      master_(master),
      editor_(list_),
      // The clipboard's text as the user has it, read without changing it.
      variables_{std::move(clock), [&clipboard] { return clipboard.UserText(); }},
      engine_(list_, input, clipboard, target, record, KeywordLookup::kIndexed,
              [this](const AutoCorrectEntry& entry) { return FillVariables(entry, variables_); }) {
  keys.AddWatcher([this, &target](const UserInput& typed, bool taken) {
    const bool on = master_.on && settings_.autocorrect_enabled;
    return engine_.OnInput({master_.on, on && !KeptOutOfForeground(settings_, target)}, typed,
                           taken);
  });
}

}  // namespace ravak
