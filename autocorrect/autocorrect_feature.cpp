#include "autocorrect/autocorrect_feature.h"

namespace ravak {

AutoCorrectFeature::AutoCorrectFeature(const Settings& settings, const MasterSwitch& master,
                                       KeyboardHook& hook, SyntheticInput& input,
                                       ClipboardText& clipboard, ForegroundWindowQuery& foreground)
    : settings_(settings),
      master_(master),
      editor_(list_),
      engine_(list_, input, clipboard, foreground) {
  hook.AddOnKey([this](uint16_t key, ShiftState shift) { KeyPressed(key, shift); });
}

void AutoCorrectFeature::KeyPressed(uint16_t key, ShiftState shift) {
  engine_.KeyDown({master_.on, settings_.autocorrect_enabled}, key, shift);
}

}  // namespace ravak
