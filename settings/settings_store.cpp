#include "settings/settings_store.h"

#include <exception>
#include <string_view>
#include <utility>

#include "hotkeys/shortcut.h"
#include "platform/error.h"
#include "platform/utf.h"

namespace ravak {
namespace {

constexpr char kInvalidElement[] = "Invalid property element: %s";
constexpr char kInvalidType[] = "Invalid data type for '%s'";
constexpr char kGetFailed[] = "Failed to get data for '%s'";
constexpr char kSetFailed[] = "Failed to set data for '%s'";
constexpr char kValueTooLong[] = "The stored value '%s' is longer than 64 KiB and was not read";

template <class... Ts>
struct Overloaded : Ts... {
  using Ts::operator()...;
};

// Closes a key opened for one value operation, also when that operation throws.
class ScopedKey {
 public:
  ScopedKey(Registry& registry, RegistryKey key) : registry_(registry), key_(key) {}
  ~ScopedKey() {
    if (key_ != kNoRegistryKey) registry_.CloseKey(key_);
  }
  ScopedKey(const ScopedKey&) = delete;
  ScopedKey& operator=(const ScopedKey&) = delete;
  RegistryKey get() const { return key_; }

 private:
  Registry& registry_;
  RegistryKey key_;
};

std::u16string Wide(const std::string& s) {
  return Utf8ToUtf16(s).value_or(std::u16string());
}

std::u16string Ascii(std::string_view s) {
  return std::u16string(s.begin(), s.end());
}

[[noreturn]] void Fail(const char* format, const std::string& arg) {
  throw Error(FormatMessage1(format, arg));
}

// Texts are UTF-16LE; the text ends at the first NUL or with the data (an odd last byte is
// dropped).
std::u16string DecodeText(const std::vector<uint8_t>& data) {
  std::u16string text;
  for (std::size_t i = 0; i + 1 < data.size(); i += 2) {
    const char16_t c = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    if (c == 0) break;
    text.push_back(c);
  }
  return text;
}

bool EqualsIgnoringAsciiCase(std::u16string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char16_t c = a[i];
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    char d = b[i];
    if (d >= 'A' && d <= 'Z') d = static_cast<char>(d - 'A' + 'a');
    if (c != static_cast<unsigned char>(d)) return false;
  }
  return true;
}

// A signed 32-bit decimal number: leading spaces, an optional sign, digits and nothing else.
std::optional<int32_t> ParseInteger(std::u16string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == u' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';
  if (i == text.size()) return std::nullopt;
  int64_t value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < u'0' || text[i] > u'9') return std::nullopt;
    value = value * 10 + (text[i] - u'0');
    if (value > int64_t{1} << 31) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > INT32_MAX) return std::nullopt;
  return static_cast<int32_t>(value);
}

std::string ListLineName(const std::string& name, std::size_t index) {
  return name + "[" + std::to_string(index) + "]";
}

// The bytes a text takes stored: UTF-16 with its NUL.
std::size_t StoredSize(const std::u16string& text) {
  return (text.size() + 1) * sizeof(char16_t);
}

std::string ListCut(const std::string& name, std::size_t lines_read) {
  return "Only the first " + std::to_string(lines_read) + " lines of the stored list '" + name +
         "' were read: a list keeps at most " + std::to_string(SettingsSection::kMaxListCount) +
         " lines and " + std::to_string(SettingsSection::kMaxListBytes / (1024 * 1024)) + " MiB";
}

bool IsBound(const PropertyEntry& entry) {
  if (entry.name.empty() || !Utf8ToUtf16(entry.name)) return false;
  return std::visit([](const auto& access) { return access.get && access.set; }, entry.access);
}

}  // namespace

// ---- RegistryLocation ----

RegistryLocation::~RegistryLocation() {
  if (key_ != kNoRegistryKey) registry_.CloseKey(key_);
}

RegistryKey RegistryLocation::Location() {
  // A refusal is not remembered: the next use tries again.
  if (key_ == kNoRegistryKey) key_ = registry_.CreateKey(registry_.Root(), path_);
  return key_;
}

std::optional<RegistryValue> RegistryLocation::ReadValue(const std::u16string& section,
                                                         const std::u16string& name) {
  const RegistryKey location = Location();
  if (location == kNoRegistryKey) return std::nullopt;
  ScopedKey key(registry_, registry_.OpenKey(location, section));
  if (key.get() == kNoRegistryKey) return std::nullopt;
  return registry_.QueryValue(key.get(), name, kMaxStoredValueBytes);
}

