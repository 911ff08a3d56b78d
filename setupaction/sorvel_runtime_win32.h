// Sorvel.dll links no C++ run-time library: sorvel_runtime_win32.cpp supplies the little that
// the standard containers ask of one. Memory comes from the process heap, and a failure that
// would throw (memory exhausted, a length beyond the limits) abandons the running action.
#pragma once

#include <windows.h>
// windows.h first.
#include <msi.h>

namespace sorvel {

// Runs action(install). It returns when the action returns or is abandoned; an abandoned
// action's destructors do not run, so what it had allocated stays allocated.
void RunAbandonable(void (*action)(MSIHANDLE install), MSIHANDLE install);

}  // namespace sorvel
