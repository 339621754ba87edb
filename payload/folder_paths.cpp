#include "payload/folder_paths.h"

#include <windows.h>

#include <cstdlib>
#include <cwchar>

#include "framework/path.h"
#include "framework/scoped_handles.h"
#include "payload/install_transaction.h"

namespace {

constexpr int kNoMemory = -104;

bool IsMissingParent(DWORD error) {
  return error == ERROR_PATH_NOT_FOUND || error == ERROR_FILE_NOT_FOUND;
}

bool CreateFolder(const wchar_t* folder, InstallTransaction* created) {
  if (created && !created->WillCreateFolder(folder)) {
    SetLastError(ERROR_CANNOT_MAKE);
    return false;
  }
  if (!CreateDirectoryW(folder, nullptr)) return false;
  if (created) created->RecordCreatedFolder(folder);
  return true;
}

}  // namespace

int MakeDirectoryPath(const wchar_t* path, InstallTransaction* created) {
  if (!path || !path[0]) return 0;
  const size_t length = wcslen(path);
  lk::ScopedMalloc<wchar_t> copy(
      static_cast<wchar_t*>(malloc((length + 1) * sizeof(wchar_t))));
  if (!copy) return kNoMemory;
  wchar_t* folder = copy.get();
  wmemcpy(folder, path, length + 1);
  if (folder[length - 1] == L'/') folder[length - 1] = L'\0';
  if (!folder[0]) return 0;

  if (CreateFolder(folder, created)) return 1;
  for (wchar_t* p = folder + 1;; ++p) {
    if (*p && !lk::IsPathSeparator(*p)) continue;
    const wchar_t kept = *p;
    *p = L'\0';
    const bool missingParent =
        !CreateFolder(folder, created) && IsMissingParent(GetLastError());
    *p = kept;
    if (missingParent) return 0;
    if (!kept) return 1;
  }
}
