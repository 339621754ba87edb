#include "uninstall/uninstallation.h"

#include <windows.h>
#include <shlobj.h>

#include "app/product_info.h"
#include "app/string_table.h"
#include "app/viewer_window.h"
#include "framework/deletion_mark.h"
#include "framework/file_identity.h"
#include "framework/file_links.h"
#include "framework/path.h"
#include "framework/scoped_handles.h"
#include "uninstall/payload_manifest.h"
#include "uninstall/registration_removal.h"
#include "uninstall/resource.h"
#include "uninstall/self_removal.h"
#include "uninstall/settings_removal.h"
#include "uninstall/shortcut_removal.h"

namespace {

// Settings, shortcuts, registration: the steps after the payload's entries.
constexpr int kStepsAfterFiles = 3;

void Advance(RemovalProgress* progress) {
  if (progress) progress->Advance();
}

// The uninstall entry names this folder: the same folder, however either is spelt.
bool IsOwnInstallation(const std::wstring& folder) {
  const std::wstring registered = RegisteredInstallLocation();
  return !registered.empty() && lk::IsSameFile(registered.c_str(), folder.c_str());
}

// A viewer that runs, in this session or in any other, holds its file: it can be opened
// for deletion (without sharing deletion) and marked, but a running program's file cannot
// be marked. The mark is taken back at once.
bool CanViewerBeDeleted(const std::wstring& folder) {
  const std::wstring viewer = folder + lk::kViewerExe;
  lk::ScopedFileHandle file(CreateFileW(viewer.c_str(), DELETE | FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file) return GetLastError() != ERROR_SHARING_VIOLATION;
  DWORD attributes = 0;
  // A read-only file cannot be marked either; its removal reports it when it stays.
  if (lk::AttributesOf(file.Get(), &attributes) && (attributes & FILE_ATTRIBUTE_READONLY)) {
    return true;
  }
  if (!lk::SetDeletionMark(file.Get(), true)) return false;
  lk::SetDeletionMark(file.Get(), false);
  return true;
}

std::wstring LongPathOf(const std::wstring& path) {
  wchar_t longPath[MAX_PATH] = {};
  const DWORD length = GetLongPathNameW(path.c_str(), longPath, MAX_PATH);
  return length > 0 && length < MAX_PATH ? std::wstring(longPath) : path;
}

}  // namespace

UninstallRequest RequestFor(const std::wstring& exePath, int purge) {
  UninstallRequest request;
  request.exePath = LongPathOf(exePath);
  request.folder = lk::FolderOfPath(request.exePath);
  request.purge = purge;
  return request;
}

int CheckBeforeRemoval(const UninstallRequest& request, std::wstring* message) {
  if (!IsOwnInstallation(request.folder)) {
    *message = LoadResString(IDS_NOT_OWN_INSTALLATION);
    return kExitFailed;
  }
  if (!lk::IsReachableWithoutUntrustedLinks(request.folder, request.folder)) {
    *message = FailureMessage({request.folder});
    return kExitFailed;
  }
  if (IsViewerRunning() || !CanViewerBeDeleted(request.folder)) {
    *message = LoadResString(IDS_VIEWER_RUNNING);
    return kExitViewerRunning;
  }
  message->clear();
  return kExitRemoved;
}

int RemovalStepCount() { return kPayloadEntryCount + kStepsAfterFiles; }

int RemoveInstallation(const UninstallRequest& request, RemovalProgress* progress,
                       std::vector<std::wstring>* failures) {
  RemovePayloadFiles(request.folder, kPayloadEntries, kPayloadEntryCount, request.exePath,
                     progress, failures);
  if (request.purge) RemoveSettings(request.folder, failures);
  Advance(progress);
  RemoveEmptyPayloadFolders(request.folder, kPayloadEntries, kPayloadEntryCount);

  RemoveShortcuts(failures);
  Advance(progress);
  // The entry goes last (CompleteRemoval), and only when everything before it went.
  RemoveRegistration(1, failures);
  SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_FLUSHNOWAIT, nullptr, nullptr);
  Advance(progress);
  return failures->empty() ? 1 : 0;
}

int CompleteRemoval(const UninstallRequest& request, std::vector<std::wstring>* failures,
                    std::wstring* notice) {
  notice->clear();
  const SelfRemoval removal = HandOverToCopy(request.exePath);
  if (removal.way == SelfRemovalWay::kNone) {
    failures->push_back(request.exePath);
    return 0;
  }
  if (!RemoveUninstallEntry(failures)) {
    TakeBack(removal);
    return 0;
  }
  if (removal.way == SelfRemovalWay::kAtRestart) {
    *notice = LoadResString(IDS_REMOVED_AT_RESTART) + L"\n" + removal.renamed;
  }
  return 1;
}

std::wstring FailureMessage(const std::vector<std::wstring>& failures) {
  std::wstring message = LoadResString(IDS_ITEMS_LEFT);
  for (const std::wstring& item : failures) message += L"\n" + item;
  return message;
}
