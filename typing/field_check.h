// Asking the field before erasing. Ravak erases what it takes to be the text just typed; where
// the field can tell (a standard edit or rich edit control), it is asked first whether its text
// before the caret ends that way. Keys already on their way to the application are waited for a
// moment; a field that still does not agree holds text Ravak does not know of (a key it refused,
// a character composed with a dead key, another program's input), and nothing is erased.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/message_pump.h"
#include "platform/typing_target.h"
#include "typing/synthetic_input.h"
#include "typing/typed_record.h"

namespace ravak {

enum class FieldAgreement {
  kAgrees,   // the field's line before the caret ends with the text
  kDiffers,  // it does not, even after the keys on their way were waited for
  kUnknown,  // the field cannot tell
};

// Keys typed just before are given time to reach the application: until its text has stayed
// the same, and it has answered at once (within kFieldBusyAnswerMs), for kFieldSettleMs; no
// longer than kFieldLongestMs in all, which is below the hold's ceiling.
inline constexpr uint32_t kFieldSettleMs = 300;
inline constexpr uint32_t kFieldBusyAnswerMs = 20;
inline constexpr uint32_t kFieldLongestMs = 1500;

struct FieldReading {
  FieldAgreement agreement = FieldAgreement::kUnknown;
  std::optional<std::u16string> line;  // the field's text before the caret on its line, when read
};

// Reads the field until its line before the caret ends with the part of tail after tail's last
// line break, or it has settled otherwise.
FieldReading ReadFieldEndingWith(TypingTargetQuery& target, MessagePump& pump,
                                 std::u16string_view tail);

// Puts text in place of shown, the text just typed before the caret as the record holds it:
// erases shown back to its first character that text changes and types the rest, and the
// record follows. The field is asked first when ask_field. False, nothing erased and the record
// ended, where the field holds something else or the moment has passed.
bool RetypeTyped(SyntheticInput& input, TypingTargetQuery& target, TypedRecord& record,
                 const std::u16string& shown, const std::u16string& text, bool ask_field = true);

}  // namespace ravak
