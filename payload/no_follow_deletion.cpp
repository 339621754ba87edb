#include "payload/no_follow_deletion.h"

#include <cstring>

#include "framework/file_links.h"
#include "framework/path.h"
#include "framework/scoped_handles.h"

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// FILE_DISPOSITION_INFO_EX of Windows 10 1809 and later: delete, whatever the read-only
// attribute says. Older systems, and Wine, refuse the class.
constexpr FILE_INFO_BY_HANDLE_CLASS kDispositionInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(21);
constexpr DWORD kDispositionDelete = 0x00000001;
constexpr DWORD kDispositionIgnoreReadOnly = 0x00000010;

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

lk::ScopedFileHandle OpenForDeletion(const std::wstring& path) {
  return lk::ScopedFileHandle(CreateFileW(
      path.c_str(), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, kShareAll, nullptr,
      OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

bool AttributesOf(HANDLE file, DWORD* attributes) {
  FILE_BASIC_INFO basic = {};
  if (!GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof(basic))) return false;
  *attributes = basic.FileAttributes;
  return true;
}

// Only the attributes: zero times are left as they are.
bool SetAttributes(HANDLE file, DWORD attributes) {
  FILE_BASIC_INFO basic = {};
  basic.FileAttributes = attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
  return SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof(basic)) != FALSE;
}

bool MarkForDeletion(HANDLE file) {
  FILE_DISPOSITION_INFO disposition = {TRUE};
  return SetFileInformationByHandle(file, FileDispositionInfo, &disposition,
                                    sizeof(disposition)) != FALSE;
}

// A read-only file: with the disposition that ignores the attribute where the system has
// it; else a file with one name loses the attribute, which it gets back when the mark still
// fails. A file with a second name keeps it and stays.
bool MarkReadOnlyForDeletion(HANDLE file, DWORD attributes) {
  DWORD flags = kDispositionDelete | kDispositionIgnoreReadOnly;
  if (SetFileInformationByHandle(file, kDispositionInfoEx, &flags, sizeof(flags))) return true;
  if (lk::QueryLinkState(file) != lk::LinkState::kPlain) return false;
  if (!SetAttributes(file, attributes & ~FILE_ATTRIBUTE_READONLY)) return false;
  if (MarkForDeletion(file)) return true;
  SetAttributes(file, attributes);
  return false;
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
  lk::ScopedFileHandle file = OpenForDeletion(path);
  if (!file) return lk::IsNotFoundError(GetLastError()) ? Removal::kGone : Removal::kFailed;
  DWORD attributes = 0;
  if (!AttributesOf(file.Get(), &attributes)) return Removal::kFailed;
  if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) ||
      !IsExpected(file.Get(), expected)) {
    return expected ? Removal::kNotThatFile : Removal::kFailed;
  }
  const bool marked = (attributes & FILE_ATTRIBUTE_READONLY)
                          ? MarkReadOnlyForDeletion(file.Get(), attributes)
                          : MarkForDeletion(file.Get());
  if (!marked) return Removal::kFailed;
  file.Reset();
  return IsGone(path) ? Removal::kGone : Removal::kFailed;
}

Removal DeleteEmptyFile(const std::wstring& path) {
  if (ShowsAsReparsePoint(path)) return Removal::kNotThatFile;
  lk::ScopedFileHandle file = OpenForDeletion(path);
  if (!file) return lk::IsNotFoundError(GetLastError()) ? Removal::kGone : Removal::kFailed;
  DWORD attributes = 0;
  LARGE_INTEGER size = {};
  if (!AttributesOf(file.Get(), &attributes) || !GetFileSizeEx(file.Get(), &size)) {
    return Removal::kFailed;
  }
  if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT |
                     FILE_ATTRIBUTE_READONLY)) ||
      size.QuadPart != 0 || lk::QueryLinkState(file.Get()) != lk::LinkState::kPlain) {
    return Removal::kNotThatFile;
  }
  if (!MarkForDeletion(file.Get())) return Removal::kFailed;
  file.Reset();
  return IsGone(path) ? Removal::kGone : Removal::kFailed;
}

Removal RemoveOwnFolder(const std::wstring& path, const lk::FileIdentity* expected) {
  if (IsGone(path)) return Removal::kGone;
  if (ShowsAsReparsePoint(path)) return expected ? Removal::kNotThatFile : Removal::kFailed;
  lk::ScopedFileHandle folder = OpenForDeletion(path);
  DWORD attributes = 0;
  if (!folder || !AttributesOf(folder.Get(), &attributes)) return Removal::kFailed;
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
      !IsExpected(folder.Get(), expected)) {
    return expected ? Removal::kNotThatFile : Removal::kFailed;
  }
  // Marking fails for a folder that is not empty.
  if (!MarkForDeletion(folder.Get())) return Removal::kFailed;
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
