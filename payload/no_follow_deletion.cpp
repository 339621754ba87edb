#include "payload/no_follow_deletion.h"

#include <cstring>

#include "framework/deletion_mark.h"
#include "framework/file_links.h"
#include "framework/path.h"
#include "framework/scoped_handles.h"

namespace {

// FILE_ID_INFO of Windows 8 and later.
constexpr FILE_INFO_BY_HANDLE_CLASS kIdInfo = static_cast<FILE_INFO_BY_HANDLE_CLASS>(18);
struct IdInfo {
  ULONGLONG volumeSerial;
  BYTE fileId[16];
};

bool IsGone(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES &&
         lk::IsNotFoundError(GetLastError());
}

// Some systems resolve a link even through a handle opened as the link itself: a name that
// shows as a reparse point is never opened for deletion.
bool ShowsAsReparsePoint(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// A read-only file: with the disposition that ignores the attribute where the system has
// it; else a file with one name loses the attribute, which it gets back when the mark still
// fails. A file with a second name keeps it and stays.
bool MarkReadOnlyForDeletion(HANDLE file, DWORD attributes) {
  return lk::MarkIgnoringReadOnly(file, lk::NameGoes::kWithLastHandle) ||
         lk::MarkClearingReadOnly(file, attributes);
}

bool IsExpected(HANDLE file, const lk::FileIdentity* expected) {
  lk::FileIdentity opened;
  return !expected || (QueryOwnIdentity(file, &opened) && opened == *expected);
}

// A link met inside a tree that is deleted: only its name goes.
void RemoveLinkName(const std::wstring& path, DWORD attributes) {
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    RemoveDirectoryW(path.c_str());
  } else {
    DeleteFileW(path.c_str());
  }
}

}  // namespace

bool QueryOwnIdentity(HANDLE file, lk::FileIdentity* identity) {
  IdInfo info = {};
  if (!GetFileInformationByHandleEx(file, kIdInfo, &info, sizeof(info))) {
    return lk::QueryFileIdentity(file, identity);
  }
  // The volume's serial and the file's number as far as they fit: a 128-bit number beyond
  // 64 bits (ReFS) is cut, which only makes a foreign file look like one's own when the
  // low 64 bits agree on the same volume.
  identity->volumeSerial = static_cast<DWORD>(info.volumeSerial);
  memcpy(&identity->indexLow, info.fileId, sizeof(DWORD));
  memcpy(&identity->indexHigh, info.fileId + sizeof(DWORD), sizeof(DWORD));
  return true;
}

Removal DeleteOwnFile(const std::wstring& path, const lk::FileIdentity* expected) {
  if (ShowsAsReparsePoint(path)) return expected ? Removal::kNotThatFile : Removal::kFailed;
  lk::ScopedFileHandle file = lk::OpenForDeletion(path);
  if (!file) return lk::IsNotFoundError(GetLastError()) ? Removal::kGone : Removal::kFailed;
  DWORD attributes = 0;
  if (!lk::AttributesOf(file.Get(), &attributes)) return Removal::kFailed;
  if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) ||
      !IsExpected(file.Get(), expected)) {
    return expected ? Removal::kNotThatFile : Removal::kFailed;
  }
  const bool marked = (attributes & FILE_ATTRIBUTE_READONLY)
                          ? MarkReadOnlyForDeletion(file.Get(), attributes)
                          : lk::SetDeletionMark(file.Get(), true);
  if (!marked) return Removal::kFailed;
  file.Reset();
  return IsGone(path) ? Removal::kGone : Removal::kFailed;
}

Removal DeleteEmptyFile(const std::wstring& path) {
  if (ShowsAsReparsePoint(path)) return Removal::kNotThatFile;
  lk::ScopedFileHandle file = lk::OpenForDeletion(path);
  if (!file) return lk::IsNotFoundError(GetLastError()) ? Removal::kGone : Removal::kFailed;
  DWORD attributes = 0;
  LARGE_INTEGER size = {};
  if (!lk::AttributesOf(file.Get(), &attributes) || !GetFileSizeEx(file.Get(), &size)) {
    return Removal::kFailed;
  }
  if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT |
                     FILE_ATTRIBUTE_READONLY)) ||
      size.QuadPart != 0 || lk::QueryLinkState(file.Get()) != lk::LinkState::kPlain) {
    return Removal::kNotThatFile;
  }
  if (!lk::SetDeletionMark(file.Get(), true)) return Removal::kFailed;
  file.Reset();
  return IsGone(path) ? Removal::kGone : Removal::kFailed;
}

Removal RemoveOwnFolder(const std::wstring& path, const lk::FileIdentity* expected) {
  if (IsGone(path)) return Removal::kGone;
  if (ShowsAsReparsePoint(path)) return expected ? Removal::kNotThatFile : Removal::kFailed;
  lk::ScopedFileHandle folder = lk::OpenForDeletion(path);
  DWORD attributes = 0;
  if (!folder || !lk::AttributesOf(folder.Get(), &attributes)) return Removal::kFailed;
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
      !IsExpected(folder.Get(), expected)) {
    return expected ? Removal::kNotThatFile : Removal::kFailed;
  }
  // Marking fails for a folder that is not empty.
  if (!lk::SetDeletionMark(folder.Get(), true)) return Removal::kFailed;
  folder.Reset();
  return IsGone(path) ? Removal::kGone : Removal::kFailed;
}

bool DeleteOwnTree(const std::wstring& path) {
  if (ShowsAsReparsePoint(path)) return false;
  WIN32_FIND_DATAW found;
  lk::ScopedFindHandle find(FindFirstFileW((path + L"\\*").c_str(), &found));
  if (find) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring child = path + L"\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        RemoveLinkName(child, found.dwFileAttributes);
      } else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        DeleteOwnTree(child);
      } else {
        DeleteOwnFile(child);
      }
    } while (FindNextFileW(find.Get(), &found));
  }
  find.Reset();
  return RemoveOwnFolder(path) == Removal::kGone;
}
