#include "setupaction/removal.h"

#include <string_view>

namespace sorvel {

namespace {

constexpr char16_t kSeparator = u'|';

char16_t Upper(char16_t c) {
  return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c;
}

bool IsHexDigit(char16_t c) {
  return (c >= u'0' && c <= u'9') || (Upper(c) >= u'A' && Upper(c) <= u'F');
}

// CON, PRN, AUX, NUL, COM1-9 and LPT1-9, alone or before an extension, in any case.
bool IsDeviceName(const std::u16string& name) {
  std::u16string stem = name.substr(0, name.find(u'.'));
  while (!stem.empty() && stem.back() == u' ') stem.pop_back();
  for (char16_t& c : stem) c = Upper(c);
  for (const std::u16string_view device : {u"CON", u"PRN", u"AUX", u"NUL"}) {
    if (stem == device) return true;
  }
  return stem.size() == 4 && (stem.starts_with(u"COM") || stem.starts_with(u"LPT")) &&
         stem[3] >= u'1' && stem[3] <= u'9';
}

// The part of path after its last backslash, and the part before it.
std::u16string NameOf(const std::u16string& path) {
  const auto slash = path.rfind(u'\\');
  return slash == std::u16string::npos ? path : path.substr(slash + 1);
}
std::u16string FolderOf(const std::u16string& path) {
  const auto slash = path.rfind(u'\\');
  return slash == std::u16string::npos ? std::u16string() : path.substr(0, slash);
}

}  // namespace

std::u16string ComposeRemovalData(const RemovalData& data) {
  return data.stub_path + kSeparator + data.user_folder;
}

std::optional<RemovalData> ParseRemovalData(const std::u16string& text) {
  const auto separator = text.find(kSeparator);
  if (separator == std::u16string::npos) return std::nullopt;
  return RemovalData{text.substr(0, separator), text.substr(separator + 1)};
}

bool IsPlainName(const std::u16string& name) {
  if (name.empty() || name.size() > 255 || name == u"." || name == u"..") return false;
  if (name.back() == u'.' || name.back() == u' ') return false;
  for (const char16_t c : name) {
    if (c < 0x20 || std::u16string_view(u"\\/:*?\"<>|").find(c) != std::u16string_view::npos) {
      return false;
    }
  }
  return !IsDeviceName(name);
}

bool IsProductCode(const std::u16string& text) {
  constexpr std::u16string_view kShape = u"{########-####-####-####-############}";
  if (text.size() != kShape.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (kShape[i] == u'#' ? !IsHexDigit(text[i]) : text[i] != kShape[i]) return false;
  }
  return true;
}

bool IsFullPath(const std::u16string& path) {
  if (path.find_first_of(u"*?") != std::u16string::npos) return false;
  const bool drive = path.size() >= 3 && Upper(path[0]) >= u'A' && Upper(path[0]) <= u'Z' &&
                     path[1] == u':' && path[2] == u'\\';
  const bool share = path.size() > 2 && path[0] == u'\\' && path[1] == u'\\';
  return drive || share;
}

std::u16string IniNameFor(const std::u16string& stub_name) {
  const auto dot = stub_name.rfind(u'.');
  return (dot == std::u16string::npos ? stub_name : stub_name.substr(0, dot)) + u".ini";
}

std::optional<std::u16string> StubPath(const std::u16string& base_folder,
                                       const std::u16string& product_code,
                                       const std::u16string& stub_name) {
  if (!IsFullPath(base_folder) || !IsProductCode(product_code) || !IsPlainName(stub_name)) {
    return std::nullopt;
  }
  std::u16string path = base_folder;
  if (path.back() != u'\\') path += u'\\';
  return path + kStubVendorFolder + u'\\' + kStubProductFolder + u'\\' + product_code + u'\\' +
         stub_name;
}

std::optional<Removal> StubRemoval(const std::u16string& stub_path) {
  const std::u16string name = NameOf(stub_path);
  const std::u16string product_folder = FolderOf(stub_path);
  const std::u16string product_code = NameOf(product_folder);
  const std::u16string base = FolderOf(FolderOf(FolderOf(product_folder))) + u'\\';
  // Only a path that StubPath makes from its parts.
  if (StubPath(base, product_code, name) != stub_path) return std::nullopt;
  std::vector<std::u16string> files = {name};
  if (IniNameFor(name) != name) files.push_back(IniNameFor(name));
  return Removal{base, {kStubVendorFolder, kStubProductFolder, product_code}, files, 1};
}

std::optional<Removal> KerrakRemoval(const std::u16string& user_folder,
                                     const std::u16string& architecture) {
  if (!IsFullPath(user_folder) || !IsPlainName(architecture)) return std::nullopt;
  return Removal{user_folder, {u"Tirnak", u"Ravak", architecture}, {u"Kerrak.dll"}, 3};
}

}  // namespace sorvel
