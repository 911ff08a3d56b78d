#include "setupaction/removal.h"

#include <algorithm>
#include <iterator>
#include <string_view>

namespace sorvel {

const char kFileScriptTemplate[] =
    "@echo off \r\n"
    "ATTRIB -r \"%s\" \r\n"
    ":try \r\n"
    "del \"%s\" \r\n"
    "if exist \"%s\" goto try\r\n"
    "ATTRIB -r \"%s\" \r\n"
    "del \"%s\" | cls";

const char kFolderScriptTemplate[] =
    "@echo off \r\n"
    "ATTRIB -r \"%s\" \r\n"
    ":try \r\n"
    "rd \"%s\" \r\n"
    "if exist \"%s\" goto try\r\n"
    "ATTRIB -r \"%s\" \r\n"
    "del \"%s\" | cls";

std::u16string ComposeRemovalData(bool elevate, const std::u16string& stub_path) {
  return (elevate ? u"1" : u"0") + stub_path;
}

std::optional<RemovalData> ParseRemovalData(const std::u16string& data) {
  if (data.empty()) return std::nullopt;
  return RemovalData{data[0] == u'1', data.substr(1)};
}

std::u16string ParentFolder(const std::u16string& path) {
  const auto slash = path.rfind(u'\\');
  return slash == std::u16string::npos ? std::u16string() : path.substr(0, slash);
}

std::u16string IniPathFor(const std::u16string& stub_path) {
  const auto slash = stub_path.rfind(u'\\');
  const auto name_start = slash == std::u16string::npos ? 0 : slash + 1;
  if (name_start == stub_path.size()) return stub_path;
  const auto dot = stub_path.rfind(u'.');
  if (dot == std::u16string::npos || dot < name_start) return stub_path + u".ini";
  return stub_path.substr(0, dot) + u".ini";
}

bool IsAcceptedPath(const std::u16string& path) {
  if (path.empty()) return false;
  if (path.find_first_of(u"*?") != std::u16string::npos) return false;
  return path[0] == u'\\' || path.find(u':') != std::u16string::npos;
}

namespace {

// Windows file names compare without regard to case; ASCII folding is enough to tell whether
// the ".ini" path is the stub's own path.
bool SamePath(const std::u16string& a, const std::u16string& b) {
  auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; };
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [&](char16_t x, char16_t y) { return lower(x) == lower(y); });
}

}  // namespace

std::vector<RemovalTarget> ChooseRemovals(const std::u16string& stub_path,
                                          const StubFolderState& state) {
  std::vector<RemovalTarget> out;
  std::size_t handed = 0;
  if (state.stub_exists) {
    ++handed;
    out.push_back({stub_path, false});
  }
  const std::u16string ini = IniPathFor(stub_path);
  if (state.ini_exists && !SamePath(ini, stub_path)) {
    ++handed;
    out.push_back({ini, false});
  }
  const std::u16string folder = ParentFolder(stub_path);
  const bool is_drive = !folder.empty() && folder.back() == u':';
  if (state.entries == handed && IsAcceptedPath(folder) && !is_drive) {
    out.push_back({folder, true});
  }
  return out;
}

bool IsSafeScriptPath(const std::string& path) {
  constexpr std::string_view kRefused = "?*%\"!^&|<>\x7F";
  if (path.empty()) return false;
  for (const char c : path) {
    if (static_cast<unsigned char>(c) < 0x20 || kRefused.find(c) != std::string_view::npos) {
      return false;
    }
  }
  return true;
}

std::string ScriptText(const RemovalJob& job, const std::string& script_path) {
  const std::string_view tmpl = job.folder ? kFolderScriptTemplate : kFileScriptTemplate;
  const std::string* args[] = {&job.target_path, &job.target_path, &job.target_path, &script_path,
                               &script_path};
  std::string out;
  out.reserve(tmpl.size() + 3 * job.target_path.size() + 2 * script_path.size());
  std::size_t arg = 0;
  for (std::size_t i = 0; i < tmpl.size(); ++i) {
    if (tmpl[i] == '%' && i + 1 < tmpl.size() && tmpl[i + 1] == 's' && arg < std::size(args)) {
      out += *args[arg++];
      ++i;
    } else {
      out += tmpl[i];
    }
  }
  return out;
}

}  // namespace sorvel
