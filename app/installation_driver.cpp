#include "app/installation_driver.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "app/icon_library.h"
#include "app/install_log.h"
#include "app/settings_file.h"
#include "app/string_table.h"
#include "app/target_folder.h"
#include "framework/path.h"
#include "integration/app_registration.h"
#include "integration/format_catalogue.h"
#include "integration/registration_failures.h"
#include "payload/payload_extraction.h"
#include "res/resource.h"

namespace {

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

}  // namespace

int RunInstallation(InstallOptions& options) {
  wchar_t startDirectory[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, startDirectory);
  wchar_t working[MAX_PATH] = {};
  wcsncpy(working, options.targetFolder, MAX_PATH - 1);
  if (IsInvalidTargetFolder(working)) {
    std::wstring text = LoadResString(IDS_INVALID_FOLDER);
    ReportFailure(options.unattended, text, text + L": " + working);
    return kInstallationFailed;
  }
  if (!CreateFolderTree(working)) {
    std::wstring text = LoadResString(IDS_CANNOT_CREATE_FOLDER);
    ReportFailure(options.unattended, text, text + L": " + working);
    return kInstallationFailed;
  }

  wchar_t plugins[MAX_PATH] = {};
  wchar_t iconLibrary[MAX_PATH] = {};
  if (lk::JoinPath(working, L"Plugins", plugins)) {
    CreateFolderTree(plugins);
    lk::JoinPath(plugins, L"Icons.dll", iconLibrary);
  }
  const int keepIconLibrary = iconLibrary[0] ? IconLibraryDecision(iconLibrary) : 0;

  if (ExtractPayload(working, keepIconLibrary) != 0) {
    std::wstring text = LoadResString(IDS_INSTALL_FAILED);
    ReportFailure(options.unattended, text, working + (L": " + text));
    return kInstallationFailed;
  }

  // From here on the folder is the one the files went to: CreateFolderTree has trimmed the
  // blanks around each of its components.
  wchar_t settingsFile[MAX_PATH] = {};
  PrepareSettingsFile(working, options.settingsFolder, settingsFile);

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

int RunInstallation(const wchar_t* targetFolder, int startMenuGroup, int desktopShortcut,
                    int thumbnailsShortcut, int allUsers, const wchar_t* settingsFolder,
                    int32_t* formatSelection, int associateFormats, int unattended) {
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
  const int result = RunInstallation(options);
  // The caller's selection follows an answer that cleared the choice.
  for (int row = 0; row < FormatCount; ++row) formatSelection[row] = options.formatSelection[row];
  return result;
}
