#include "payload/entry_output.h"

#include "framework/deletion_mark.h"
#include "framework/file_links.h"
#include "framework/path.h"
#include "payload/file_times.h"
#include "payload/reparse_points.h"

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr DWORD kFolderUnits = 1024;

// The real location of the current directory (the target), when the name it was entered by
// leads there through no link an ordinary user could have made; empty otherwise.
std::wstring FinalCurrentDirectory() {
  wchar_t current[kFolderUnits] = {};
  const DWORD length = GetCurrentDirectoryW(kFolderUnits, current);
  if (length == 0 || length >= kFolderUnits) return std::wstring();
  lk::ScopedFileHandle folder(CreateFileW(L".", FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!folder || !lk::IsReachableWithoutUntrustedLinks(current, current) ||
      !lk::IsOpenedAt(folder.Get(), current, current)) {
    return std::wstring();
  }
  return lk::WithoutTrailingSeparators(lk::FinalPathOf(folder.Get()));
}

// target\relative with the entry's separators as backslashes, one between two parts.
std::wstring Below(const std::wstring& target, const wchar_t* relative) {
  std::wstring path = lk::WithTrailingBackslash(target);
  for (const wchar_t* p = relative; *p; ++p) {
    if (!lk::IsPathSeparator(*p)) {
      path += *p;
    } else if (!lk::IsPathSeparator(path.back())) {
      path += L'\\';
    }
  }
  return lk::WithoutTrailingSeparators(path);
}

// Takes back a name this run just made where it does not belong, through its own handle:
// nothing else of that name is touched.
void DeleteMade(HANDLE made) { lk::SetDeletionMark(made, true); }

bool IsAbsolute(const wchar_t* path) {
  return (path[0] != L'\0' && path[1] == L':') ||
         (lk::IsPathSeparator(path[0]) && lk::IsPathSeparator(path[1]));
}

}  // namespace

// Whether made, opened for path (below the current directory, the target, or absolute),
// lies where that name leads: a folder of the target swapped for a link after it was
// looked at would have carried it elsewhere.
bool EntryOutput::IsInTarget(HANDLE made, const wchar_t* path) {
  std::wstring expected;
  if (IsAbsolute(path)) {
    // An absolute path is used as it reads: only where no link lies on its way.
    expected = lk::FullPathOf(path);
  } else {
    if (!targetKnown_) {
      finalTarget_ = FinalCurrentDirectory();
      targetKnown_ = true;
    }
    if (!finalTarget_.empty()) expected = Below(finalTarget_, path);
  }
  const std::wstring real = lk::FinalPathOf(made);
  return !expected.empty() && !real.empty() &&
         lk::SamePathText(lk::WithoutTrailingSeparators(real),
                          lk::WithoutTrailingSeparators(expected));
}

void EntryOutput::MakeFolder(const wchar_t* path) {
  if (!transaction_->WillCreateFolder(path) || !CreateDirectoryW(path, nullptr)) return;
  lk::ScopedFileHandle made(CreateFileW(path, FILE_READ_ATTRIBUTES | DELETE, kShareAll, nullptr,
                                        OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                        nullptr));
  if (made && IsInTarget(made.Get(), path)) {
    transaction_->RecordCreatedFolder(path);
  } else if (made) {
    DeleteMade(made.Get());
  }
}

// Each folder along the path in turn, each made and checked as a folder entry's is.
void EntryOutput::MakeFolderPath(const wchar_t* path) {
  std::wstring folder;
  for (const wchar_t* p = path;; ++p) {
    if ((*p == L'\0' || lk::IsPathSeparator(*p)) && !folder.empty() &&
        !lk::IsPathSeparator(folder.back())) {
      MakeFolder(folder.c_str());
    }
    if (*p == L'\0') return;
    folder += *p;
  }
}

// A new file at path, never one that exists and never through a link at the name (a link
// that leads nowhere included): checked for where it really is before a byte is written.
HANDLE EntryOutput::CreateNew(const wchar_t* path) {
  // Announced in the journal first, so that a kill right after the creation still knows it.
  if (!transaction_->WillCreateFile(path)) return INVALID_HANDLE_VALUE;
  lk::ScopedFileHandle created(CreateFileW(path, GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                                           nullptr));
  if (!created) {
    const DWORD error = GetLastError();
    transaction_->NotCreated(path);
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
  }
  if (!IsInTarget(created.Get(), path)) {
    DeleteMade(created.Get());
    transaction_->NotCreated(path);
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  if (!transaction_->RecordCreatedFile(path, created.Get())) {
    DeleteMade(created.Get());
    return INVALID_HANDLE_VALUE;
  }
  return created.Release();
}

bool EntryOutput::BeginFile(const wchar_t* path) {
  file_.Reset(CreateNew(path));
  if (file_) return true;
  const DWORD error = GetLastError();
  if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return false;
  // Windows refuses to replace a read-only file; so does the setup, also where a privileged
  // process could move it. A symbolic link, junction or mount point where a file belongs,
  // one that leads nowhere included, is refused as well: only files and hard links are set
  // aside, which moves their name and never touches what they share their data with.
  const DWORD attributes = GetFileAttributesW(path);
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY) ||
      ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) && IsNameSurrogateReparsePoint(path))) {
    return false;
  }
  if (!transaction_->SetAside(path)) return false;
  file_.Reset(CreateNew(path));
  return static_cast<bool>(file_);
}

bool EntryOutput::Write(const void* data, DWORD size) {
  DWORD written = 0;
  return WriteFile(file_.Get(), data, size, &written, nullptr) && written == size;
}

void EntryOutput::EndFile(DWORD dosDateTime) {
  // Stamped through the handle that wrote it, before it is closed: no second open.
  SetFileTimeFromDos(file_.Get(), dosDateTime);
  file_.Reset();
}
