#include "uninstall/uninstallation.h"

#include <windows.h>
#include <shlobj.h>

#include "app/string_table.h"
#include "uninstall/payload_manifest.h"
#include "uninstall/registration_removal.h"
#include "uninstall/resource.h"
#include "uninstall/settings_removal.h"
#include "uninstall/shortcut_removal.h"

namespace {

// Settings, shortcuts, registration: the steps after the payload's entries.
constexpr int kStepsAfterFiles = 3;

void Advance(RemovalProgress* progress) {
  if (progress) progress->Advance();
}

// The purge removes everything in the folder only when the uninstall entry names this
// folder as the installation's: a copy of the uninstaller started elsewhere never empties
// a folder that is not an installation.
bool IsRegisteredInstallation(const std::wstring& folder) {
  std::wstring registered = RegisteredInstallLocation();
  if (!registered.empty() && registered.back() != L'\\') registered += L'\\';
  return CompareStringOrdinal(registered.c_str(), -1, folder.c_str(), -1, TRUE) == CSTR_EQUAL;
}

}  // namespace

UninstallRequest RequestFor(const std::wstring& exePath, int purge) {
  UninstallRequest request;
  request.exePath = exePath;
  request.folder = exePath.substr(0, exePath.rfind(L'\\') + 1);
  request.purge = purge;
  return request;
}

int RemovalStepCount() { return kPayloadEntryCount + kStepsAfterFiles; }

int RemoveInstallation(const UninstallRequest& request, RemovalProgress* progress,
                       std::vector<std::wstring>* failures) {
  const bool wholeFolder = request.purge && IsRegisteredInstallation(request.folder);
  RemovePayloadFiles(request.folder, kPayloadEntries, kPayloadEntryCount, request.exePath,
                     progress, failures);
  if (request.purge) RemoveSettings(request.folder);
  Advance(progress);
  if (wholeFolder) RemoveFolderContents(request.folder, request.exePath, failures);
  RemoveEmptyPayloadFolders(request.folder, kPayloadEntries, kPayloadEntryCount);

  RemoveShortcuts(failures);
  Advance(progress);
  RemoveRegistration(failures->empty() ? 0 : 1, failures);
  SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_FLUSHNOWAIT, nullptr, nullptr);
  Advance(progress);
  return failures->empty() ? 1 : 0;
}

std::wstring FailureMessage(const std::vector<std::wstring>& failures) {
  std::wstring message = LoadResString(IDS_FILES_LEFT);
  for (const std::wstring& path : failures) message += L"\n" + path;
  return message;
}
