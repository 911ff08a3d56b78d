// The two custom actions that remove the external user-interface uninstaller stub (the stub
// file, its ".ini" and their folder) when the product is uninstalled.
#pragma once

#include <cstdint>
#include <string>

#include "setupaction/removal.h"
#include "setupaction/system.h"

namespace sorvel {

// Resolves bracketed references ("[ProductCode]") through MsiFormatRecordW; empty when the
// text is empty or anything fails.
std::u16string FormatInstallerText(InstallerSession& session, const std::u16string& text);

// The immediate action: works out the stub's path and whether its scripts run elevated, and
// schedules the deferred action with both as its data. Always 0.
uint32_t RemoveExternalUIStub(InstallerSession& session);

// The deferred action: reads its data and starts a script for each of the stub, its ".ini"
// and, when nothing else is in it and both files got their scripts, their folder. Always 0.
uint32_t DoRemoveExternalUIStub(InstallerSession& session, RemovalSystem& system);

// Writes the script for one target to the temporary folder and starts it; true when started.
// Does nothing when the target is gone, when its path or the script's cannot be written
// safely into a batch script (see IsSafeScriptPath), or when no script file can be made.
bool RunRemovalJob(RemovalSystem& system, const RemovalTarget& target, bool elevate);

}  // namespace sorvel
