#include "payload/install_transaction.h"

#include <cwchar>

#include "framework/file_links.h"
#include "framework/handle_rename.h"
#include "framework/path.h"
#include "framework/protected_folder.h"
#include "framework/scoped_handles.h"
#include "payload/no_follow_deletion.h"
#include "payload/set_aside_recovery.h"

namespace {

// Discard names tried by a commit: the plain one, then with a number.
constexpr int kDiscardNames = 100;

std::wstring Folded(std::wstring path) {
  if (!path.empty()) CharUpperBuffW(&path[0], static_cast<DWORD>(path.size()));
  return path;
}

std::wstring SetAsideFolder(const std::wstring& target) { return target + kSetAsideFolderName; }

std::wstring MirrorFolder(const std::wstring& target) {
  return SetAsideFolder(target) + L"\\" + kSetAsideFilesName;
}

// Creates the folders of relative (a path below base) that are missing.
void CreateMirrorFolders(const std::wstring& base, const std::wstring& relative) {
  for (size_t at = relative.find(L'\\'); at != std::wstring::npos;
       at = relative.find(L'\\', at + 1)) {
    CreateDirectoryW((base + L"\\" + relative.substr(0, at)).c_str(), nullptr);
  }
}

// Renames the set-aside folder to a free discard name in one step; its path goes to
// discard.
bool RenameToDiscard(const std::wstring& target, std::wstring* discard) {
  const std::wstring folder = SetAsideFolder(target);
  for (int number = 0; number < kDiscardNames; ++number) {
    wchar_t suffix[16] = {};
    if (number) _snwprintf(suffix, 15, L"%d", number);
    *discard = target + kDiscardFolderName + suffix;
    if (MoveFileExW(folder.c_str(), discard->c_str(), 0)) return true;
    const DWORD error = GetLastError();
    if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) return false;
  }
  return false;
}

}  // namespace

InstallTransaction::InstallTransaction(const wchar_t* targetFolder) {
  Resolve(targetFolder, &target_);
  target_ = lk::WithTrailingBackslash(target_);
}

bool InstallTransaction::Resolve(const wchar_t* path, std::wstring* full) const {
  full->clear();
  if (!path || !path[0]) return false;
  *full = lk::FullPathOf(path);
  return !full->empty();
}

std::wstring InstallTransaction::RelativeName(const std::wstring& full) const {
  if (target_.size() <= 1 || full.size() <= target_.size() ||
      !lk::SamePathText(full.substr(0, target_.size()), target_)) {
    return std::wstring();
  }
  return lk::WithoutTrailingSeparators(full.substr(target_.size()));
}

// Everything the run creates lies in the target folder, on the journal's volume: below the
// target no link or mount point is followed, and each created name is checked for where it
// really is. So the journal's volume serial, read once, stands for every created file's,
// and only the file's own number is read per file, where that number is the one the full
// identity (QueryOwnIdentity, which the recovery compares with) reports on this volume.
bool InstallTransaction::IdentityOf(HANDLE created, lk::FileIdentity* identity) const {
  if (!numberSuffices_) return QueryOwnIdentity(created, identity);
  identity->volumeSerial = volumeSerial_;
  return lk::QueryFileIndex(created, &identity->indexHigh, &identity->indexLow);
}

bool InstallTransaction::Begin() {
  if (owned_) return journal_.IsOpen();
  const std::wstring folder = SetAsideFolder(target_);
  // A target reached through a link a user could have made gets nothing, the journal first.
  if (!lk::IsReachableWithoutUntrustedLinks(target_, folder) ||
      !lk::CreateProtectedFolder(folder.c_str(), lk::FolderProtection::kAdministratorsOnly)) {
    return false;
  }
  owned_ = true;
  SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_HIDDEN);
  if (!CreateDirectoryW(MirrorFolder(target_).c_str(), nullptr) ||
      !journal_.Create(folder + L"\\" + kJournalFileName)) {
    return false;
  }
  lk::FileIdentity full;
  lk::FileIdentity number;
  numberSuffices_ = QueryOwnIdentity(journal_.File(), &full) &&
                    lk::QueryFileIndex(journal_.File(), &number.indexHigh, &number.indexLow) &&
                    number.indexHigh == full.indexHigh && number.indexLow == full.indexLow;
  volumeSerial_ = full.volumeSerial;
  // The target's real location as the journal just made in it shows it, read once.
  const std::wstring setAside =
      lk::WithoutTrailingSeparators(lk::FolderOfPath(lk::FinalPathOf(journal_.File())));
  finalTarget_ = lk::WithoutTrailingSeparators(lk::FolderOfPath(setAside));
  return true;
}

bool InstallTransaction::LiesAt(HANDLE file, const std::wstring& name) const {
  return !finalTarget_.empty() &&
         lk::HasFinalPath(file, lk::WithTrailingBackslash(finalTarget_) + name);
}

