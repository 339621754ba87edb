#include "payload/set_aside_recovery.h"

#include <windows.h>

#include <cwctype>

#include "framework/file_links.h"
#include "framework/handle_rename.h"
#include "framework/path.h"
#include "framework/protected_folder.h"
#include "framework/scoped_handles.h"
#include "payload/install_journal.h"
#include "payload/no_follow_deletion.h"

namespace {

bool IsDotName(const wchar_t* name) {
  return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

void Note(const std::wstring& path, std::vector<std::wstring>* notRestored) {
  if (notRestored) notRestored->push_back(path);
}

// A folder made by an elevated run of the setup: not a link, and still with exactly the
// descriptor the setup gives it (compared with one made the same way now).
bool IsTrustedSetAsideFolder(const std::wstring& folder, const std::wstring& target) {
  const DWORD attributes = GetFileAttributesW(folder.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
      (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    return false;
  }
  lk::ScopedFileHandle opened = lk::OpenNameItself(folder, READ_CONTROL | FILE_READ_ATTRIBUTES);
  return opened && lk::QueryLinkState(opened.Get()) == lk::LinkState::kPlain &&
         lk::HasProtection(opened.Get(), lk::FolderProtection::kAdministratorsOnly,
                           target.c_str());
}

// Removes what the journal says the run created, the latest first: each file and folder
// only while it is still the one that was created, a folder only when empty; a file the
// run announced but could not record any more only while it is empty, as it was created.
// Something else at such a name, and a folder that holds what others put there, are left
// alone. False when a file the run created stays.
bool RemoveCreated(const std::wstring& target, const std::wstring& journal,
                   std::vector<std::wstring>* notRestored) {
  std::vector<CreatedEntry> created;
  if (!ReadInstallJournal(journal, &created)) return true;
  bool complete = true;
  for (auto entry = created.rbegin(); entry != created.rend(); ++entry) {
    const std::wstring path = target + entry->name;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) continue;
    Removal removal = Removal::kNotThatFile;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
      if (entry->identified) RemoveOwnFolder(path, &entry->identity);
    } else {
      removal = entry->identified ? DeleteOwnFile(path, &entry->identity) : DeleteEmptyFile(path);
    }
    if (removal == Removal::kFailed) {
      Note(path, notRestored);
      complete = false;
    }
  }
  return complete;
}

// Moves the set-aside file from back to its place to, over what a run left there. The way
// to it is checked first: below the target folder no link is followed, and a link at the
// place itself is not replaced. The move goes through handles: the set-aside file opened
// as itself, into its folder as the handle shows it lies in the target, so that a folder
// swapped for a link after the check carries nothing elsewhere. A read-only file with one
// name loses the attribute for the move (and gets it back when the move still fails); one
// with a second name stays.
bool PutBack(const std::wstring& from, const std::wstring& to, const std::wstring& target) {
  if (!lk::IsReachableWithoutUntrustedLinks(target, to)) return false;
  const std::wstring folderPath = lk::FolderOfPath(to);
  lk::ScopedFileHandle folder = lk::HoldFolder(folderPath);
  lk::ScopedFileHandle file = lk::OpenFileItself(from, DELETE | FILE_READ_ATTRIBUTES);
  if (!folder || !file || !lk::IsOpenedAt(folder.Get(), target, folderPath)) return false;
  const std::wstring name = lk::NameOfPath(to);
  const auto move = [&](bool replace) {
    return lk::RenameOpenedInto(file.Get(), folder.Get(), name, replace);
  };
  const lk::LinkState state = lk::QueryLinkState(to.c_str());
  if (state == lk::LinkState::kMissing) return move(false);
  const DWORD attributes = GetFileAttributesW(to.c_str());
  if (state == lk::LinkState::kUnknown || attributes == INVALID_FILE_ATTRIBUTES ||
      (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))) {
    return false;
  }
  if (move(true)) return true;
  if (!(attributes & FILE_ATTRIBUTE_READONLY) || state != lk::LinkState::kPlain) return false;
  const DWORD writable = attributes & ~FILE_ATTRIBUTE_READONLY;
  if (!SetFileAttributesW(to.c_str(), writable ? writable : FILE_ATTRIBUTE_NORMAL)) return false;
  if (move(true)) return true;
  SetFileAttributesW(to.c_str(), attributes);
  return false;
}