template <typename Write>
bool RegistryLocation::WriteInSection(const std::u16string& section, Write write) {
  const RegistryKey location = Location();
  if (location == kNoRegistryKey) return false;
  ScopedKey key(registry_, registry_.CreateKey(location, section));
  if (key.get() == kNoRegistryKey) return false;
  return write(key.get());
}

bool RegistryLocation::WriteString(const std::u16string& section, const std::u16string& name,
                                   const std::u16string& text) {
  return WriteInSection(section,
                        [&](RegistryKey key) { return registry_.SetString(key, name, text); });
}

bool RegistryLocation::WriteDword(const std::u16string& section, const std::u16string& name,
                                  uint32_t value) {
  return WriteInSection(section,
                        [&](RegistryKey key) { return registry_.SetDword(key, name, value); });
}

bool RegistryLocation::DeleteValue(const std::u16string& section, const std::u16string& name) {
  return WriteInSection(section, [&](RegistryKey key) { return registry_.DeleteValue(key, name); });
}

// ---- SettingsSection ----

void SettingsSection::Add(std::string name, PropertyAccess access) {
  properties_.push_back({std::move(name), std::move(access)});
}

void SettingsSection::Save() {
  const std::u16string section = Wide(section_);
  for (const PropertyEntry& entry : properties_) {
    if (!IsBound(entry)) continue;
    const std::string& name = entry.name;
    std::visit(Overloaded{
                   [&](const BooleanProperty& p) {
                     const std::u16string text = p.get() ? u"True" : u"False";
                     if (!location_->WriteString(section, Wide(name), text)) Fail(kSetFailed, name);
                   },
                   [&](const IntegerProperty& p) { SaveInteger(name, p.get()); },
                   [&](const StringListProperty& p) { SaveList(name, p.get()); },
               },
               entry.access);
  }
}

void SettingsSection::SaveInteger(const std::string& name, int32_t value) {
  const std::u16string section = Wide(section_);
  const std::u16string wide_name = Wide(name);
  // A number kept as text (written by hand or by another tool) stays text.
  const std::optional<RegistryValue> existing = location_->ReadValue(section, wide_name);
  const bool ok = existing && existing->type == kRegSz
                      ? location_->WriteString(section, wide_name, Ascii(std::to_string(value)))
                      : location_->WriteDword(section, wide_name, static_cast<uint32_t>(value));
  if (!ok) Fail(kSetFailed, name);
}

void SettingsSection::SaveList(const std::string& name, const std::vector<std::u16string>& lines) {
  const std::string count_name = name + "_Count";
  // Nothing that could not be read back is written.
  if (lines.size() > static_cast<std::size_t>(kMaxListCount)) Fail(kSetFailed, count_name);
  std::size_t bytes = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (StoredSize(lines[i]) > kMaxStoredValueBytes) Fail(kSetFailed, ListLineName(name, i));
    bytes += StoredSize(lines[i]);
  }
  if (bytes > kMaxListBytes) Fail(kSetFailed, count_name);

  std::size_t old_count = 0;
  try {
    const std::optional<int32_t> stored = ReadInteger(count_name);
    if (stored && *stored > 0 && *stored <= kMaxListCount) old_count = *stored;
  } catch (const Error&) {
    // An unreadable old count only limits the clean-up below.
  }

  SaveInteger(count_name, static_cast<int32_t>(lines.size()));
  const std::u16string section = Wide(section_);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string line_name = ListLineName(name, i);
    if (!location_->WriteString(section, Wide(line_name), lines[i])) Fail(kSetFailed, line_name);
  }
  // Lines left from a longer list: up to the old count, and any that follow without a gap.
  for (std::size_t i = lines.size(); i < static_cast<std::size_t>(kMaxListCount); ++i) {
    const bool deleted = location_->DeleteValue(section, Wide(ListLineName(name, i)));
    if (!deleted && i >= old_count) break;
  }
}

std::vector<std::string> SettingsSection::Load() {
  std::vector<std::string> errors;
  for (const PropertyEntry& entry : properties_) {
    if (!IsBound(entry)) continue;
    const std::string& name = entry.name;
    try {
      if (const auto* list = std::get_if<StringListProperty>(&entry.access)) {
        LoadList(name, *list, errors);
      } else {
        LoadEntry(name, entry.access);
      }
    } catch (const std::exception& e) {
      // The entry keeps its value; the rest are still loaded.
      errors.push_back(e.what());
    }
  }
  return errors;
}

