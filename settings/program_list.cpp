#include "settings/program_list.h"

#include <algorithm>

namespace ravak {

namespace {

char16_t FoldAscii(char16_t c) {
  return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

bool SameFileName(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](char16_t x, char16_t y) { return FoldAscii(x) == FoldAscii(y); });
}

bool IsSpace(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

}  // namespace

std::u16string ProgramFileName(std::u16string_view text) {
  while (!text.empty() && (IsSpace(text.front()) || text.front() == u'"')) text.remove_prefix(1);
  while (!text.empty() && (IsSpace(text.back()) || text.back() == u'"')) text.remove_suffix(1);
  const std::size_t slash = text.find_last_of(u"\\/");
  if (slash != std::u16string_view::npos) text.remove_prefix(slash + 1);
  // A name Windows would not give a file: reserved characters, control characters, a trailing
  // dot, or dots alone.
  if (text.empty() || text.back() == u'.' || text.back() == u' ') return {};
  for (const char16_t c : text) {
    if (c < 0x20 || std::u16string_view(u"<>:\"|?*").find(c) != std::u16string_view::npos)
      return {};
  }
  std::u16string name(text);
  if (name.find(u'.') == std::u16string::npos) name += u".exe";
  return name;
}

bool ListsProgram(const std::vector<std::u16string>& list, std::u16string_view program) {
  return !program.empty() && std::any_of(list.begin(), list.end(), [&](const std::u16string& p) {
    return SameFileName(p, program);
  });
}

bool AddProgram(std::vector<std::u16string>& list, std::u16string_view program) {
  std::u16string name = ProgramFileName(program);
  if (name.empty() || ListsProgram(list, name)) return false;
  list.push_back(std::move(name));
  return true;
}

bool RemoveProgram(std::vector<std::u16string>& list, std::u16string_view program) {
  const auto listed = [&](const std::u16string& p) { return SameFileName(p, program); };
  const auto end = std::remove_if(list.begin(), list.end(), listed);
  if (end == list.end()) return false;
  list.erase(end, list.end());
  return true;
}

bool KeptOutOfForeground(const Settings& settings, TypingTargetQuery& target) {
  if (settings.skip_full_screen && target.ForegroundIsFullScreen()) return true;
  return !settings.excluded_programs.empty() &&
         ListsProgram(settings.excluded_programs, target.ForegroundProgram());
}

}  // namespace ravak
