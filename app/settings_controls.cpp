#include "app/settings_controls.h"

namespace ravak {

const SettingsField* FieldOfControl(int control) {
  for (const ControlBinding& binding : kControlBindings) {
    if (binding.control != control) continue;
    for (const SettingsField& field : kGeneralFields) {
      if (field.member == binding.member) return &field;
    }
  }
  return nullptr;
}

}  // namespace ravak
