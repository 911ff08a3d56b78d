// Which saying the stored position shows, and the three sayings commands (next, previous, show
// current) up to the point where the tip window takes over.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sayings/calendar.h"

namespace ravak {

struct WalkResult {
  int32_t index;     // the saying shown; 0 (and no saying) when the list is empty
  int32_t position;  // the position after the walk: unchanged, or 0 after a wrap
};

// A cursor starts on saying 0 and takes one step per unit of a positive position: forward,
// then onto an end mark after the last saying, then back to saying 0 with the position reset
// to 0. Positions 0..count-1 show that saying, count shows the last one again, count+1 shows
// saying 0 and resets the position. Zero and negative positions show saying 0. Computed in
// constant time, whatever the position.
WalkResult WalkSayings(int32_t position, int32_t count);

enum class SayingMove {
  Next,     // tray menu "سخن بعدی", and once at start when daily sayings are on
  Back,     // tray menu "سخن قبلی"
  Current,  // double-click on the tray icon
};

// What a tip window shows.
struct TipContent {
  std::u16string text;     // the saying, line breaks (CR LF) intact; empty for an empty list
  std::u16string weekday;  // the weekday name of today
  std::u16string date;     // characters 3 to 10 of today: yy/mm/dd
};

inline constexpr int16_t kTipInterval = 15000;  // milliseconds

// Moves the position as the command does (Next +1, Back -1, both stopping at the ends of the
// 32-bit range), walks, and returns the tip's content.
TipContent RunSayingCommand(SayingMove move, int32_t& position,
                            const std::vector<std::u16string>& sayings,
                            const SunCalendar& calendar);

// The carried sayings. Throws Error("The data is incorrect") when the block cannot be read.
std::vector<std::u16string> OpenSayingsTable();

}  // namespace ravak
