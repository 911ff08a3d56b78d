// The Win32 side of platform/object_security.h: the running process's user and integrity
// level, and named objects created private to that user. Windows builds only.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace ravak::win32 {

// The SID of the process's user ("S-1-5-21-..."); empty when it cannot be read.
std::u16string ProcessUserSid();
// The process's integrity level (kMediumIntegrity for a standard user, kHighIntegrity and
// above elevated); kMediumIntegrity when it cannot be read.
uint32_t ProcessIntegrity();

// A named object created as object_security.h describes, or opened when one exists.
struct PrivateObject {
  HANDLE handle = nullptr;  // nullptr when it could not be had safely
  bool existed = false;     // it was there before this call
  bool foreign = false;     // it was there but not protected as ours: not opened
};

PrivateObject CreatePrivateFileMapping(const wchar_t* name, DWORD size);
PrivateObject CreatePrivateMutex(const wchar_t* name);

}  // namespace ravak::win32