void SettingsSection::LoadEntry(const std::string& name, const PropertyAccess& access) {
  std::visit(Overloaded{
                 [&](const BooleanProperty& p) {
                   if (const std::optional<bool> value = ReadBoolean(name)) p.set(*value);
                 },
                 [&](const IntegerProperty& p) {
                   if (const std::optional<int32_t> value = ReadInteger(name)) p.set(*value);
                 },
                 [&](const StringListProperty&) {},
             },
             access);
}

// Every readable line comes back, up to the limits: a damaged line reads as an empty text and
// is reported, and a damaged count is reported and the lines are taken as they stand, up to the
// first missing one. A count past the limit is taken so too, and the cut reported. A later save
// then writes back everything that was read.
void SettingsSection::LoadList(const std::string& name, const StringListProperty& list,
                               std::vector<std::string>& errors) {
  const std::string count_name = name + "_Count";
  int32_t count = -1;  // -1: read the lines as they stand
  bool over_limit = false;
  try {
    count = ReadInteger(count_name).value_or(0);
    if (count < 0) errors.push_back(FormatMessage1(kInvalidType, count_name));
    over_limit = count > kMaxListCount;
    if (over_limit) count = -1;
  } catch (const std::exception& e) {
    errors.push_back(e.what());
  }
  if (count == 0) return;
  const bool known_count = count > 0;
  std::vector<std::u16string> lines;
  std::size_t bytes = 0;
  for (int32_t i = 0; i < (known_count ? count : kMaxListCount); ++i) {
    const std::string line_name = ListLineName(name, static_cast<std::size_t>(i));
    std::u16string line;
    try {
      const std::optional<std::u16string> text = ReadText(line_name);
      if (!text && !known_count) break;
      line = text.value_or(std::u16string());
    } catch (const std::exception& e) {
      errors.push_back(e.what());
    }
    bytes += StoredSize(line);
    if (bytes > kMaxListBytes) {
      over_limit = true;
      break;
    }
    lines.push_back(std::move(line));
  }
  if (over_limit) errors.push_back(ListCut(name, lines.size()));
  if (!lines.empty()) list.set(lines);
}

std::optional<RegistryValue> SettingsSection::Read(const std::string& name) {
  std::optional<RegistryValue> value = location_->ReadValue(Wide(section_), Wide(name));
  if (value && value->too_long) Fail(kValueTooLong, name);
  return value;
}

std::optional<std::u16string> SettingsSection::ReadText(const std::string& name) {
  const std::optional<RegistryValue> value = Read(name);
  if (!value) return std::nullopt;
  if (value->type != kRegSz && value->type != kRegExpandSz) Fail(kInvalidType, name);
  return DecodeText(value->data);
}

std::optional<bool> SettingsSection::ReadBoolean(const std::string& name) {
  const std::optional<std::u16string> text = ReadText(name);
  if (!text) return std::nullopt;
  if (EqualsIgnoringAsciiCase(*text, "false")) return false;
  if (EqualsIgnoringAsciiCase(*text, "true")) return true;
  Fail(kInvalidElement, Utf16ToUtf8(*text));
}

std::optional<int32_t> SettingsSection::ReadInteger(const std::string& name) {
  const std::optional<RegistryValue> value = Read(name);
  if (!value) return std::nullopt;
  if (value->type == kRegSz) return ParseInteger(DecodeText(value->data)).value_or(0);
  if (value->type != kRegDword) Fail(kInvalidType, name);
  // Exactly four bytes; a longer or shorter value cannot be read as one number.
  const std::vector<uint8_t>& d = value->data;
  if (d.size() != 4) Fail(kGetFailed, name);
  return static_cast<int32_t>(static_cast<uint32_t>(d[0]) | static_cast<uint32_t>(d[1]) << 8 |
                              static_cast<uint32_t>(d[2]) << 16 |
                              static_cast<uint32_t>(d[3]) << 24);
}

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

std::vector<std::string> SettingsStore::LoadExceptions(std::vector<std::u16string>& words) {
  Settings unused;
  SettingsSection section = Section(kGeneralSection, {}, unused, {});
  section.Add(kDetectExceptionsName,
              StringListProperty{[&words] { return words; },
                                 [&words](const std::vector<std::u16string>& v) { words = v; }});
  return section.Load();
}

void SettingsStore::SaveExceptions(const std::vector<std::u16string>& words) {
  Settings unused;
  SettingsSection section = Section(kGeneralSection, {}, unused, {});
  section.Add(kDetectExceptionsName,
              StringListProperty{[&words] { return words; }, [](const auto&) {}});
  section.Save();
}

}  // namespace ravak
