// Putting Kerrak where the hook component loads it from. Ravak loads only a copy that is byte
// for byte the image it carries, so that a fixed Kerrak reaches every user with the program
// that carries it, and never a copy of the other architecture (x86 and x64 builds of Ravak
// each carry their own).
//
// - The copy installed beside the program (by the package) and one in the System folder are
//   used when they are that image. Ravak never writes into either folder: a copy there may
//   belong to another build or another program, and one it wrote would outlive it.
// - An elevated Ravak (high integrity level or above) loads nothing else, and the copy beside
//   it only from a folder ordinary users cannot write (its install folder under Program Files):
//   its hook is loaded by path into elevated programs, long after it was checked, so it never
//   takes a copy from a folder the user can write (Downloads, say).
// - Otherwise, when neither serves, Ravak uses its own per-user copy in
//   %LOCALAPPDATA%\Tirnak\Ravak\<x64|x86>, writing it when missing and replacing it when it
//   is anything but the carried image.
//
// Kerrak is then loaded by the full path of such a copy, never by a bare name from the search
// path.
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
  // The program runs elevated: at a high integrity level or above.
  virtual bool RunsElevated() = 0;
  // Ordinary users cannot add, replace or rename files in the folder: it lies in the System
  // folder or a Program Files folder, and its access list gives no group of ordinary users the
  // right to write there.
  virtual bool FolderProtected(const std::u16string& folder) = 0;
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
  // The copies that are the carried image after deployment, in the order to try loading
  // them: program folder, System folder, or else the per-user folder.
  std::vector<std::u16string> load_order;
  // The path written in this run; empty when nothing was written.
  std::u16string written;
  // Set only when no copy can be loaded: "Cannot create file "<path>". <reason>" when the
  // per-user copy could not be written, kElevatedWithoutCopy for an elevated Ravak.
  std::optional<std::string> error;
};

constexpr char kElevatedWithoutCopy[] =
    "Cannot use Kerrak.dll: an elevated Ravak loads only the copy installed beside it (in a "
    "folder ordinary users cannot write, under Program Files) or in the System folder, and "
    "neither is this build's.";

KerrakDeployment DeployKerrak(KerrakFileSystem& fs, std::span<const uint8_t> image);

}  // namespace ravak
