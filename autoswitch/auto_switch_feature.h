// Automatic detection as the program runs it: the engine watching the user's typing, silent
// while detection or the master switch is off, pressing the conversion's language chord after a
// switch when the settings ask for it.
#pragma once

#include "autoswitch/auto_switch.h"
#include "convert/conversion.h"
#include "settings/settings.h"

namespace ravak {

class AutoSwitchFeature {
 public:
  AutoSwitchFeature(const Settings& settings, const MasterSwitch& master, KeyStream& keys,
                    const LayoutMap& map, SyntheticInput& input, ForegroundWindowQuery& foreground,
                    TypingTargetQuery& target, TypedRecord& record, ConversionCommand& conversion);

  WordExceptions& Exceptions() { return exceptions_; }
  // Called after an undo has added an exception (the store keeps them at once).
  void SetOnExceptionAdded(std::function<void()> handler) {
    engine_.SetOnExceptionAdded(std::move(handler));
  }

 private:
  const Settings& settings_;
  const MasterSwitch& master_;
  LayoutDetector detector_;
  WordExceptions exceptions_;
  AutoSwitchEngine engine_;
};

}  // namespace ravak
