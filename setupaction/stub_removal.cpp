#include "setupaction/stub_removal.h"

#include <vector>

namespace sorvel {

namespace {

bool IsTrue(InstallerSession& session, const std::u16string& condition) {
  return session.EvaluateCondition(condition) == kConditionTrue;
}

bool Exists(RemovalSystem& system, const std::u16string& path) {
  if (!IsAcceptedPath(path)) return false;
  const auto found = system.FindFiles(path);
  return found && !found->empty();
}

std::optional<std::size_t> CountEntries(RemovalSystem& system, const std::u16string& folder) {
  const auto names = system.FindFiles(folder + u"\\*");
  if (!names) return std::nullopt;
  std::size_t n = 0;
  for (const auto& name : *names) {
    if (name != u"." && name != u"..") ++n;
  }
  return n;
}

// A path in the ANSI code page, when a script can carry it safely.
std::optional<std::string> ScriptPathOf(RemovalSystem& system, const std::u16string& path) {
  const auto ansi = system.ToAnsi(path);
  if (ansi && IsSafeScriptPath(*ansi)) return ansi;
  return std::nullopt;
}

}  // namespace

std::u16string FormatInstallerText(InstallerSession& session, const std::u16string& text) {
  if (text.empty()) return {};
  const InstallerHandle record = session.CreateRecord(1);
  if (record == 0) return {};
  std::u16string result;
  if (session.RecordSetString(record, 0, text) == kSuccess) {
    char16_t empty[1] = {u'\0'};
    uint32_t size = 0;
    if (session.FormatRecord(record, empty, &size) == kErrorMoreData) {
      ++size;
      std::vector<char16_t> buffer(size, u'\0');
      uint32_t room = size;
      if (session.FormatRecord(record, buffer.data(), &room) == kSuccess && room < size) {
        result.assign(buffer.data(), room);
      }
    }
  }
  session.CloseHandle(record);
  return result;
}

uint32_t RemoveExternalUIStub(InstallerSession& session) {
  const bool elevate =
      IsTrue(session, kVistaOrLaterCondition) && IsTrue(session, kAllUsersCondition);
  const std::u16string base = FormatInstallerText(
      session, IsTrue(session, kAllUsersCondition) ? kCommonAppDataFolder : kLocalAppDataFolder);
  // The base folder is already resolved; formatting it again would take brackets in a folder
  // name for property references.
  const std::u16string stub_path = base + FormatInstallerText(session, kStubBelowAppData);
  const std::u16string data = ComposeRemovalData(elevate, stub_path);
  if (session.SetProperty(kDeferredActionName, data) == kSuccess &&
      session.DoAction(kDeferredActionName) == kSuccess) {
    session.SetProperty(kDeferredActionName, u"");
  }
  return 0;
}

uint32_t DoRemoveExternalUIStub(InstallerSession& session, RemovalSystem& system) {
  char16_t empty[1] = {u'\0'};
  uint32_t size = 0;
  if (session.GetProperty(kCustomActionData, empty, &size) != kErrorMoreData) return 0;
  ++size;
  std::vector<char16_t> buffer(size, u'\0');
  uint32_t room = size;
  if (session.GetProperty(kCustomActionData, buffer.data(), &room) != kSuccess || room >= size) {
    return 0;
  }
  const auto data = ParseRemovalData(std::u16string(buffer.data(), room));
  if (!data) return 0;

  const std::u16string& stub = data->stub_path;
  const std::u16string folder = ParentFolder(stub);
  StubFolderState state;
  if (IsAcceptedPath(folder)) state.entries = CountEntries(system, folder);
  state.stub_exists = Exists(system, stub);
  state.ini_exists = Exists(system, IniPathFor(stub));
  // The folder's script waits for the folder to empty: it only starts when every file in it
  // got a script of its own, or it would wait for ever.
  bool files_started = true;
  for (const RemovalTarget& target : ChooseRemovals(stub, state)) {
    if (target.folder && !files_started) break;
    files_started = RunRemovalJob(system, target, data->elevate) && files_started;
  }
  return 0;
}

bool RunRemovalJob(RemovalSystem& system, const RemovalTarget& target, bool elevate) {
  const auto short_target = system.ShortPath(target.path);
  if (!short_target) return false;
  const auto target_path = ScriptPathOf(system, *short_target);
  if (!target_path) return false;

  const std::u16string temp = system.TempFolder();
  if (temp.empty()) return false;
  const std::u16string temp_file = system.CreateTempFile(temp, u"EXE");
  if (temp_file.empty()) return false;
  system.Delete(temp_file);
  const std::u16string script = temp_file + u".bat";

  // The script deletes itself by name: the name as made, or else its folder's short form.
  auto script_path = ScriptPathOf(system, script);
  if (!script_path) {
    const std::u16string name = script.substr(script.rfind(u'\\') + 1);
    if (const auto short_temp = system.ShortPath(ParentFolder(script))) {
      script_path = ScriptPathOf(system, *short_temp + u"\\" + name);
    }
  }
  if (!script_path) return false;

  const RemovalJob job{*target_path, elevate, target.folder};
  if (!system.WriteNewFile(script, ScriptText(job, *script_path))) return false;
  system.StartHidden(script, elevate);
  return true;
}

}  // namespace sorvel