// The folder to of a mirror folder, made when it is missing and may be reached.
bool ReachFolder(const std::wstring& to, const std::wstring& target) {
  if (!lk::IsReachableWithoutUntrustedLinks(target, to)) return false;
  const DWORD attributes = GetFileAttributesW(to.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return CreateDirectoryW(to.c_str(), nullptr) != 0;
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Moves everything below the mirror folder from back to the same place under to, removing
// the emptied folders of the mirror; what stays is noted.
bool MoveBack(const std::wstring& from, const std::wstring& to, const std::wstring& target,
              std::vector<std::wstring>* notRestored) {
  bool complete = true;
  WIN32_FIND_DATAW found;
  lk::ScopedFindHandle find(FindFirstFileW((from + L"\\*").c_str(), &found));
  if (find) {
    do {
      if (IsDotName(found.cFileName)) continue;
      const std::wstring source = from + L"\\" + found.cFileName;
      const std::wstring destination = to + L"\\" + found.cFileName;
      bool back = false;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        back = false;  // never made by the setup in its own folder: not followed
      } else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        if (ReachFolder(destination, target)) {
          complete = MoveBack(source, destination, target, notRestored) && complete;
          continue;
        }
      } else {
        back = PutBack(source, destination, target);
      }
      if (!back) Note(destination, notRestored);
      complete = back && complete;
    } while (FindNextFileW(find.Get(), &found));
  }
  find.Reset();
  return RemoveOwnFolder(from) == Removal::kGone && complete;
}

// A discard folder's name: the discard name, then digits only.
bool IsDiscardName(const wchar_t* name) {
  const size_t length = wcslen(kDiscardFolderName);
  if (_wcsnicmp(name, kDiscardFolderName, length) != 0) return false;
  for (const wchar_t* digit = name + length; *digit; ++digit) {
    if (!iswdigit(*digit)) return false;
  }
  return true;
}

}  // namespace

Recovery RecoverFromSetAsideFolder(const std::wstring& target,
                                   std::vector<std::wstring>* notRestored) {
  const std::wstring folder = target + kSetAsideFolderName;
  if (GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES) {
    if (lk::IsNotFoundError(GetLastError())) return Recovery::kDone;
  }
  if (!IsTrustedSetAsideFolder(folder, target)) return Recovery::kUntrusted;

  const std::wstring journal = folder + L"\\" + kJournalFileName;
  const std::wstring files = folder + L"\\" + kSetAsideFilesName;
  bool complete = RemoveCreated(target, journal, notRestored);
  if (GetFileAttributesW(files.c_str()) != INVALID_FILE_ATTRIBUTES) {
    complete = MoveBack(files, lk::WithoutTrailingSeparators(target), target, notRestored) &&
               complete;
  }
  // The journal stays with what could not be put back: the next run tries again.
  if (!complete) return Recovery::kIncomplete;
  DeleteOwnFile(journal);
  if (RemoveOwnFolder(folder) == Removal::kGone) return Recovery::kDone;
  Note(folder, notRestored);
  return Recovery::kIncomplete;
}

void DeleteDiscardFolders(const std::wstring& target) {
  WIN32_FIND_DATAW found;
  lk::ScopedFindHandle find(FindFirstFileW((target + kDiscardFolderName + L"*").c_str(), &found));
  if (!find) return;
  do {
    if (!IsDiscardName(found.cFileName)) continue;
    const std::wstring path = target + found.cFileName;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
      RemoveDirectoryW(path.c_str());  // the link's name only
    } else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      DeleteOwnTree(path);
    }
  } while (FindNextFileW(find.Get(), &found));
}
