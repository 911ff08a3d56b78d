#include "settings/settings_store.h"

#include "hotkeys/shortcut.h"
#include "settings/settings_internal.h"

namespace ravak {

using namespace settings_internal;

// ---- The settings model in its two sections ----

SettingsSection SettingsStore::Section(const char* name, std::span<const SettingsField> fields,
                                       Settings& settings, const FieldChanged& on_changed) {
  SettingsSection section(location_, name);
  for (const SettingsField& field : fields) {
    const auto changed = [&on_changed, &field] {
      if (on_changed) on_changed(field);
    };
    std::visit(
        Overloaded{
            [&](bool Settings::*m) {
              section.Add(field.stored_name, BooleanProperty{[&settings, m] { return settings.*m; },
                                                             [&settings, m, changed](bool v) {
                                                               if (settings.*m == v) return;
                                                               settings.*m = v;
                                                               changed();
                                                             }});
            },
            [&](int32_t Settings::*m) {
              section.Add(field.stored_name,
                          IntegerProperty{[&settings, m] { return settings.*m; },
                                          [&settings, m](int32_t v) { settings.*m = v; }});
            },
            [&](KeyboardType Settings::*m) {
              section.Add(
                  field.stored_name,
                  IntegerProperty{
                      [&settings, m] { return static_cast<int32_t>(settings.*m); },
                      [&settings, m](int32_t v) { settings.*m = static_cast<KeyboardType>(v); }});
            },
            // A stored combination goes through its hotkey edit's rules: only its low
            // 16 bits count, and one the edit would refuse gets the edit's modifiers.
            [&](TShortCut Settings::*m) {
              const TShortCut substitute = field.substitute_modifiers;
              section.Add(
                  field.stored_name,
                  IntegerProperty{[&settings, m] { return static_cast<int32_t>(settings.*m); },
                                  [&settings, m, substitute](int32_t v) {
                                    settings.*m =
                                        NormalizeShortCut(static_cast<TShortCut>(v), substitute);
                                  }});
            },
            [&](std::vector<std::u16string> Settings::*m) {
              section.Add(field.stored_name,
                          StringListProperty{[&settings, m] { return settings.*m; },
                                             [&settings, m](const std::vector<std::u16string>& v) {
                                               settings.*m = v;
                                             }});
            },
        },
        field.member);
  }
  return section;
}

std::vector<std::string> SettingsStore::LoadGeneral(Settings& settings,
                                                    const FieldChanged& on_changed) {
  // A list that is not stored is empty, as at a first start: loading again after a Cancel takes
  // back the lines added since the last save.
  for (const SettingsField& field : kGeneralFields) {
    if (const auto* list = std::get_if<std::vector<std::u16string> Settings::*>(&field.member))
      (settings.*(*list)).clear();
  }
  return Section(kGeneralSection, kGeneralFields, settings, on_changed).Load();
}

void SettingsStore::SaveGeneral(const Settings& settings) {
  Settings copy = settings;  // the section binds setters too, which saving never calls
  Section(kGeneralSection, kGeneralFields, copy, {}).Save();
}

void SettingsStore::SaveGeneralField(const Settings& settings, const SettingsField& field) {
  Settings copy = settings;
  Section(kGeneralSection, std::span(&field, 1), copy, {}).Save();
}

std::vector<std::string> SettingsStore::LoadAutoCorrect(Settings& settings,
                                                        std::vector<std::u16string>& lines,
                                                        const FieldChanged& on_changed) {
  SettingsSection section = Section(kAutoCorrectSection, kAutoCorrectFields, settings, on_changed);
  section.Add(kAutoCorrectListName,
              StringListProperty{[&lines] { return lines; },
                                 [&lines](const std::vector<std::u16string>& v) { lines = v; }});
  return section.Load();
}

void SettingsStore::SaveAutoCorrect(const Settings& settings,
                                    const std::vector<std::u16string>& lines) {
  Settings copy = settings;
  SettingsSection section = Section(kAutoCorrectSection, kAutoCorrectFields, copy, {});
  section.Add(kAutoCorrectListName,
              StringListProperty{[&lines] { return lines; }, [](const auto&) {}});
  section.Save();
}

std::vector<std::string> SettingsStore::LoadExceptions(std::vector<std::u16string>& words,
                                                       const char* name) {
  Settings unused;
  SettingsSection section = Section(kGeneralSection, {}, unused, {});
  section.Add(name,
              StringListProperty{[&words] { return words; },
                                 [&words](const std::vector<std::u16string>& v) { words = v; }});
  return section.Load();
}

void SettingsStore::SaveExceptions(const std::vector<std::u16string>& words, const char* name) {
  Settings unused;
  SettingsSection section = Section(kGeneralSection, {}, unused, {});
  section.Add(name, StringListProperty{[&words] { return words; }, [](const auto&) {}});
  section.Save();
}

}  // namespace ravak