bool InstallTransaction::WillCreateFile(const wchar_t* path) {
  std::wstring full;
  if (!Resolve(path, &full)) return false;
  const std::wstring name = RelativeName(full);
  return name.empty() || (Begin() && journal_.WillCreateFile(name));
}

bool InstallTransaction::WillCreateFolder(const wchar_t* path) {
  std::wstring full;
  if (!Resolve(path, &full)) return false;
  const std::wstring name = RelativeName(full);
  return name.empty() || (Begin() && journal_.WillCreateFolder(name));
}

void InstallTransaction::NotCreated(const wchar_t* path) {
  std::wstring full;
  if (!Resolve(path, &full)) return;
  const std::wstring name = RelativeName(full);
  if (!name.empty() && journal_.IsOpen()) journal_.NotCreated(name);
}

bool InstallTransaction::RecordCreatedFile(const wchar_t* path, HANDLE file) {
  std::wstring full;
  lk::FileIdentity identity;
  if (!Resolve(path, &full)) return false;
  const std::wstring name = RelativeName(full);
  if (name.empty()) return true;
  if (!Begin() || !IdentityOf(file, &identity) || !journal_.Created(name, identity)) {
    return false;
  }
  createdFiles_[Folded(full)] = identity;
  return true;
}

bool InstallTransaction::RecordCreatedFolder(const wchar_t* path, HANDLE folder) {
  std::wstring full;
  if (!Resolve(path, &full)) return false;
  const std::wstring name = RelativeName(full);
  if (name.empty()) {
    outerFolders_.push_back(lk::WithoutTrailingSeparators(full));
    return true;
  }
  lk::ScopedFileHandle opened;
  if (!folder) {
    opened = lk::OpenNameItself(full, FILE_READ_ATTRIBUTES);
    if (!opened) return false;
    folder = opened.Get();
  }
  lk::FileIdentity identity;
  return Begin() && IdentityOf(folder, &identity) && journal_.Created(name, identity);
}

std::wstring InstallTransaction::SetAsidePath(const wchar_t* path) const {
  std::wstring full;
  if (!Resolve(path, &full)) return std::wstring();
  const std::wstring name = RelativeName(full);
  return name.empty() ? std::wstring() : MirrorFolder(target_) + L"\\" + name;
}

bool InstallTransaction::SetAside(const wchar_t* path) {
  std::wstring full;
  if (!Resolve(path, &full)) return false;
  // A file this run wrote itself (an archive that names it twice) has nothing to keep.
  const auto created = createdFiles_.find(Folded(full));
  if (created != createdFiles_.end()) {
    return DeleteOwnFile(full, &created->second) == Removal::kGone;
  }
  const std::wstring name = RelativeName(full);
  if (name.empty() || !Begin()) return false;
  // The name itself is opened and moved through that handle, once the handle shows that it
  // lies at that name in the target's real location as the run began: a folder on the way
  // swapped for a link after the walk looked at it would otherwise carry a file from
  // elsewhere into the set-aside folder, and the commit would delete it. A file held open
  // without delete sharing is not opened. (No folder is opened: it is no file to set aside.)
  lk::ScopedFileHandle existing = lk::OpenFileItself(full, DELETE | FILE_READ_ATTRIBUTES);
  if (!existing || !LiesAt(existing.Get(), name)) return false;
  CreateMirrorFolders(MirrorFolder(target_), name);
  return lk::RenameOpened(existing.Get(), MirrorFolder(target_) + L"\\" + name, false);
}

bool InstallTransaction::RollBack(std::vector<std::wstring>* notRestored) {
  journal_.Close();
  createdFiles_.clear();
  bool complete = true;
  if (owned_) {
    owned_ = false;
    const Recovery recovery = RecoverFromSetAsideFolder(target_, notRestored);
    if (recovery == Recovery::kUntrusted && notRestored) {
      notRestored->push_back(SetAsideFolder(target_));
    }
    complete = recovery == Recovery::kDone;
  }
  // The target folder and the folders above it that this run made, when they are empty.
  for (auto folder = outerFolders_.rbegin(); folder != outerFolders_.rend(); ++folder) {
    RemoveOwnFolder(*folder);
  }
  outerFolders_.clear();
  return complete;
}

bool InstallTransaction::Commit() {
  journal_.Close();
  std::wstring discard;
  if (owned_ && !RenameToDiscard(target_, &discard)) return false;
  createdFiles_.clear();
  outerFolders_.clear();
  if (!owned_) return true;
  owned_ = false;
  DeleteOwnTree(discard);
  return true;
}

Recovery InstallTransaction::RecoverLeftovers(const wchar_t* targetFolder,
                                              std::vector<std::wstring>* notRestored) {
  const std::wstring target = lk::WithTrailingBackslash(targetFolder ? targetFolder : L"");
  if (target.empty()) return Recovery::kDone;
  DeleteDiscardFolders(target);
  return RecoverFromSetAsideFolder(target, notRestored);
}
