// The settings store: control properties kept in the registry from one run to the next.
//
// TRzRegIniFile is the registry location (HKEY_CURRENT_USER\Software\Tirnak\Ravak) that the
// stores share; TRzPropertyStore is a named list of component properties kept in one section
// (a subkey of the location) under value names "component.property".
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "platform/registry.h"

namespace ravak {

class TRzRegIniFile {
 public:
  static constexpr char16_t kDefaultPath[] = u"Software\\Tirnak\\Ravak";

  explicit TRzRegIniFile(Registry& registry, std::u16string path = kDefaultPath)
      : registry_(registry), path_(std::move(path)) {}
  ~TRzRegIniFile();
  TRzRegIniFile(const TRzRegIniFile&) = delete;
  TRzRegIniFile& operator=(const TRzRegIniFile&) = delete;

  // The value section\name; nullopt when the key, the section or the value is missing.
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
  std::string component;  // "hk1"
  std::string property;   // "HotKey"
  PropertyAccess access;
};

class TRzPropertyStore {
 public:
  // Longest string list the store writes or reads back.
  static constexpr int32_t kMaxListCount = 30000;

  TRzPropertyStore(TRzRegIniFile& ini_file, std::string section)
      : ini_file_(&ini_file), section_(std::move(section)) {}

  void Add(std::string component, std::string property, PropertyAccess access);
  const std::vector<PropertyEntry>& Properties() const { return properties_; }
  const std::string& Section() const { return section_; }

  // Writes every property in list order. Raises Error at the first value the registry refuses;
  // the entries before it are written.
  void Save();
  // Reads every property in list order and sets the stored ones. A bad stored value leaves its
  // property as it is and Load goes on; the result holds one error message per such entry.
  std::vector<std::string> Load();

 private:
  void SaveInteger(const std::string& name, int32_t value);
  void SaveList(const std::string& name, const std::vector<std::u16string>& lines);
  void LoadEntry(const std::string& name, const PropertyAccess& access);
  std::optional<bool> ReadBoolean(const std::string& name);
  std::optional<int32_t> ReadInteger(const std::string& name);
  std::optional<std::u16string> ReadText(const std::string& name);
  std::optional<RegistryValue> Read(const std::string& name);

  TRzRegIniFile* ini_file_;
  std::string section_;
  std::vector<PropertyEntry> properties_;
};

// The general settings as a plain model: the state of each control when the main window is
// created, which is what stays when nothing is stored.
struct GeneralSettings {
  bool chkActivePro = false;
  bool chkAutoChangeLng = false;
  int32_t dxmdt1Tag = 0;              // sayings position, signed
  uint16_t hk1HotKey = 32833;         // Alt+A
  uint16_t hkProCopyHotKey = 49219;   // Ctrl+Alt+C
  uint16_t hkProPasteHotKey = 49238;  // Ctrl+Alt+V
  int32_t lblKeyTag = 1;              // keyboard type
  bool chkACEN = false;
  bool chkRTL = false;
  bool chkSlowSystem = false;
  bool chkShowTips = false;
  bool chkRavak = false;
  bool operator==(const GeneralSettings&) const = default;
};

struct GeneralBindings {
  BooleanProperty chkActivePro;
  BooleanProperty chkAutoChangeLng;
  IntegerProperty dxmdt1Tag;
  IntegerProperty hk1HotKey;
  IntegerProperty hkProCopyHotKey;
  IntegerProperty hkProPasteHotKey;
  IntegerProperty lblKeyTag;
  BooleanProperty chkACEN;
  BooleanProperty chkRTL;
  BooleanProperty chkSlowSystem;
  BooleanProperty chkShowTips;
  BooleanProperty chkRavak;
};

struct AutoCorrectBindings {
  BooleanProperty chkACEN;
  StringListProperty lstSaveACItems;
};

// Section "General": the twelve general settings in their stored order.
TRzPropertyStore MakeGeneralStore(TRzRegIniFile& ini_file, GeneralBindings bindings);
// Section "AutoCorrect": the auto-correct switch and the list in stored form.
TRzPropertyStore MakeAutoCorrectStore(TRzRegIniFile& ini_file, AutoCorrectBindings bindings);
// Binds every general entry to a field of settings, which must outlive the store. A shortcut
// word set from the store keeps only its low 16 bits.
GeneralBindings BindGeneralSettings(GeneralSettings& settings);

}  // namespace ravak
