// Auto-correct as the program runs it: the list with its editor rules, and the engine watching
// the user's typing, silent while auto-correct or the master switch is off and in the programs it
// keeps out of. The variables of a text are filled in from the clock and the clipboard when its
// keyword fires.
#pragma once

#include <functional>

#include "autocorrect/autocorrect_editor.h"
#include "autocorrect/autocorrect_engine.h"
#include "autocorrect/text_variables.h"
#include "settings/settings.h"

namespace ravak {

class AutoCorrectFeature {
 public:
  AutoCorrectFeature(const Settings& settings, const MasterSwitch& master, KeyStream& keys,
                     SyntheticInput& input, ClipboardText& clipboard, TypingTargetQuery& target,
                     TypedRecord& record, std::function<LocalDateTime()> clock);

  AutoCorrectList& List() { return list_; }
  AutoCorrectEditor& Editor() { return editor_; }

 private:
  const Settings& settings_;
  const MasterSwitch& master_;
  AutoCorrectList list_;
  AutoCorrectEditor editor_;
  VariableSources variables_;
  AutoCorrectEngine engine_;
};

}  // namespace ravak
