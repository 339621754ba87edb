#include "framework/protected_folder.h"

#include <aclapi.h>
#include <sddl.h>

#include "framework/path.h"
#include "framework/scoped_handles.h"
#include "framework/unique_file.h"

namespace lk {

namespace {

using ScopedLocalMemory = ScopedHandle<HLOCAL, NullHandleTraits<HLOCAL, LocalFree>>;

constexpr SECURITY_INFORMATION kOwnerAndAccess =
    OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION;

// The owner is left out for a process that may not give Administrators the ownership.
constexpr wchar_t kOwnerAdministrators[] = L"O:BA";
constexpr wchar_t kAdministratorsOnlyAccess[] = L"D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)";
constexpr wchar_t kProgramFolderAccess[] =
    L"D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)";

struct ProtectionText {
  FolderProtection protection;
  const wchar_t* withOwner;
  const wchar_t* access;
};

constexpr ProtectionText kProtections[] = {
    {FolderProtection::kAdministratorsOnly, L"O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)",
     kAdministratorsOnlyAccess},
    {FolderProtection::kProgramFolder,
     L"O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)", kProgramFolderAccess},
};

const ProtectionText& TextOf(FolderProtection protection) {
  for (const ProtectionText& text : kProtections) {
    if (text.protection == protection) return text;
  }
  return kProtections[0];
}

ScopedLocalMemory DescriptorOf(const wchar_t* text) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  ConvertStringSecurityDescriptorToSecurityDescriptorW(text, SDDL_REVISION_1, &descriptor,
                                                       nullptr);
  return ScopedLocalMemory(descriptor);
}

bool CreateFolderWith(const wchar_t* path, const wchar_t* text) {
  ScopedLocalMemory descriptor = DescriptorOf(text);
  if (!descriptor) return false;
  SECURITY_ATTRIBUTES attributes = {sizeof(attributes), descriptor.Get(), FALSE};
  return CreateDirectoryW(path, &attributes) != FALSE;
}

// Sets the descriptor again through the folder's handle: some file systems take only part
// of what CreateDirectoryW is given.
bool Apply(HANDLE folder, const wchar_t* text, SECURITY_INFORMATION what) {
  ScopedLocalMemory descriptor = DescriptorOf(text);
  return descriptor && SetKernelObjectSecurity(folder, what, descriptor.Get()) != FALSE;
}

ScopedFileHandle OpenFolderItself(const wchar_t* path, DWORD access) {
  return ScopedFileHandle(CreateFileW(path, access,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING,
                                      FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS,
                                      nullptr));
}

}  // namespace

const wchar_t* ProtectionDescriptorText(FolderProtection protection) {
  return TextOf(protection).withOwner;
}

bool CreateProtectedFolder(const wchar_t* path, FolderProtection protection) {
  const ProtectionText& text = TextOf(protection);
  if (!CreateFolderWith(path, text.withOwner)) {
    if (GetLastError() == ERROR_ALREADY_EXISTS || !CreateFolderWith(path, text.access)) {
      return false;
    }
  }
  return true;
}

bool ProtectFolder(HANDLE folder, FolderProtection protection) {
  const ProtectionText& text = TextOf(protection);
  return Apply(folder, text.withOwner, kOwnerAndAccess) ||
         Apply(folder, text.access, DACL_SECURITY_INFORMATION |
                                        PROTECTED_DACL_SECURITY_INFORMATION);
}

std::wstring SecurityDescriptorText(HANDLE file) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                      nullptr, nullptr, nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
    return std::wstring();
  }
  ScopedLocalMemory owned(descriptor);
  LPWSTR text = nullptr;
  if (!ConvertSecurityDescriptorToStringSecurityDescriptorW(
          descriptor, SDDL_REVISION_1, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
          &text, nullptr)) {
    return std::wstring();
  }
  ScopedLocalMemory ownedText(text);
  return text;
}

bool HasProtection(HANDLE folder, FolderProtection protection, const wchar_t* referenceParent) {
  const std::wstring actual = SecurityDescriptorText(folder);
  if (actual.empty()) return false;
  // A reference made the same way beside it, under a name of its own.
  wchar_t reference[MAX_PATH] = {};
  if (!CreateUniqueFolder(referenceParent, L".lk_ref", protection, reference, MAX_PATH)) {
    return false;
  }
  std::wstring expected;
  {
    ScopedFileHandle made = OpenFolderItself(reference, READ_CONTROL);
    if (made) expected = SecurityDescriptorText(made.Get());
  }
  RemoveDirectoryW(reference);
  return !expected.empty() && actual == expected;
}

}  // namespace lk
