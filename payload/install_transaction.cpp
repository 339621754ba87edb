#include "payload/install_transaction.h"

#include <windows.h>

#include "framework/scoped_handles.h"

namespace {

// Longest absolute path the transaction handles.
constexpr DWORD kFullPathUnits = 1024;

bool IsDotName(const wchar_t* name) {
  return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

bool IsRealFolder(DWORD attributes) {
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

std::wstring WithBackslash(std::wstring folder) {
  if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
  return folder;
}

std::wstring SetAsideFolder(const std::wstring& target) { return target + kSetAsideFolderName; }

// Deletes a folder with everything in it; links inside it are removed as names, never
// followed.
void DeleteTree(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  lk::ScopedFindHandle find(FindFirstFileW((folder + L"\\*").c_str(), &found));
  if (find) {
    do {
      if (IsDotName(found.cFileName)) continue;
      const std::wstring path = folder + L"\\" + found.cFileName;
      if (IsRealFolder(found.dwFileAttributes)) {
        DeleteTree(path);
      } else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveDirectoryW(path.c_str());
      } else {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_READONLY) {
          SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        }
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(find.Get(), &found));
  }
  find.Reset();
  RemoveDirectoryW(folder.c_str());
}

// Moves a set-aside file back over whatever has its name now.
bool PutBack(const std::wstring& from, const std::wstring& to) {
  if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
  SetFileAttributesW(to.c_str(), FILE_ATTRIBUTE_NORMAL);
  return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

// Moves everything below the mirror folder from back to the same place under to, removing
// the emptied folders of the mirror; false when something stayed behind.
bool MoveBack(const std::wstring& from, const std::wstring& to) {
  bool complete = true;
  WIN32_FIND_DATAW found;
  lk::ScopedFindHandle find(FindFirstFileW((from + L"\\*").c_str(), &found));
  if (find) {
    do {
      if (IsDotName(found.cFileName)) continue;
      const std::wstring source = from + L"\\" + found.cFileName;
      const std::wstring destination = to + L"\\" + found.cFileName;
      if (IsRealFolder(found.dwFileAttributes)) {
        CreateDirectoryW(destination.c_str(), nullptr);
        complete = MoveBack(source, destination) && complete;
      } else {
        complete = PutBack(source, destination) && complete;
      }
    } while (FindNextFileW(find.Get(), &found));
  }
  find.Reset();
  return RemoveDirectoryW(from.c_str()) && complete;
}

// Creates the folders of relative (a path below base) that are missing, base included.
void CreateMirrorFolders(const std::wstring& base, const std::wstring& relative) {
  CreateDirectoryW(base.c_str(), nullptr);
  for (size_t at = relative.find(L'\\'); at != std::wstring::npos;
       at = relative.find(L'\\', at + 1)) {
    CreateDirectoryW((base + L"\\" + relative.substr(0, at)).c_str(), nullptr);
  }
}

}  // namespace

InstallTransaction::InstallTransaction(const wchar_t* targetFolder) {
  Resolve(targetFolder, &target_);
  target_ = WithBackslash(target_);
}

bool InstallTransaction::Resolve(const wchar_t* path, std::wstring* full) const {
  full->clear();
  if (!path || !path[0]) return false;
  wchar_t buffer[kFullPathUnits];
  const DWORD length = GetFullPathNameW(path, kFullPathUnits, buffer, nullptr);
  if (length == 0 || length >= kFullPathUnits) return false;
  full->assign(buffer, length);
  return true;
}

bool InstallTransaction::RecordCreatedFile(const wchar_t* path) {
  std::wstring full;
  if (!Resolve(path, &full)) return false;
  createdFiles_.push_back(full);
  return true;
}

bool InstallTransaction::RecordCreatedFolder(const wchar_t* path) {
  std::wstring full;
  if (!Resolve(path, &full)) return false;
  createdFolders_.push_back(full);
  return true;
}

std::wstring InstallTransaction::SetAsidePath(const wchar_t* path) const {
  std::wstring full;
  if (!Resolve(path, &full) || full.size() <= target_.size() ||
      CompareStringOrdinal(full.c_str(), static_cast<int>(target_.size()), target_.c_str(),
                           static_cast<int>(target_.size()), TRUE) != CSTR_EQUAL) {
    return std::wstring();
  }
  return SetAsideFolder(target_) + L"\\" + full.substr(target_.size());
}

bool InstallTransaction::SetAside(const wchar_t* path) {
  std::wstring full;
  if (!Resolve(path, &full)) return false;
  // A file this run wrote itself (an archive that names it twice) has nothing to keep.
  for (const std::wstring& created : createdFiles_) {
    if (CompareStringOrdinal(created.c_str(), -1, full.c_str(), -1, TRUE) == CSTR_EQUAL) {
      return DeleteFileW(full.c_str()) != 0;
    }
  }
  const std::wstring aside = SetAsidePath(full.c_str());
  if (aside.empty()) return false;
  const std::wstring folder = SetAsideFolder(target_);
  const bool fresh = GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES;
  CreateMirrorFolders(folder, full.substr(target_.size()));
  if (fresh) SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_HIDDEN);
  return MoveFileExW(full.c_str(), aside.c_str(), 0) != 0;
}

bool InstallTransaction::RollBack() {
  for (auto file = createdFiles_.rbegin(); file != createdFiles_.rend(); ++file) {
    SetFileAttributesW(file->c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(file->c_str());
  }
  for (auto folder = createdFolders_.rbegin(); folder != createdFolders_.rend(); ++folder) {
    RemoveDirectoryW(folder->c_str());
  }
  createdFiles_.clear();
  createdFolders_.clear();
  return RecoverLeftovers(target_.c_str());
}

void InstallTransaction::Commit() {
  createdFiles_.clear();
  createdFolders_.clear();
  const std::wstring folder = SetAsideFolder(target_);
  const DWORD attributes = GetFileAttributesW(folder.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  if (IsRealFolder(attributes)) {
    DeleteTree(folder);
  } else {
    RemoveDirectoryW(folder.c_str());
  }
}

bool InstallTransaction::RecoverLeftovers(const wchar_t* targetFolder) {
  const std::wstring target = WithBackslash(targetFolder);
  const std::wstring folder = SetAsideFolder(target);
  const DWORD attributes = GetFileAttributesW(folder.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
  }
  // Only a folder this program made holds set-aside files; a link of that name is removed,
  // never followed.
  if (!IsRealFolder(attributes)) {
    return RemoveDirectoryW(folder.c_str()) || DeleteFileW(folder.c_str());
  }
  return MoveBack(folder, target.substr(0, target.size() - 1));
}
