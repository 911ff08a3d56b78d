#include "app/settings_store.h"

#include <exception>
#include <string_view>
#include <utility>

#include "platform/error.h"
#include "platform/utf.h"

namespace ravak {
namespace {

constexpr char kInvalidElement[] = "Invalid property element: %s";
constexpr char kInvalidType[] = "Invalid data type for '%s'";
constexpr char kGetFailed[] = "Failed to get data for '%s'";
constexpr char kSetFailed[] = "Failed to set data for '%s'";

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

bool IsBound(const PropertyEntry& entry) {
  if (entry.component.empty() || entry.property.empty()) return false;
  if (!Utf8ToUtf16(entry.component) || !Utf8ToUtf16(entry.property)) return false;
  return std::visit([](const auto& access) { return access.get && access.set; }, entry.access);
}

}  // namespace

// ---- TRzRegIniFile ----

TRzRegIniFile::~TRzRegIniFile() {
  if (key_ != kNoRegistryKey) registry_.CloseKey(key_);
}

RegistryKey TRzRegIniFile::Location() {
  // A refusal is not remembered: the next use tries again.
  if (key_ == kNoRegistryKey) key_ = registry_.CreateKey(registry_.Root(), path_);
  return key_;
}

std::optional<RegistryValue> TRzRegIniFile::ReadValue(const std::u16string& section,
                                                      const std::u16string& name) {
  const RegistryKey location = Location();
  if (location == kNoRegistryKey) return std::nullopt;
  ScopedKey key(registry_, registry_.OpenKey(location, section));
  if (key.get() == kNoRegistryKey) return std::nullopt;
  return registry_.QueryValue(key.get(), name);
}

template <typename Write>
bool TRzRegIniFile::WriteInSection(const std::u16string& section, Write write) {
  const RegistryKey location = Location();
  if (location == kNoRegistryKey) return false;
  ScopedKey key(registry_, registry_.CreateKey(location, section));
  if (key.get() == kNoRegistryKey) return false;
  return write(key.get());
}

bool TRzRegIniFile::WriteString(const std::u16string& section, const std::u16string& name,
                                const std::u16string& text) {
  return WriteInSection(section,
                        [&](RegistryKey key) { return registry_.SetString(key, name, text); });
}

bool TRzRegIniFile::WriteDword(const std::u16string& section, const std::u16string& name,
                               uint32_t value) {
  return WriteInSection(section,
                        [&](RegistryKey key) { return registry_.SetDword(key, name, value); });
}

bool TRzRegIniFile::DeleteValue(const std::u16string& section, const std::u16string& name) {
  return WriteInSection(section, [&](RegistryKey key) { return registry_.DeleteValue(key, name); });
}

// ---- TRzPropertyStore ----

void TRzPropertyStore::Add(std::string component, std::string property, PropertyAccess access) {
  properties_.push_back({std::move(component), std::move(property), std::move(access)});
}

void TRzPropertyStore::Save() {
  const std::u16string section = Wide(section_);
  for (const PropertyEntry& entry : properties_) {
    if (!IsBound(entry)) continue;
    const std::string name = entry.component + "." + entry.property;
    std::visit(Overloaded{
                   [&](const BooleanProperty& p) {
                     const std::u16string text = p.get() ? u"True" : u"False";
                     if (!ini_file_->WriteString(section, Wide(name), text)) Fail(kSetFailed, name);
                   },
                   [&](const IntegerProperty& p) { SaveInteger(name, p.get()); },
                   [&](const StringListProperty& p) { SaveList(name, p.get()); },
               },
               entry.access);
  }
}

void TRzPropertyStore::SaveInteger(const std::string& name, int32_t value) {
  const std::u16string section = Wide(section_);
  const std::u16string wide_name = Wide(name);
  // A number kept as text (written by hand or by another tool) stays text.
  const std::optional<RegistryValue> existing = ini_file_->ReadValue(section, wide_name);
  const bool ok = existing && existing->type == kRegSz
                      ? ini_file_->WriteString(section, wide_name, Ascii(std::to_string(value)))
                      : ini_file_->WriteDword(section, wide_name, static_cast<uint32_t>(value));
  if (!ok) Fail(kSetFailed, name);
}

void TRzPropertyStore::SaveList(const std::string& name, const std::vector<std::u16string>& lines) {
  const std::string count_name = name + "_Count";
  // A longer list could not be read back.
  if (lines.size() > static_cast<std::size_t>(kMaxListCount)) Fail(kSetFailed, count_name);

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
    if (!ini_file_->WriteString(section, Wide(line_name), lines[i])) Fail(kSetFailed, line_name);
  }
  // Lines left from a longer list: up to the old count, and any that follow without a gap.
  for (std::size_t i = lines.size(); i < static_cast<std::size_t>(kMaxListCount); ++i) {
    const bool deleted = ini_file_->DeleteValue(section, Wide(ListLineName(name, i)));
    if (!deleted && i >= old_count) break;
  }
}

