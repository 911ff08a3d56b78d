// The orthography as typed as the program runs it: the engine watching the user's typing, silent
// while its setting or the master switch is off and in the programs automatic switching keeps
// out of; joining the switches of automatic detection, so that a word switched from the English
// layout is typed once, fixed; fixing the Persian text a conversion types; and showing the mark
// of a fix.
#pragma once

#include <functional>

#include "autoswitch/auto_switch_feature.h"
#include "convert/conversion.h"
#include "livefix/live_fix.h"
#include "settings/settings.h"

namespace ravak {

class LiveFixFeature {
 public:
  LiveFixFeature(const Settings& settings, const MasterSwitch& master, KeyStream& keys,
                 TypingLayouts& layouts, SyntheticInput& input, TypingTargetQuery& target,
                 TypedRecord& record, ConversionCommand& conversion, AutoSwitchFeature& autoswitch,
                 SwitchMarkPresenter& mark);
  LiveFixFeature(const LiveFixFeature&) = delete;
  LiveFixFeature& operator=(const LiveFixFeature&) = delete;

  // The texts never fixed, as they were typed.
  WordExceptions& Exceptions() { return exceptions_; }
  // Called after an undo has added an exception (the store keeps them at once).
  void SetOnExceptionAdded(std::function<void()> handler) {
    engine_.SetOnExceptionAdded(std::move(handler));
  }

 private:
  bool On();

  const Settings& settings_;
  const MasterSwitch& master_;
  TypingTargetQuery& target_;
  SwitchMarkPresenter& mark_;
  bool mark_shown_ = false;
  WordExceptions exceptions_;
  LiveFixEngine engine_;
};

}  // namespace ravak
