// Automatic detection as the program runs it: the engine watching the user's typing, silent
// while detection or the master switch is off and in the programs it keeps out of, pressing the
// conversion's language chord after a switch when the settings ask for it, and showing the mark
// of a switch.
#pragma once

#include <optional>
#include <string>

#include "autoswitch/auto_switch.h"
#include "convert/conversion.h"
#include "settings/settings.h"

namespace ravak {

// The mark of a switch: shown for a moment near the caret (or, where the caret's place is
// unknown, near Ravak's icon), it says what was typed and that Backspace brings it back. It never
// takes the focus or the keyboard, and goes by itself.
class SwitchMarkPresenter {
 public:
  virtual void Show(const std::u16string& typed, std::optional<ScreenRect> caret) = 0;
  virtual void Hide() = 0;

 protected:
  ~SwitchMarkPresenter() = default;
};

class AutoSwitchFeature {
 public:
  AutoSwitchFeature(const Settings& settings, const MasterSwitch& master, KeyStream& keys,
                    TypingLayouts& layouts, SyntheticInput& input, TypingTargetQuery& target,
                    TypedRecord& record, ConversionCommand& conversion, SwitchMarkPresenter& mark);

  WordExceptions& Exceptions() { return exceptions_; }
  // Work that joins each switch in its retyping (AutoSwitchEngine::SetFinish).
  void SetFinish(SwitchFinish* finish) { engine_.SetFinish(finish); }
  // Called after an undo has added an exception (the store keeps them at once).
  void SetOnExceptionAdded(std::function<void()> handler) {
    engine_.SetOnExceptionAdded(std::move(handler));
  }

 private:
  const Settings& settings_;
  const MasterSwitch& master_;
  TypingTargetQuery& target_;
  SwitchMarkPresenter& mark_;
  bool mark_shown_ = false;
  LayoutDetector detector_;
  WordExceptions exceptions_;
  AutoSwitchEngine engine_;
};

}  // namespace ravak
