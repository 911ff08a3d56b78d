// The three sayings commands of the tray: next saying, previous saying, and the current saying
// again (double-click on the tray icon). Each reads the carried table afresh, moves the stored
// position, walks to the saying it shows and hands it to a tip with today's weekday and date.
#pragma once

#include <cstdint>
#include <functional>
#include <span>

#include "sayings/calendar.h"
#include "sayings/rotation.h"

namespace ravak {

// Shows one tip and returns at once; each call makes a new tip, tips already shown stay.
class TipPresenter {
 public:
  virtual void ShowTip(const TipContent& tip, int16_t interval_ms) = 0;

 protected:
  ~TipPresenter() = default;
};

class SayingsCommands {
 public:
  // The local Gregorian date of the clock, read at every command.
  using TodayProvider = std::function<GregorianDate()>;

  // block: the stored sayings table (CarriedSayingsBlock() in the program); position: the stored
  // position, which the commands move and the settings save. Both must outlive the commands.
  SayingsCommands(std::span<const uint8_t> block, int32_t& position, TodayProvider today,
                  TipPresenter& presenter);

  // Each throws Error("The data is incorrect") when the table cannot be read; the position is
  // then left as it was and no tip is shown.
  void Next() { Run(SayingMove::Next); }
  void Previous() { Run(SayingMove::Back); }
  void ShowCurrent() { Run(SayingMove::Current); }

 private:
  void Run(SayingMove move);

  std::span<const uint8_t> block_;
  int32_t& position_;
  TodayProvider today_;
  TipPresenter& presenter_;
};

}  // namespace ravak
