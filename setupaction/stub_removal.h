// The two custom actions of the uninstall: the immediate one asks the user's running Ravak to
// exit and works out what to remove; the deferred one removes the external user-interface
// uninstaller stub (the stub file, its ".ini" and their folder) and the user's copy of Kerrak.
#pragma once

#include <cstdint>
#include <string>

#include "setupaction/removal.h"
#include "setupaction/system.h"

namespace sorvel {

// Resolves bracketed references ("[ProductCode]") through MsiFormatRecordW; empty when the
// text is empty or anything fails.
std::u16string FormatInstallerText(InstallerSession& session, const std::u16string& text);

// The immediate action: closes the user's running Ravak (its files are then free for the
// removal), works out the stub's path and the user's folder, and schedules the deferred
// action with both as its data. A stub name or product code that is not a plain name leaves
// the stub out. Always 0.
uint32_t RemoveExternalUIStub(InstallerSession& session, ProgramWindows& programs);

// The deferred action: reads its data and removes the stub, its ".ini" and, when nothing
// else is in it, the product's stub folder; then the user's copy of Kerrak built for
// architecture (x64, x86) and its folders when empty. Nothing is reached through a reparse
// point. Always 0.
uint32_t DoRemoveExternalUIStub(InstallerSession& session, RemovalSystem& system,
                                const std::u16string& architecture);

// Carries out one removal; the number of files and folders removed.
int Remove(RemovalSystem& system, const Removal& removal);

}  // namespace sorvel
