#include "setupaction/stub_removal.h"

#include <vector>

namespace sorvel {

namespace {

bool IsTrue(InstallerSession& session, const std::u16string& condition) {
  return session.EvaluateCondition(condition) == kConditionTrue;
}

// A property's whole value through the installer's two-call convention; empty on failure.
std::u16string ReadProperty(InstallerSession& session, const std::u16string& name) {
  char16_t empty[1] = {u'\0'};
  uint32_t size = 0;
  if (session.GetProperty(name, empty, &size) != kErrorMoreData) return {};
  ++size;
  std::vector<char16_t> buffer(size, u'\0');
  uint32_t room = size;
  if (session.GetProperty(name, buffer.data(), &room) != kSuccess || room >= size) return {};
  return std::u16string(buffer.data(), room);
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

uint32_t RemoveExternalUIStub(InstallerSession& session, ProgramWindows& programs) {
  // Before any file is removed: a running Ravak keeps its program and Kerrak in use.
  programs.CloseAndWait(kProgramWindowClass, kProgramExitTimeoutMs);

  // Each part is resolved on its own: a value is never formatted again, so brackets in a
  // folder name stay literal, and the parts are checked before they make a path.
  const std::u16string base = FormatInstallerText(
      session, IsTrue(session, kAllUsersCondition) ? kCommonAppDataFolder : kLocalAppDataFolder);
  RemovalData data;
  data.stub_path = StubPath(base, FormatInstallerText(session, kProductCode),
                            FormatInstallerText(session, kStubName))
                       .value_or(u"");
  data.user_folder = FormatInstallerText(session, kLocalAppDataFolder);
  if (session.SetProperty(kDeferredActionName, ComposeRemovalData(data)) == kSuccess &&
      session.DoAction(kDeferredActionName) == kSuccess) {
    session.SetProperty(kDeferredActionName, u"");
  }
  return 0;
}

uint32_t DoRemoveExternalUIStub(InstallerSession& session, RemovalSystem& system,
                                const std::u16string& architecture) {
  const auto data = ParseRemovalData(ReadProperty(session, kCustomActionData));
  if (!data) return 0;
  if (const auto stub = StubRemoval(data->stub_path)) Remove(system, *stub);
  if (const auto kerrak = KerrakRemoval(data->user_folder, architecture)) Remove(system, *kerrak);
  return 0;
}

int Remove(RemovalSystem& system, const Removal& removal) {
  // The chain of open folders, base first: each entry is opened inside the one before.
  std::vector<FolderHandle> chain;
  if (const FolderHandle base = system.OpenFolder(removal.base)) chain.push_back(base);
  for (std::size_t i = 0; !chain.empty() && i < removal.folders.size(); ++i) {
    const FolderHandle folder = system.OpenChildFolder(chain.back(), removal.folders[i]);
    if (folder == 0) break;
    chain.push_back(folder);
  }
  int removed = 0;
  const bool complete = chain.size() == removal.folders.size() + 1;
  if (complete) {
    for (const std::u16string& file : removal.files)
      removed += system.RemoveFile(chain.back(), file);
  }
  // Each emptied folder, innermost first, while they are empty.
  std::size_t left = complete ? removal.folders_to_remove : 0;
  while (chain.size() > 1) {
    system.CloseFolder(chain.back());
    chain.pop_back();
    const std::u16string& name = removal.folders[chain.size() - 1];
    if (left > 0 && system.RemoveEmptyFolder(chain.back(), name)) {
      ++removed;
      --left;
    } else {
      left = 0;
    }
  }
  if (!chain.empty()) system.CloseFolder(chain.back());
  return removed;
}

}  // namespace sorvel
