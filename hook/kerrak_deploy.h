// Putting Kerrak where the hook component loads it from. Only a copy built for the same
// machine as the image Ravak carries is ever used: x86 and x64 builds of Ravak can be installed
// side by side, and a library of the other architecture does not load. At start Ravak writes
// its carried image to the System folder when no copy is there; when the System folder cannot
// be written (the usual case for a standard user), or holds a copy of another architecture or
// one that is not a library at all, it uses its own per-user copy in
// %LOCALAPPDATA%\Tirnak\Ravak\<x64|x86>, writing it when missing and replacing it when it is of
// another architecture or damaged. A copy in the System folder is never replaced, and a usable
// copy is never compared with the image. Kerrak is then loaded by the full path of a usable
// copy, never by a bare name from the search path.
#pragma once

#include <cstddef>
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
  // Up to max_bytes from the start of the file: fewer when the file is shorter, none when it
  // cannot be opened or read.
  virtual std::vector<uint8_t> ReadFileStart(const std::u16string& path, std::size_t max_bytes) = 0;
  // Creates the file (replacing any), not shared while open, and writes all bytes in one pass.
  // On failure: false, the system's text for the error in error_text, and no file left behind.
  virtual bool WriteNewFile(const std::u16string& path, std::span<const uint8_t> bytes,
                            std::string& error_text) = 0;
};

constexpr char16_t kKerrakFileName[] = u"Kerrak.dll";

// Machine types of the PE file header.
constexpr uint16_t kMachineX86 = 0x014C;
constexpr uint16_t kMachineX64 = 0x8664;

// How much of a copy is read to find its machine type.
constexpr std::size_t kPeHeaderReadSize = 4096;

// The machine type in the PE file header of a module image, or nullopt when the bytes do not
// hold an MZ header and a complete PE file header that it points to.
std::optional<uint16_t> PeMachine(std::span<const uint8_t> bytes);

// folder + "\" + name, with a trailing delimiter of folder dropped.
std::u16string JoinPath(const std::u16string& folder, const std::u16string& name);

struct KerrakPaths {
  std::u16string system;    // System folder\Kerrak.dll
  std::u16string per_user;  // %LOCALAPPDATA%\Tirnak\Ravak\<arch>\Kerrak.dll; empty when unknown
  std::u16string program;   // the program's folder\Kerrak.dll
};
// The places for a Kerrak built for machine; <arch> is x64, x86 or the machine number in
// hexadecimal.
KerrakPaths KerrakLocations(KerrakFileSystem& fs, uint16_t machine);

struct KerrakDeployment {
  // The copies of the carried image's machine type that exist after deployment, in the order
  // to try loading them: System folder, per-user folder, program folder.
  std::vector<std::u16string> load_order;
  // The path written in this run; empty when nothing was written.
  std::u16string written;
  // "Cannot create file "<path>". <reason>": set only when no usable copy exists and none
  // could be written.
  std::optional<std::string> error;
};

KerrakDeployment DeployKerrak(KerrakFileSystem& fs, std::span<const uint8_t> image);

}  // namespace ravak
