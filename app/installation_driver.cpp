#include "app/installation_driver.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "app/icon_library.h"
#include "app/install_log.h"
#include "app/settings_file.h"
#include "app/string_table.h"
#include "app/target_folder.h"
#include "framework/file_links.h"
#include "framework/path.h"
#include "integration/app_registration.h"
#include "integration/format_catalogue.h"
#include "integration/registration_failures.h"
#include "payload/install_transaction.h"
#include "payload/payload_extraction.h"
#include "res/resource.h"

namespace {

// The viewer's settings file in the program folder.
constexpr wchar_t kProgramSettingsFileName[] = L"lk_main64.ini";

// A failure: a message box with the text in the wizard, the log entry when unattended.
void ReportFailure(int unattended, const std::wstring& text, const std::wstring& logEntry) {
  if (unattended) {
    AppendInstallLog(logEntry.c_str());
    return;
  }
  std::wstring caption = LoadResString(IDS_CAPTION);
  MessageBoxW(GetActiveWindow(), text.c_str(), caption.c_str(), MB_ICONERROR);
}

// Keys or shortcuts that could not be written: a warning in the wizard, the log entry
// (string 12 and the first that failed) when unattended. The unpacking has made the target
// the current directory; the log belongs in the one the setup was started in.
void ReportIncompleteRegistration(int unattended, const RegistrationFailures& failures,
                                  const wchar_t* startDirectory) {
  const std::wstring text = LoadResString(IDS_REGISTRATION_INCOMPLETE) + L": " + failures.First();
  if (unattended) {
    wchar_t target[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, target);
    SetCurrentDirectoryW(startDirectory);
    AppendInstallLog(text.c_str());
    SetCurrentDirectoryW(target);
    return;
  }
  std::wstring caption = LoadResString(IDS_CAPTION);
  MessageBoxW(GetActiveWindow(), text.c_str(), caption.c_str(), MB_ICONEXCLAMATION);
}

// Empty, or a relative folder, which would put the files under whatever the current
// directory is. Blanks alone are left to the folder creation, which cannot make a folder
// of them.
bool IsInvalidTargetFolder(const wchar_t* folder) {
  if (folder[0] == L'\0') return true;
  return folder[wcsspn(folder, L" ")] != L'\0' && !IsAbsoluteDriveFolder(folder);
}

bool ConfirmAssociations() {
  std::wstring caption = LoadResString(IDS_CAPTION);
  std::wstring text = LoadResString(IDS_CONFIRM_ASSOCIATIONS);
  return MessageBoxW(GetActiveWindow(), text.c_str(), caption.c_str(),
                     MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDNO;
}

void RecordCreatedFolders(const std::vector<std::wstring>& folders,
                          InstallTransaction* transaction) {
  for (const std::wstring& folder : folders) transaction->RecordCreatedFolder(folder.c_str());
}

// The settings file in the program folder is part of what a failure or a killed run gives
// back: it is set aside and, unless it is a link, copied back as a file of its own for the
// settings to be written into. A link is neither read nor written: a new file is made.
void SetAsideSettingsFile(const wchar_t* targetFolder, InstallTransaction* transaction) {
  wchar_t settingsFile[MAX_PATH] = {};
  if (!lk::JoinPath(targetFolder, kProgramSettingsFileName, settingsFile) ||
      GetFileAttributesW(settingsFile) == INVALID_FILE_ATTRIBUTES ||
      !transaction->SetAside(settingsFile)) {
    return;
  }
  const std::wstring aside = transaction->SetAsidePath(settingsFile);
  if (lk::QueryLinkState(aside.c_str()) == lk::LinkState::kPlain &&
      CopyFileW(aside.c_str(), settingsFile, TRUE)) {
    SetFileAttributesW(settingsFile, FILE_ATTRIBUTE_NORMAL);
    transaction->RecordCreatedFile(settingsFile);
  }
}

void ReportUnpackingFailure(int unattended, const wchar_t* folder) {
  std::wstring text = LoadResString(IDS_INSTALL_FAILED);
  ReportFailure(unattended, text, folder + (L": " + text));
}

}  // namespace

int RunInstallation(InstallOptions& options, const PayloadSource& payload) {
  wchar_t startDirectory[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, startDirectory);
  wchar_t working[MAX_PATH] = {};
  wcsncpy(working, options.targetFolder, MAX_PATH - 1);
  if (IsInvalidTargetFolder(working)) {
    std::wstring text = LoadResString(IDS_INVALID_FOLDER);
    ReportFailure(options.unattended, text, text + L": " + working);
    return kInstallationFailed;
  }
  std::vector<std::wstring> createdFolders;
  if (!CreateTargetFolder(working, &createdFolders)) {
    std::wstring text = LoadResString(IDS_CANNOT_CREATE_FOLDER);
    ReportFailure(options.unattended, text, text + L": " + working);
    return kInstallationFailed;
  }
  // A run that was killed while unpacking left the earlier files set aside: they come back
  // first. When they cannot, nothing is changed.
  if (!InstallTransaction::RecoverLeftovers(working)) {
    ReportUnpackingFailure(options.unattended, working);
    return kInstallationFailed;
  }

  // From the first change in the target folder until the settings file is written, a
  // failure gives back the earlier state.
  InstallTransaction transaction(working);
  RecordCreatedFolders(createdFolders, &transaction);
  wchar_t plugins[MAX_PATH] = {};
  wchar_t iconLibrary[MAX_PATH] = {};
  if (lk::JoinPath(working, L"Plugins", plugins)) {
    createdFolders.clear();
    CreateFolderTree(plugins, &createdFolders);
    RecordCreatedFolders(createdFolders, &transaction);
    lk::JoinPath(plugins, L"Icons.dll", iconLibrary);
  }
  const int keepIconLibrary = iconLibrary[0] ? IconLibraryDecision(iconLibrary) : 0;

  if (ExtractPayload(payload, working, keepIconLibrary, &transaction) != 0) {
    transaction.RollBack();
    ReportUnpackingFailure(options.unattended, working);
    return kInstallationFailed;
  }

  // From here on the folder is the one the files went to: CreateFolderTree has trimmed the
  // blanks around each of its components.
  SetAsideSettingsFile(working, &transaction);
  wchar_t settingsFile[MAX_PATH] = {};
  PrepareSettingsFile(working, options.settingsFolder, settingsFile);
  // The point of no return: the earlier files are let go.
  transaction.Commit();

  if (options.associateFormats && !options.unattended && !ConfirmAssociations()) {
    SelectNoFormats(options.formatSelection);
    options.associateFormats = 0;
  }
  RegistrationFailures failures;
  RegisterApplication(options.associateFormats, working, options.startMenuGroup,
                      options.desktopShortcut, options.thumbnailsShortcut, options.allUsers,
                      options.formatSelection, &failures);

  if (FILE* file = OpenSettingsFile(settingsFile)) ConvertSettingsToUnicode(settingsFile, file);
  wcscpy(options.targetFolder, working);
  if (failures.Any()) {
    ReportIncompleteRegistration(options.unattended, failures, startDirectory);
    return kInstalledIncomplete;
  }
  return kInstalled;
}

int RunInstallation(const PayloadSource& payload, const wchar_t* targetFolder,
                    int startMenuGroup, int desktopShortcut, int thumbnailsShortcut,
                    int allUsers, const wchar_t* settingsFolder, int32_t* formatSelection,
                    int associateFormats, int unattended) {
  InstallOptions options;
  wcsncpy(options.targetFolder, targetFolder, MAX_PATH - 1);
  options.startMenuGroup = startMenuGroup;
  options.desktopShortcut = desktopShortcut;
  options.thumbnailsShortcut = thumbnailsShortcut;
  options.allUsers = allUsers;
  wcsncpy(options.settingsFolder, settingsFolder, MAX_PATH - 1);
  for (int row = 0; row < FormatCount; ++row) options.formatSelection[row] = formatSelection[row];
  options.associateFormats = associateFormats;
  options.unattended = unattended;
  const int result = RunInstallation(options, payload);
  // The caller's selection follows an answer that cleared the choice.
  for (int row = 0; row < FormatCount; ++row) formatSelection[row] = options.formatSelection[row];
  return result;
}
