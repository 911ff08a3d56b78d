// Sorvel's pure parts: the data that the immediate action hands to the deferred one, the
// checks on the names that come from the installer, and what the removal takes away.
//
// Nothing here runs a program or a script: the deferred action deletes the files itself, one
// name at a time below a folder the installer names (see RemovalSystem).
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace sorvel {

// Names shared with the installer package.
inline constexpr char16_t kDeferredActionName[] = u"QZ_DoRemoveExternalUIStub";
inline constexpr char16_t kCustomActionData[] = u"CustomActionData";
inline constexpr char16_t kAllUsersCondition[] = u"ALLUSERS = 1";
inline constexpr char16_t kCommonAppDataFolder[] = u"[CommonAppDataFolder]";
inline constexpr char16_t kLocalAppDataFolder[] = u"[LocalAppDataFolder]";
inline constexpr char16_t kProductCode[] = u"[ProductCode]";
inline constexpr char16_t kStubName[] = u"[QZ_EXTERNALUIUNINSTALLERNAME]";

// Ravak's hidden application window, which its Exit closes.
inline constexpr char16_t kProgramWindowClass[] = u"RavakApplication";
// How long the uninstall waits for a running Ravak to exit.
constexpr uint32_t kProgramExitTimeoutMs = 10000;

// The deferred action's data: the stub file's full path, and the user's local application
// data folder (where Ravak keeps its per-user copy of Kerrak), separated by "|", which no
// path holds.
struct RemovalData {
  std::u16string stub_path;
  std::u16string user_folder;
  bool operator==(const RemovalData&) const = default;
};

std::u16string ComposeRemovalData(const RemovalData& data);
// nullopt for a text without the separator.
std::optional<RemovalData> ParseRemovalData(const std::u16string& text);

// A name that stands for one entry of a folder and nothing else: not empty, no path
// separator, no wildcard, no stream (":"), no character below U+0020, not "." or "..", not
// ending with a dot or a space (Windows drops those, so the name would reach another file),
// and no device name (CON, NUL, COM1...).
bool IsPlainName(const std::u16string& name);
// A product code as the installer writes it: {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}.
bool IsProductCode(const std::u16string& text);
// A full path: a drive ("C:\...") or a share ("\\server\..."), no wildcard.
bool IsFullPath(const std::u16string& path);

// The ".ini" beside the stub: the name's extension replaced by ".ini", or ".ini" appended
// when it has none.
std::u16string IniNameFor(const std::u16string& stub_name);

// What one removal takes away below a base folder: the files of the innermost folder, then
// that folder and, up to folders_to_remove of its parents, each when it is empty.
struct Removal {
  std::u16string base;                  // a full path, from the installer
  std::vector<std::u16string> folders;  // plain names, outermost first
  std::vector<std::u16string> files;    // plain names inside the innermost folder
  std::size_t folders_to_remove = 0;
  bool operator==(const Removal&) const = default;
};

// The stub below its application data folder: Malvorn\Pellory\{product code}\stub name.
inline constexpr char16_t kStubVendorFolder[] = u"Malvorn";
inline constexpr char16_t kStubProductFolder[] = u"Pellory";

// The stub's path from the folder's parts; nullopt unless the product code and the name pass
// the checks above and the base is a full path.
std::optional<std::u16string> StubPath(const std::u16string& base_folder,
                                       const std::u16string& product_code,
                                       const std::u16string& stub_name);
// The removal of the stub, its ".ini" and, when it is then empty, the product's folder;
// nullopt unless the path is one StubPath makes.
std::optional<Removal> StubRemoval(const std::u16string& stub_path);
// The removal of the user's copy of Kerrak for the architecture (x64, x86) in
// <user folder>\Tirnak\Ravak\<architecture>, and of those folders when empty.
std::optional<Removal> KerrakRemoval(const std::u16string& user_folder,
                                     const std::u16string& architecture);

}  // namespace sorvel