std::vector<std::string> TRzPropertyStore::Load() {
  std::vector<std::string> errors;
  for (const PropertyEntry& entry : properties_) {
    if (!IsBound(entry)) continue;
    try {
      LoadEntry(entry.component + "." + entry.property, entry.access);
    } catch (const std::exception& e) {
      // The entry keeps its value; the rest are still loaded.
      errors.push_back(e.what());
    }
  }
  return errors;
}

void TRzPropertyStore::LoadEntry(const std::string& name, const PropertyAccess& access) {
  std::visit(Overloaded{
                 [&](const BooleanProperty& p) {
                   if (const std::optional<bool> value = ReadBoolean(name)) p.set(*value);
                 },
                 [&](const IntegerProperty& p) {
                   if (const std::optional<int32_t> value = ReadInteger(name)) p.set(*value);
                 },
                 [&](const StringListProperty& p) {
                   const std::string count_name = name + "_Count";
                   const int32_t count = ReadInteger(count_name).value_or(0);
                   if (count < 0 || count > kMaxListCount) Fail(kInvalidType, count_name);
                   if (count == 0) return;
                   std::vector<std::u16string> lines;
                   lines.reserve(count);
                   for (int32_t i = 0; i < count; ++i) {
                     lines.push_back(ReadText(ListLineName(name, i)).value_or(std::u16string()));
                   }
                   p.set(lines);
                 },
             },
             access);
}

std::optional<RegistryValue> TRzPropertyStore::Read(const std::string& name) {
  return ini_file_->ReadValue(Wide(section_), Wide(name));
}

std::optional<std::u16string> TRzPropertyStore::ReadText(const std::string& name) {
  const std::optional<RegistryValue> value = Read(name);
  if (!value) return std::nullopt;
  if (value->type != kRegSz && value->type != kRegExpandSz) Fail(kInvalidType, name);
  return DecodeText(value->data);
}

std::optional<bool> TRzPropertyStore::ReadBoolean(const std::string& name) {
  const std::optional<std::u16string> text = ReadText(name);
  if (!text) return std::nullopt;
  if (EqualsIgnoringAsciiCase(*text, "false")) return false;
  if (EqualsIgnoringAsciiCase(*text, "true")) return true;
  Fail(kInvalidElement, Utf16ToUtf8(*text));
}

std::optional<int32_t> TRzPropertyStore::ReadInteger(const std::string& name) {
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

// ---- The main window's two stores ----

TRzPropertyStore MakeGeneralStore(TRzRegIniFile& ini_file, GeneralBindings b) {
  TRzPropertyStore store(ini_file, "General");
  store.Add("chkActivePro", "Checked", std::move(b.chkActivePro));
  store.Add("chkAutoChangeLng", "Checked", std::move(b.chkAutoChangeLng));
  store.Add("dxmdt1", "Tag", std::move(b.dxmdt1Tag));
  store.Add("hk1", "HotKey", std::move(b.hk1HotKey));
  store.Add("hkProCopy", "HotKey", std::move(b.hkProCopyHotKey));
  store.Add("hkProPaste", "HotKey", std::move(b.hkProPasteHotKey));
  store.Add("lblKey", "Tag", std::move(b.lblKeyTag));
  store.Add("chkACEN", "Checked", std::move(b.chkACEN));
  store.Add("chkRTL", "Checked", std::move(b.chkRTL));
  store.Add("chkSlowSystem", "Checked", std::move(b.chkSlowSystem));
  store.Add("chkShowTips", "Checked", std::move(b.chkShowTips));
  store.Add("chkRavak", "Checked", std::move(b.chkRavak));
  return store;
}

TRzPropertyStore MakeAutoCorrectStore(TRzRegIniFile& ini_file, AutoCorrectBindings b) {
  TRzPropertyStore store(ini_file, "AutoCorrect");
  store.Add("chkACEN", "Checked", std::move(b.chkACEN));
  store.Add("lstSaveAC", "Items", std::move(b.lstSaveACItems));
  return store;
}

GeneralBindings BindGeneralSettings(GeneralSettings& s) {
  const auto boolean = [](bool& field) {
    return BooleanProperty{[&field] { return field; }, [&field](bool v) { field = v; }};
  };
  const auto integer = [](int32_t& field) {
    return IntegerProperty{[&field] { return field; }, [&field](int32_t v) { field = v; }};
  };
  const auto shortcut = [](uint16_t& field) {
    return IntegerProperty{[&field] { return static_cast<int32_t>(field); },
                           [&field](int32_t v) { field = static_cast<uint16_t>(v); }};
  };
  return GeneralBindings{
      boolean(s.chkActivePro),  boolean(s.chkAutoChangeLng), integer(s.dxmdt1Tag),
      shortcut(s.hk1HotKey),    shortcut(s.hkProCopyHotKey), shortcut(s.hkProPasteHotKey),
      integer(s.lblKeyTag),     boolean(s.chkACEN),          boolean(s.chkRTL),
      boolean(s.chkSlowSystem), boolean(s.chkShowTips),      boolean(s.chkRavak),
  };
}

}  // namespace ravak
