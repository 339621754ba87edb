#include "uninstall/file_deletion.h"

#include <windows.h>

#include "framework/file_links.h"
#include "framework/path.h"
#include "framework/scoped_handles.h"

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The extended deletion of Windows 10 1809 and later (the headers declare it only for
// programs that require that version): its information class and flags.
constexpr auto kFileDispositionInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(21);
constexpr DWORD kDispositionDelete = 0x01;
constexpr DWORD kDispositionPosixSemantics = 0x02;
constexpr DWORD kDispositionIgnoreReadOnly = 0x10;

// The deletions that ignore the read-only attribute, best first: the name goes at once
// (POSIX semantics), or when the last handle closes (a volume without POSIX semantics).
constexpr DWORD kIgnoringReadOnly[] = {
    kDispositionDelete | kDispositionPosixSemantics | kDispositionIgnoreReadOnly,
    kDispositionDelete | kDispositionIgnoreReadOnly,
};

// The name itself, never what a link leads to.
lk::ScopedFileHandle OpenForDeletion(const std::wstring& path) {
  return lk::ScopedFileHandle(CreateFileW(
      path.c_str(), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, kShareAll, nullptr,
      OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

bool SetAttributes(HANDLE file, DWORD attributes) {
  FILE_BASIC_INFO basic = {};
  if (!GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof(basic))) return false;
  basic.FileAttributes = attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
  return SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof(basic)) != FALSE;
}

bool MarkIgnoringReadOnly(HANDLE file) {
  for (DWORD flags : kIgnoringReadOnly) {
    if (SetFileInformationByHandle(file, kFileDispositionInfoEx, &flags, sizeof(flags))) {
      return true;
    }
  }
  return false;
}

// Where the system cannot ignore the attribute, a read-only file of one name has it cleared
// for the mark, and put back when the mark is refused all the same. A file of more than one
// name keeps it: attributes belong to the file, not to this name.
bool MarkClearingReadOnly(HANDLE file, DWORD attributes) {
  if (!(attributes & FILE_ATTRIBUTE_READONLY) ||
      lk::QueryLinkState(file) != lk::LinkState::kPlain) {
    return false;
  }
  if (!SetAttributes(file, attributes & ~FILE_ATTRIBUTE_READONLY)) return false;
  if (SetDeletionMark(file, true)) return true;
  SetAttributes(file, attributes);
  return false;
}

bool MarkForDeletion(HANDLE file, DWORD attributes) {
  return MarkIgnoringReadOnly(file) || SetDeletionMark(file, true) ||
         MarkClearingReadOnly(file, attributes);
}

// What was opened lies where its name says: its final path is chosen's (opened now) with
// the rest of path. A folder swapped for a link between the look and the opening fails this.
bool IsOpenedAtItsName(HANDLE file, const std::wstring& chosen, const std::wstring& path) {
  return lk::IsOpenedAt(file, chosen, path);
}

// What was opened is the file the name stands for: no folder, no link, and nothing that
// turned into a link between the look at the name (nameAttributes) and the opening, or lies
// elsewhere than its name says.
bool IsFileOfTheName(HANDLE file, const FILE_ATTRIBUTE_TAG_INFO& tag, DWORD nameAttributes,
                     const std::wstring& chosen, const std::wstring& path) {
  const bool handleIsReparsePoint = (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  if ((tag.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
      (handleIsReparsePoint && lk::IsNameSurrogateTag(tag.ReparseTag))) {
    return false;
  }
  // Wine shows a Unix link as a reparse point by its name only; the handle is its target's.
  if ((nameAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && !handleIsReparsePoint) return false;
  return IsOpenedAtItsName(file, chosen, path);
}

}  // namespace

bool AttributesOf(HANDLE file, DWORD* attributes) {
  FILE_BASIC_INFO basic = {};
  if (!GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof(basic))) return false;
  *attributes = basic.FileAttributes;
  return true;
}

bool SetDeletionMark(HANDLE file, bool mark) {
  FILE_DISPOSITION_INFO disposition = {static_cast<BOOLEAN>(mark ? TRUE : FALSE)};
  return SetFileInformationByHandle(file, FileDispositionInfo, &disposition,
                                    sizeof(disposition)) != FALSE;
}

bool PathExists(const std::wstring& path) {
  if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
  return !lk::IsNotFoundError(GetLastError());
}

int DeleteFileNoFollow(const std::wstring& chosen, const std::wstring& path,
                       const lk::FileIdentity* expected) {
  // Some systems resolve a link even through a handle opened as the link itself: a name
  // that shows as a redirection is never opened for deletion. A second name of a file is
  // no redirection: only that name goes.
  const DWORD nameAttributes = GetFileAttributesW(path.c_str());
  if (nameAttributes == INVALID_FILE_ATTRIBUTES) return lk::IsNotFoundError(GetLastError()) ? 1 : 0;
  if (nameAttributes & FILE_ATTRIBUTE_DIRECTORY) return 0;
  lk::ScopedFileHandle file = OpenForDeletion(path);
  if (!file) return lk::IsNotFoundError(GetLastError()) ? 1 : 0;
  FILE_ATTRIBUTE_TAG_INFO tag = {};
  if (!GetFileInformationByHandleEx(file.Get(), FileAttributeTagInfo, &tag, sizeof(tag)) ||
      !IsFileOfTheName(file.Get(), tag, nameAttributes, chosen, path)) {
    return 0;
  }
  if (expected) {
    lk::FileIdentity opened;
    if (!lk::QueryFileIdentity(file.Get(), &opened) || opened != *expected) return 0;
  }
  return MarkForDeletion(file.Get(), tag.FileAttributes) ? 1 : 0;
}

int RemoveEmptyFolderNoFollow(const std::wstring& chosen, const std::wstring& name) {
  const std::wstring path = lk::WithoutTrailingSeparators(name);
  switch (lk::QueryLinkState(path.c_str())) {
    case lk::LinkState::kMissing:
      return 1;
    case lk::LinkState::kPlain:
      break;
    default:
      return 0;
  }
  lk::ScopedFileHandle folder = OpenForDeletion(path);
  if (!folder) return 0;
  DWORD attributes = 0;
  if (!AttributesOf(folder.Get(), &attributes) || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
      lk::QueryLinkState(folder.Get()) != lk::LinkState::kPlain ||
      !IsOpenedAtItsName(folder.Get(), chosen, path)) {
    return 0;
  }
  // Marking fails for a folder that is not empty.
  if (!SetDeletionMark(folder.Get(), true)) return 0;
  folder.Reset();
  return PathExists(path) ? 0 : 1;
}
