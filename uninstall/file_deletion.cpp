#include "uninstall/file_deletion.h"

#include <windows.h>

#include "framework/deletion_mark.h"
#include "framework/file_links.h"
#include "framework/path.h"
#include "framework/scoped_handles.h"

namespace {

// Where the system can ignore the read-only attribute, the mark goes on whatever it says;
// else the plain mark; else a read-only file of one name has the attribute cleared for the
// mark, and put back when the mark is refused all the same. A file of more than one name
// keeps it: attributes belong to the file, not to this name.
bool MarkForDeletion(HANDLE file, DWORD attributes) {
  return lk::MarkIgnoringReadOnly(file, lk::NameGoes::kAtOnceWherePossible) ||
         lk::SetDeletionMark(file, true) || lk::MarkClearingReadOnly(file, attributes);
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
  // What was opened lies where its name says: its final path is chosen's (opened now) with
  // the rest of path. A folder swapped for a link between the look and the opening fails this.
  return lk::IsOpenedAt(file, chosen, path);
}

}  // namespace

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
  lk::ScopedFileHandle file = lk::OpenForDeletion(path);
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
  lk::ScopedFileHandle folder = lk::OpenForDeletion(path);
  if (!folder) return 0;
  DWORD attributes = 0;
  if (!lk::AttributesOf(folder.Get(), &attributes) || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
      lk::QueryLinkState(folder.Get()) != lk::LinkState::kPlain ||
      !lk::IsOpenedAt(folder.Get(), chosen, path)) {
    return 0;
  }
  // Marking fails for a folder that is not empty.
  if (!lk::SetDeletionMark(folder.Get(), true)) return 0;
  folder.Reset();
  return PathExists(path) ? 0 : 1;
}
