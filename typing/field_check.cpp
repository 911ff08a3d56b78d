#include "typing/field_check.h"

#include "typing/key_text.h"

namespace ravak {

FieldReading ReadFieldEndingWith(TypingTargetQuery& target, MessagePump& pump,
                                 std::u16string_view tail) {
  constexpr uint32_t kStepMs = 10;
  const std::size_t break_at = tail.find_last_of(u"\r\n");
  if (break_at != std::u16string_view::npos) tail.remove_prefix(break_at + 1);
  const uint64_t started = pump.NowMs();
  uint64_t changed = started;
  FieldReading reading;
  for (;;) {
    std::u16string line;
    const uint64_t asked = pump.NowMs();
    if (!target.FieldLineBeforeCaret(line)) {
      reading.agreement = FieldAgreement::kUnknown;
      reading.line.reset();
      return reading;
    }
    const bool agrees = line.size() >= tail.size() &&
                        std::u16string_view(line).substr(line.size() - tail.size()) == tail;
    const uint64_t now = pump.NowMs();
    // A changed text, or a slow answer (the application was busy with something: the keys,
    // or a loaded machine), starts the wait for it to settle again.
    if (reading.line != line || now - asked > kFieldBusyAnswerMs) changed = now;
    reading.line = std::move(line);
    reading.agreement = agrees ? FieldAgreement::kAgrees : FieldAgreement::kDiffers;
    // An application still taking the keys changes its text as it goes, or answers late: it is
    // waited for while it does, kFieldLongestMs at most. One that answers at once and whose text
    // stays as it is has taken them all.
    if (agrees || now - changed >= kFieldSettleMs || now - started >= kFieldLongestMs)
      return reading;
    pump.Wait(kStepMs);
  }
}

bool RetypeTyped(SyntheticInput& input, TypingTargetQuery& target, TypedRecord& record,
                 const std::u16string& shown, const std::u16string& text, bool ask_field) {
  Sequence sequence(input);
  const std::size_t same = SharedStart(shown, text);
  const bool agrees = !ask_field || ReadFieldEndingWith(target, input.pump(), shown).agreement !=
                                        FieldAgreement::kDiffers;
  if (!agrees || !input.Retype(CaretSteps(shown.substr(same)), text.substr(same))) {
    record.End();  // what the field holds is not what was typed, or the moment has passed
    return false;
  }
  record.Edited(shown.size() - same, text.substr(same));
  return true;
}

}  // namespace ravak
