// One settings section: every property written and read back by its type (a boolean as True or
// False, a number as a DWORD or as the text it was kept as), a bad stored value reported.
#include "settings/settings_store.h"

#include <exception>
#include <string_view>
#include <utility>

#include "platform/utf.h"
#include "settings/settings_internal.h"

namespace ravak {

using namespace settings_internal;

namespace {

constexpr char kInvalidElement[] = "Invalid property element: %s";
constexpr char kGetFailed[] = "Failed to get data for '%s'";
constexpr char kValueTooLong[] = "The stored value '%s' is longer than 64 KiB and was not read";

std::u16string Ascii(std::string_view s) {
  return std::u16string(s.begin(), s.end());
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

bool IsBound(const PropertyEntry& entry) {
  if (entry.name.empty() || !Utf8ToUtf16(entry.name)) return false;
  return std::visit([](const auto& access) { return access.get && access.set; }, entry.access);
}

}  // namespace

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

}  // namespace ravak
