// The settings store: the settings kept in the current user's registry from one run to the next.
//
// RegistryLocation is the key (HKEY_CURRENT_USER\Software\Tirnak\Ravak) that the sections
// share; SettingsSection is a list of named values kept in one section (a subkey of the
// location), each bound to a getter and a setter; SettingsStore keeps the settings model in its
// two sections as the field table (settings_fields.h) describes it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "platform/registry.h"
#include "settings/settings_fields.h"

namespace ravak {

// The longest stored value read, in bytes: 32767 characters and their NUL, what an edit
// control holds. A longer value is reported and left unread.
constexpr std::size_t kMaxStoredValueBytes = 64 * 1024;

// The bytes a text of that many UTF-16 code units takes stored: the units and their NUL.
constexpr std::size_t StoredTextSize(std::size_t units) {
  return (units + 1) * sizeof(char16_t);
}

class RegistryLocation {
 public:
  RegistryLocation(Registry& registry, std::u16string path)
      : registry_(registry), path_(std::move(path)) {}
  ~RegistryLocation();
  RegistryLocation(const RegistryLocation&) = delete;
  RegistryLocation& operator=(const RegistryLocation&) = delete;

  // The value section\name (its data unread when it is longer than kMaxStoredValueBytes);
  // nullopt when the key, the section or the value is missing.
  std::optional<RegistryValue> ReadValue(const std::u16string& section, const std::u16string& name);
  // Create the section when it is missing, then write; false when the registry refuses.
  bool WriteString(const std::u16string& section, const std::u16string& name,
                   const std::u16string& text);
  bool WriteDword(const std::u16string& section, const std::u16string& name, uint32_t value);
  // False when the value was not there or could not be deleted.
  bool DeleteValue(const std::u16string& section, const std::u16string& name);

 private:
  // The location key, opened (and created with its parents) at the first use and kept open.
  RegistryKey Location();
  template <typename Write>
  bool WriteInSection(const std::u16string& section, Write write);

  Registry& registry_;
  std::u16string path_;
  RegistryKey key_ = kNoRegistryKey;
};

// Accessors of one property of a control. The setter is called only for a stored value; a check
// box's setter runs the control's click handler when the state changes.
struct BooleanProperty {
  std::function<bool()> get;
  std::function<void(bool)> set;
};
struct IntegerProperty {
  std::function<int32_t()> get;
  std::function<void(int32_t)> set;
};
struct StringListProperty {
  std::function<std::vector<std::u16string>()> get;
  std::function<void(const std::vector<std::u16string>&)> set;
};
using PropertyAccess = std::variant<BooleanProperty, IntegerProperty, StringListProperty>;

struct PropertyEntry {
  std::string name;  // the registry value name, "hk1.HotKey"
  PropertyAccess access;
};

class SettingsSection {
 public:
  // The longest string list the store writes or reads back, in lines and in bytes of text:
  // a stored list beyond either is read up to there, and the cut reported. 9000 lines are 3000
  // auto-correct entries of three lines.
  static constexpr int32_t kMaxListCount = 9000;
  static constexpr std::size_t kMaxListBytes = 4 * 1024 * 1024;

  SettingsSection(RegistryLocation& location, std::string section)
      : location_(&location), section_(std::move(section)) {}

  void Add(std::string name, PropertyAccess access);
  const std::vector<PropertyEntry>& Properties() const { return properties_; }
  const std::string& Section() const { return section_; }

  // Writes every property in list order. Raises Error at the first value the registry refuses,
  // or that could not be read back (a list or a line over the limits); the entries before it
  // are written.
  void Save();
  // Reads every property in list order and sets the stored ones. A bad stored value (one too
  // long among them) leaves its property as it is and Load goes on; the result holds one error
  // message per bad value. A string list keeps every readable line up to its limits: a bad
  // line reads as an empty text, and the lines past a limit are left out and reported.
  std::vector<std::string> Load();

 private:
  void SaveInteger(const std::string& name, int32_t value);
  void SaveList(const std::string& name, const std::vector<std::u16string>& lines);
  void LoadEntry(const std::string& name, const PropertyAccess& access);
  void LoadList(const std::string& name, const StringListProperty& list,
                std::vector<std::string>& errors);
  std::optional<bool> ReadBoolean(const std::string& name);
  std::optional<int32_t> ReadInteger(const std::string& name);
  std::optional<std::u16string> ReadText(const std::string& name);
  std::optional<RegistryValue> Read(const std::string& name);

  RegistryLocation* location_;
  std::string section_;
  std::vector<PropertyEntry> properties_;
};

// The settings model kept in its two sections, as the field table says. Loading sets every
// stored value into the model and calls on_changed for each field whose value it changes (the
// features react to those as to the user's own change); a bad stored value is reported in the
// result and leaves its field as it was. Saving writes every field; the first value the registry
// refuses raises Error and the fields after it are not written.
class SettingsStore {
 public:
  using FieldChanged = std::function<void(const SettingsField& field)>;

  explicit SettingsStore(Registry& registry, std::u16string path = kSettingsPath)
      : location_(registry, std::move(path)) {}

  // A list of the section that is not stored loads as empty.
  std::vector<std::string> LoadGeneral(Settings& settings, const FieldChanged& on_changed = {});
  void SaveGeneral(const Settings& settings);
  // One field of section General alone (a change kept at once, as a tray menu item makes it).
  void SaveGeneralField(const Settings& settings, const SettingsField& field);
  // The auto-correct switch and the list in its stored form (three lines a row). Every
  // readable line comes back; the list is left as it is when none is stored.
  std::vector<std::string> LoadAutoCorrect(Settings& settings, std::vector<std::u16string>& lines,
                                           const FieldChanged& on_changed = {});
  void SaveAutoCorrect(const Settings& settings, const std::vector<std::u16string>& lines);
  // The words automatic detection never switches (name: kDetectExceptionsName), or the texts
  // the orthography as typed never fixes (kFixExceptionsName). The list is left as it is when
  // none is stored.
  std::vector<std::string> LoadExceptions(std::vector<std::u16string>& words,
                                          const char* name = kDetectExceptionsName);
  void SaveExceptions(const std::vector<std::u16string>& words,
                      const char* name = kDetectExceptionsName);

 private:
  SettingsSection Section(const char* name, std::span<const SettingsField> fields,
                          Settings& settings, const FieldChanged& on_changed);

  RegistryLocation location_;
};

}  // namespace ravak
