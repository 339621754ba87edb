#include "payload/entry_output.h"

#include "framework/deletion_mark.h"
#include "framework/file_links.h"
#include "framework/path.h"
#include "payload/file_times.h"
#include "payload/reparse_points.h"

namespace {

// The real location of the opened target, when its name leads there through no link an
// ordinary user could have made; empty otherwise.
std::wstring FinalTargetOf(const std::wstring& target, HANDLE folder) {
  if (!folder || folder == INVALID_HANDLE_VALUE ||
      !lk::IsReachableWithoutUntrustedLinks(target, target) ||
      !lk::IsOpenedAt(folder, target, target)) {
    return std::wstring();
  }
  return lk::WithoutTrailingSeparators(lk::FinalPathOf(folder));
}

// folder\name with the entry's separators as backslashes, one between two parts.
std::wstring Below(const std::wstring& folder, const wchar_t* name) {
  std::wstring path = lk::WithTrailingBackslash(folder);
  for (const wchar_t* p = name; *p; ++p) {
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

}  // namespace

EntryOutput::EntryOutput(const wchar_t* targetFolder, InstallTransaction* transaction)
    : transaction_(transaction),
      target_(lk::WithoutTrailingSeparators(lk::FullPathOf(targetFolder ? targetFolder : L""))),
      targetFolder_(target_.empty() ? lk::ScopedFileHandle() : lk::HoldFolder(target_)),
      finalTarget_(FinalTargetOf(target_, targetFolder_.Get())) {}

// Whether made, opened for name, lies where that name leads from the target's real
// location: a folder of the target swapped for a link after it was looked at would have
// carried it elsewhere.
bool EntryOutput::IsInTarget(HANDLE made, const wchar_t* name) const {
  return IsReady() && lk::HasFinalPath(made, Below(finalTarget_, name));
}

bool EntryOutput::LeadsThroughLink(const wchar_t* name) {
  return !IsReady() || LeadsThroughReparsePoint(target_, name, &plainFolder_);
}

void EntryOutput::MakeFolder(const wchar_t* name) {
  if (!IsReady()) return;
  const std::wstring path = Below(target_, name);
  if (!transaction_->WillCreateFolder(path.c_str())) return;
  if (!CreateDirectoryW(path.c_str(), nullptr)) return;
  lk::ScopedFileHandle made = lk::OpenNameItself(path, FILE_READ_ATTRIBUTES | DELETE);
  // Recorded through the handle that was checked; one that lies elsewhere, or that the
  // journal could not take, goes again at once.
  if (made && (!IsInTarget(made.Get(), name) ||
               !transaction_->RecordCreatedFolder(path.c_str(), made.Get()))) {
    DeleteMade(made.Get());
  }
}

// Each folder along the name in turn, each made and checked as a folder entry's is.
void EntryOutput::MakeFolderPath(const wchar_t* name) {
  std::wstring folder;
  for (const wchar_t* p = name;; ++p) {
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
HANDLE EntryOutput::CreateNew(const std::wstring& path, const wchar_t* name) {
  // Announced in the journal first, so that a kill right after the creation still knows it.
  if (!transaction_->WillCreateFile(path.c_str())) return INVALID_HANDLE_VALUE;
  lk::ScopedFileHandle created(CreateFileW(path.c_str(), GENERIC_WRITE | DELETE, 0, nullptr,
                                           CREATE_NEW,
                                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                                           nullptr));
  if (!created) {
    const DWORD error = GetLastError();
    transaction_->NotCreated(path.c_str());
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
  }
  if (!IsInTarget(created.Get(), name)) {
    DeleteMade(created.Get());
    transaction_->NotCreated(path.c_str());
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  if (!transaction_->RecordCreatedFile(path.c_str(), created.Get())) {
    DeleteMade(created.Get());
    return INVALID_HANDLE_VALUE;
  }
  return created.Release();
}

bool EntryOutput::BeginFile(const wchar_t* name) {
  if (!IsReady()) return false;
  const std::wstring path = Below(target_, name);
  file_.Reset(CreateNew(path, name));
  if (file_) return true;
  const DWORD error = GetLastError();
  if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return false;
  // Windows refuses to replace a read-only file; so does the setup, also where a privileged
  // process could move it. A symbolic link, junction or mount point where a file belongs,
  // one that leads nowhere included, is refused as well: only files and hard links are set
  // aside, which moves their name and never touches what they share their data with.
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY)) {
    return false;
  }
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) && IsNameSurrogateReparsePoint(path.c_str())) {
    return false;
  }
  if (!transaction_->SetAside(path.c_str())) return false;
  file_.Reset(CreateNew(path, name));
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
