#include "sayings/sayings_commands.h"

#include <string>
#include <utility>
#include <vector>

#include "platform/error.h"
#include "sayings/sayings_block.h"

namespace ravak {

SayingsCommands::SayingsCommands(std::span<const uint8_t> block, int32_t& position,
                                 TodayProvider today, TipPresenter& presenter)
    : block_(block), position_(position), today_(std::move(today)), presenter_(presenter) {}

void SayingsCommands::Run(SayingMove move) {
  // The table is read for this command only and dropped at its end.
  SayingsBlockContents table = ReadSayingsBlock(block_);
  if (!table.error.empty()) throw Error(table.error);
  // Today is read from the clock each time, so a program left running past midnight shows the
  // new day. A clock date the calendar cannot hold gives no date text (and Saturday).
  SilentCalendarErrors errors;
  const SunCalendar calendar(errors, today_());
  const TipContent tip = RunSayingCommand(move, position_, table.sayings, calendar);
  presenter_.ShowTip(tip, kTipInterval);
}

}  // namespace ravak
