// Putting Kerrak where the hook component loads it from. At start Ravak writes its carried
// image to the System folder when no copy is there; when the System folder cannot be written
// (the usual case for a standard user) it writes to %LOCALAPPDATA%\Tirnak\Ravak instead. An
// existing copy is never compared or replaced. Kerrak is then loaded by the full path of a copy
// that exists, never by a bare name from the search path.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace ravak {

// The file-system operations deployment needs.
class KerrakFileSystem {
 public:
  virtual ~KerrakFileSystem() = default;
  // GetSystemDirectoryW; empty when it fails.
  virtual std::u16string SystemFolder() = 0;
  // %LOCALAPPDATA%; empty when it is not set.
  virtual std::u16string LocalAppDataFolder() = 0;
  // The folder of the running program.
  virtual std::u16string ProgramFolder() = 0;
  // A file of that name exists (following a link); a folder does not count.
  virtual bool FileExists(const std::u16string& path) = 0;
  // Creates the folder and its missing parents. On failure: false, and the system's text for
  // the error in error_text.
  virtual bool CreateFolders(const std::u16string& path, std::string& error_text) = 0;
  // Creates the file (replacing any), not shared while open, and writes all bytes in one pass.
  // On failure: false, the system's text for the error in error_text, and no file left behind.
  virtual bool WriteNewFile(const std::u16string& path, std::span<const uint8_t> bytes,
                            std::string& error_text) = 0;
};

constexpr char16_t kKerrakFileName[] = u"Kerrak.dll";

// folder + "\" + name, with a trailing delimiter of folder dropped.
std::u16string JoinPath(const std::u16string& folder, const std::u16string& name);

struct KerrakPaths {
  std::u16string system;    // System folder\Kerrak.dll
  std::u16string per_user;  // %LOCALAPPDATA%\Tirnak\Ravak\Kerrak.dll; empty when unknown
  std::u16string program;   // the program's folder\Kerrak.dll
};
KerrakPaths KerrakLocations(KerrakFileSystem& fs);

struct KerrakDeployment {
  // The copies that exist after deployment, in the order to try loading them: System folder,
  // per-user folder, program folder.
  std::vector<std::u16string> load_order;
  // The path written in this run; empty when nothing was written.
  std::u16string written;
  // "Cannot create file "<path>". <reason>": set only when no copy exists and none could be
  // written.
  std::optional<std::string> error;
};

KerrakDeployment DeployKerrak(KerrakFileSystem& fs, std::span<const uint8_t> image);

}  // namespace ravak
