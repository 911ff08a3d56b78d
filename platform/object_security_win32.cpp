#include "platform/object_security_win32.h"

#include <aclapi.h>
#include <sddl.h>

#include <memory>

#include "platform/object_security.h"
#include "platform/win32.h"

namespace ravak::win32 {

namespace {

struct LocalFreer {
  void operator()(void* p) const { LocalFree(p); }
};
template <typename T>
using LocalPtr = std::unique_ptr<T, LocalFreer>;

std::u16string SidText(PSID sid) {
  wchar_t* text = nullptr;
  if (sid == nullptr || !ConvertSidToStringSidW(sid, &text)) return {};
  LocalPtr<wchar_t> owned(text);
  return FromWide(text);
}

// Reads a token information class of variable size.
std::unique_ptr<BYTE[]> TokenInformation(TOKEN_INFORMATION_CLASS what) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return nullptr;
  DWORD size = 0;
  GetTokenInformation(token, what, nullptr, 0, &size);
  std::unique_ptr<BYTE[]> data(size ? new BYTE[size] : nullptr);
  if (!data || !GetTokenInformation(token, what, data.get(), size, &size)) data.reset();
  CloseHandle(token);
  return data;
}

uint32_t LabelLevel(PSID sid) {
  const UCHAR count = *GetSidSubAuthorityCount(sid);
  return count ? *GetSidSubAuthority(sid, count - 1) : 0;
}

ObjectSecurity ReadSecurity(HANDLE object) {
  ObjectSecurity security;
  PSID owner = nullptr;
  PACL dacl = nullptr;
  PACL sacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetSecurityInfo(
          object, SE_KERNEL_OBJECT,
          OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION | LABEL_SECURITY_INFORMATION,
          &owner, nullptr, &dacl, &sacl, &descriptor) != ERROR_SUCCESS) {
    return security;  // no owner: never taken for ours
  }
  LocalPtr<void> owned(descriptor);
  security.owner = SidText(owner);
  if (dacl == nullptr) security.granted.push_back(u"S-1-1-0");
  for (DWORD i = 0; dacl != nullptr && i < dacl->AceCount; ++i) {
    ACE_HEADER* ace = nullptr;
    if (!GetAce(dacl, i, reinterpret_cast<void**>(&ace))) continue;
    if (ace->AceType == ACCESS_ALLOWED_ACE_TYPE) {
      security.granted.push_back(SidText(&reinterpret_cast<ACCESS_ALLOWED_ACE*>(ace)->SidStart));
    } else if (ace->AceType != ACCESS_DENIED_ACE_TYPE) {
      security.granted.push_back(u"?");  // a kind of entry ours never has
    }
  }
  for (DWORD i = 0; sacl != nullptr && i < sacl->AceCount; ++i) {
    ACE_HEADER* ace = nullptr;
    if (GetAce(sacl, i, reinterpret_cast<void**>(&ace)) &&
        ace->AceType == SYSTEM_MANDATORY_LABEL_ACE_TYPE) {
      security.integrity =
          LabelLevel(&reinterpret_cast<SYSTEM_MANDATORY_LABEL_ACE*>(ace)->SidStart);
    }
  }
  return security;
}

// Creates the object with our descriptor (create(attributes, name)); an existing one is
// kept only when it is protected as an object made with that descriptor is.
template <typename Create>
PrivateObject CreatePrivate(const wchar_t* name, Create create) {
  PrivateObject result;
  const std::u16string user = ProcessUserSid();
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (user.empty() || !ConvertStringSecurityDescriptorToSecurityDescriptorW(
                          ToWide(PrivateObjectSddl(user, ProcessIntegrity())).c_str(),
                          SDDL_REVISION_1, &descriptor, nullptr)) {
    return result;
  }
  LocalPtr<void> owned(descriptor);
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
  result.handle = create(&attributes, name);
  result.existed = GetLastError() == ERROR_ALREADY_EXISTS;
  if (result.handle == nullptr || !result.existed) return result;

  // What the system reports for an object of our own making, to compare with.
  ObjectSecurity reference;
  if (const HANDLE ours = create(&attributes, nullptr)) {
    reference = ReadSecurity(ours);
    CloseHandle(ours);
  }
  if (!ProtectedAs(ReadSecurity(result.handle), reference)) {
    CloseHandle(result.handle);
    result.handle = nullptr;
    result.foreign = true;
  }
  return result;
}

}  // namespace

std::u16string ProcessUserSid() {
  const auto user = TokenInformation(TokenUser);
  return user ? SidText(reinterpret_cast<TOKEN_USER*>(user.get())->User.Sid) : std::u16string();
}

uint32_t ProcessIntegrity() {
  const auto label = TokenInformation(TokenIntegrityLevel);
  return label ? LabelLevel(reinterpret_cast<TOKEN_MANDATORY_LABEL*>(label.get())->Label.Sid)
               : kMediumIntegrity;
}

PrivateObject CreatePrivateFileMapping(const wchar_t* name, DWORD size) {
  return CreatePrivate(name, [size](SECURITY_ATTRIBUTES* attributes, const wchar_t* n) {
    return CreateFileMappingW(INVALID_HANDLE_VALUE, attributes, PAGE_READWRITE, 0, size, n);
  });
}

PrivateObject CreatePrivateMutex(const wchar_t* name) {
  return CreatePrivate(name, [](SECURITY_ATTRIBUTES* attributes, const wchar_t* n) {
    return CreateMutexW(attributes, FALSE, n);
  });
}

}  // namespace ravak::win32
