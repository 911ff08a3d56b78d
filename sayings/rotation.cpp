#include "sayings/rotation.h"

#include <limits>
#include <string>

#include "platform/error.h"
#include "sayings/sayings_block.h"

namespace ravak {

WalkResult WalkSayings(int32_t position, int32_t count) {
  if (position <= 0) return {0, position};
  // Every step on an empty list finds the end mark raised and resets the position.
  if (count <= 0) return {0, 0};
  // The cursor runs through count sayings and one end mark, then starts again at 0: a cycle
  // of count + 1 steps. A step from the end mark resets the position.
  const int64_t cycle = static_cast<int64_t>(count) + 1;
  const auto place = static_cast<int32_t>(position % cycle);
  const int32_t index = place == count ? count - 1 : place;
  return {index, position >= cycle ? 0 : position};
}

TipContent RunSayingCommand(SayingMove move, int32_t& position,
                            const std::vector<std::u16string>& sayings,
                            const SunCalendar& calendar) {
  constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
  constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
  if (move == SayingMove::Next && position < kMax) ++position;
  if (move == SayingMove::Back && position > kMin) --position;
  const auto count = static_cast<int32_t>(sayings.size());
  const WalkResult walk = WalkSayings(position, count);
  position = walk.position;

  TipContent tip;
  if (count > 0) tip.text = sayings[walk.index];
  const std::u16string& today = calendar.Today();
  tip.weekday = calendar.WhatDayIsIt(today);
  if (today.size() > 2) tip.date = today.substr(2, 8);
  return tip;
}

std::vector<std::u16string> OpenSayingsTable() {
  SayingsBlockContents contents = ReadSayingsBlock(CarriedSayingsBlock());
  if (!contents.error.empty()) throw Error(contents.error);
  return std::move(contents.sayings);
}

}  // namespace ravak
