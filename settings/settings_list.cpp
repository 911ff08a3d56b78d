// A string list in its stored form: the line count in Name_Count and each line in Name[i], kept
// within the limits of a list (SettingsSection::kMaxListCount lines, kMaxListBytes of text) both
// ways.
#include "settings/settings_store.h"

#include <exception>
#include <utility>

#include "platform/error.h"
#include "settings/settings_internal.h"

namespace ravak {

using namespace settings_internal;

namespace {

std::string ListLineName(const std::string& name, std::size_t index) {
  return name + "[" + std::to_string(index) + "]";
}

std::size_t StoredSize(const std::u16string& text) {
  return StoredTextSize(text.size());
}

std::string ListCut(const std::string& name, std::size_t lines_read) {
  return "Only the first " + std::to_string(lines_read) + " lines of the stored list '" + name +
         "' were read: a list keeps at most " + std::to_string(SettingsSection::kMaxListCount) +
         " lines and " + std::to_string(SettingsSection::kMaxListBytes / (1024 * 1024)) + " MiB";
}

}  // namespace

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

}  // namespace ravak
