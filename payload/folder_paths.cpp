#include "payload/folder_paths.h"

#include <windows.h>

#include <cstdlib>
#include <cwchar>

#include "framework/folder_tree.h"
#include "framework/scoped_handles.h"
#include "payload/install_transaction.h"

namespace {

constexpr int kNoMemory = -104;

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

  // Mostly the parent exists: the folder alone, before the walk from the top.
  if (CreateFolder(folder, created)) return 1;
  return lk::MakeFolderTree(folder, [created](const std::wstring& each) {
           return CreateFolder(each.c_str(), created);
         })
             ? 1
             : 0;
}
