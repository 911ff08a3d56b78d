// Sorvel's pure parts: the data that the immediate action hands to the deferred one, the choice
// of what to remove, and the self-deleting batch scripts that do the removing.
//
// Paths are UTF-16 (Windows' wide strings); script texts and the paths inside them are 8-bit
// text in the ANSI code page, as cmd.exe reads a batch file.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace sorvel {

// Names shared with the installer package.
inline constexpr char16_t kDeferredActionName[] = u"QZ_DoRemoveExternalUIStub";
inline constexpr char16_t kCustomActionData[] = u"CustomActionData";
inline constexpr char16_t kVistaOrLaterCondition[] = u"VersionNT >= 600";
inline constexpr char16_t kAllUsersCondition[] = u"ALLUSERS = 1";
inline constexpr char16_t kCommonAppDataFolder[] = u"[CommonAppDataFolder]";
inline constexpr char16_t kLocalAppDataFolder[] = u"[LocalAppDataFolder]";
inline constexpr char16_t kStubBelowAppData[] =
    u"Malvorn\\Pellory\\[ProductCode]\\[QZ_EXTERNALUIUNINSTALLERNAME]";

// The deferred action's data: character 1 the elevation flag ("1" elevated, anything else
// not), then the stub file's full path.
struct RemovalData {
  bool elevate = false;
  std::u16string stub_path;
};

std::u16string ComposeRemovalData(bool elevate, const std::u16string& stub_path);
// nullopt for an empty text.
std::optional<RemovalData> ParseRemovalData(const std::u16string& data);

// The path up to, but not including, its last backslash; empty when it has none.
std::u16string ParentFolder(const std::u16string& path);
// The ".ini" beside the stub: the file name's extension replaced by ".ini", or ".ini" appended
// when the name has none. Only the file name is looked at, never a dot in a folder name. For a
// path that ends with a backslash (no file name) the path itself.
std::u16string IniPathFor(const std::u16string& stub_path);
// A full path as the removal accepts it: begins with "\" or contains ":". Wildcards never
// name one existing file, so a path holding "*" or "?" is not one.
bool IsAcceptedPath(const std::u16string& path);

// One thing to remove and how its script is started.
struct RemovalTarget {
  std::u16string path;
  bool folder = false;
  bool operator==(const RemovalTarget&) const = default;
};

// What the deferred action found: the entries of the stub's folder (without "." and ".."),
// nullopt when it cannot be listed, and which of the two files exist.
struct StubFolderState {
  std::optional<std::size_t> entries;
  bool stub_exists = false;
  bool ini_exists = false;
};

// The removals to start, in order: the stub, its ".ini", then the folder when it could be
// listed and holds nothing but those. Only an accepted full path is removed as a folder, and
// never a drive (a path ending in ":").
std::vector<RemovalTarget> ChooseRemovals(const std::u16string& stub_path,
                                          const StubFolderState& state);

// A removal job as its script sees it: the target's short path in the ANSI code page.
struct RemovalJob {
  std::string target_path;
  bool elevate = false;
  bool folder = false;
};

// The script templates: seven CR LF separated lines, no line break after the last, %s for the
// target (lines 2, 4 and 5) and for the script's own path (lines 6 and 7).
extern const char kFileScriptTemplate[];
extern const char kFolderScriptTemplate[];

// True when an 8-bit path can be put between double quotes in a batch script and handed to
// ATTRIB, del and rd as exactly that one path: no wildcard ("?", "*"), nothing cmd.exe
// expands or parses inside a quoted argument ("%", "!", "^", "&", "|", "<", ">", quote) and
// no control character. A character that the ANSI code page lacks is written as "?", so a
// lossy conversion fails here too.
bool IsSafeScriptPath(const std::string& path);

// The script for a job: the template of its kind filled with the target three times, then
// the script's own path twice.
std::string ScriptText(const RemovalJob& job, const std::string& script_path);

}  // namespace sorvel
