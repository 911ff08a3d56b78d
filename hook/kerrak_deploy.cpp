#include "hook/kerrak_deploy.h"

#include "platform/utf.h"

namespace ravak {

namespace {

bool IsDelimiter(char16_t c) {
  return c == u'\\' || c == u'/';
}

std::u16string FolderOf(const std::u16string& path) {
  const std::size_t slash = path.find_last_of(u"\\/");
  return slash == std::u16string::npos ? std::u16string() : path.substr(0, slash);
}

std::string CannotCreate(const std::u16string& path, const std::string& reason) {
  return "Cannot create file \"" + Utf16ToUtf8(path) + "\". " + reason;
}

}  // namespace

std::u16string JoinPath(const std::u16string& folder, const std::u16string& name) {
  std::u16string path = folder;
  if (!path.empty() && IsDelimiter(path.back())) path.pop_back();
  return path + u'\\' + name;
}

KerrakPaths KerrakLocations(KerrakFileSystem& fs) {
  KerrakPaths paths;
  const std::u16string system = fs.SystemFolder();
  if (!system.empty()) paths.system = JoinPath(system, kKerrakFileName);
  const std::u16string local = fs.LocalAppDataFolder();
  if (!local.empty()) {
    paths.per_user = JoinPath(JoinPath(JoinPath(local, u"Tirnak"), u"Ravak"), kKerrakFileName);
  }
  const std::u16string program = fs.ProgramFolder();
  if (!program.empty()) paths.program = JoinPath(program, kKerrakFileName);
  return paths;
}

KerrakDeployment DeployKerrak(KerrakFileSystem& fs, std::span<const uint8_t> image) {
  const KerrakPaths paths = KerrakLocations(fs);
  KerrakDeployment result;
  std::string failure;  // the message of the last attempt that failed

  // Present already, or written now.
  auto ensure = [&](const std::u16string& path, bool create_folder) {
    if (path.empty()) return false;
    if (fs.FileExists(path)) return true;
    std::string reason;
    if ((!create_folder || fs.CreateFolders(FolderOf(path), reason)) &&
        fs.WriteNewFile(path, image, reason)) {
      result.written = path;
      return true;
    }
    failure = CannotCreate(path, reason);
    return false;
  };
  if (!ensure(paths.system, false)) ensure(paths.per_user, true);

  for (const std::u16string* path : {&paths.system, &paths.per_user, &paths.program}) {
    if (path->empty() || !fs.FileExists(*path)) continue;
    bool listed = false;
    for (const std::u16string& p : result.load_order) listed = listed || p == *path;
    if (!listed) result.load_order.push_back(*path);
  }
  if (result.load_order.empty()) {
    result.error =
        failure.empty() ? CannotCreate(kKerrakFileName, "No folder to write it to.") : failure;
  }
  return result;
}

}  // namespace ravak
