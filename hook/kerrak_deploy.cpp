#include "hook/kerrak_deploy.h"

#include <algorithm>

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

// The per-user folder of a Kerrak built for machine: x64, x86, or the machine number in
// hexadecimal.
std::u16string ArchitectureFolder(uint16_t machine) {
  switch (machine) {
    case kMachineX64:
      return u"x64";
    case kMachineX86:
      return u"x86";
    default: {
      std::u16string hex;
      for (int shift = 12; shift >= 0; shift -= 4)
        hex += u"0123456789abcdef"[machine >> shift & 0xF];
      return hex;
    }
  }
}

std::string CannotCreate(const std::u16string& path, const std::string& reason) {
  return "Cannot create file \"" + Utf16ToUtf8(path) + "\". " + reason;
}

}  // namespace

std::optional<uint16_t> PeMachine(std::span<const uint8_t> bytes) {
  auto le = [&](std::size_t at, int size) {
    uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = value << 8 | bytes[at + i];
    return value;
  };
  if (bytes.size() < 0x40 || bytes[0] != 'M' || bytes[1] != 'Z') return std::nullopt;
  const uint32_t pe = le(0x3C, 4);
  if (pe > bytes.size() || bytes.size() - pe < 24) return std::nullopt;
  if (le(pe, 4) != 0x00004550) return std::nullopt;  // "PE\0\0"
  return static_cast<uint16_t>(le(pe + 4, 2));
}

std::u16string JoinPath(const std::u16string& folder, const std::u16string& name) {
  std::u16string path = folder;
  if (!path.empty() && IsDelimiter(path.back())) path.pop_back();
  return path + u'\\' + name;
}

KerrakPaths KerrakLocations(KerrakFileSystem& fs, uint16_t machine) {
  KerrakPaths paths;
  const std::u16string system = fs.SystemFolder();
  if (!system.empty()) paths.system = JoinPath(system, kKerrakFileName);
  const std::u16string local = fs.LocalAppDataFolder();
  if (!local.empty()) {
    const std::u16string folder = JoinPath(JoinPath(local, u"Tirnak"), u"Ravak");
    paths.per_user = JoinPath(JoinPath(folder, ArchitectureFolder(machine)), kKerrakFileName);
  }
  const std::u16string program = fs.ProgramFolder();
  if (!program.empty()) paths.program = JoinPath(program, kKerrakFileName);
  return paths;
}

KerrakDeployment DeployKerrak(KerrakFileSystem& fs, std::span<const uint8_t> image) {
  KerrakDeployment result;
  const std::optional<uint16_t> machine = PeMachine(image);
  if (!machine) {
    result.error = CannotCreate(kKerrakFileName, "The carried image is damaged.");
    return result;
  }
  const KerrakPaths paths = KerrakLocations(fs, *machine);
  // The carried image and nothing else: one byte more is read to see a longer file.
  auto is_image = [&](const std::u16string& path) {
    if (path.empty() || !fs.FileExists(path)) return false;
    const std::vector<uint8_t> bytes = fs.ReadFileStart(path, image.size() + 1);
    return std::equal(bytes.begin(), bytes.end(), image.begin(), image.end());
  };

  const bool elevated = fs.RunsElevated();
  // Elevated, a copy serves only where ordinary users cannot swap it later.
  const auto usable = [&](const std::u16string& path) {
    return is_image(path) && (!elevated || fs.FolderProtected(FolderOf(path)));
  };
  if (usable(paths.program)) result.load_order.push_back(paths.program);
  if (paths.system != paths.program && usable(paths.system))
    result.load_order.push_back(paths.system);
  if (!result.load_order.empty()) return result;
  if (elevated) {
    result.error = kElevatedWithoutCopy;
    return result;
  }

  // Ravak's own per-user copy, written again whenever it is not the carried image.
  if (paths.per_user.empty()) {
    result.error = CannotCreate(kKerrakFileName, "No folder to write it to.");
    return result;
  }
  if (!is_image(paths.per_user)) {
    std::string reason;
    if (!fs.CreateFolders(FolderOf(paths.per_user), reason) ||
        !fs.WriteNewFile(paths.per_user, image, reason)) {
      result.error = CannotCreate(paths.per_user, reason);
      return result;
    }
    result.written = paths.per_user;
  }
  result.load_order.push_back(paths.per_user);
  return result;
}

}  // namespace ravak
