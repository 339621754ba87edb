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

bool ConfirmAssociations() {
  std::wstring caption = LoadResString(IDS_CAPTION);
  std::wstring text = LoadResString(IDS_CONFIRM_ASSOCIATIONS);
  return MessageBoxW(GetActiveWindow(), text.c_str(), caption.c_str(),
                     MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDNO;
}

}  // namespace

int RunInstallation(InstallOptions& options) {
  wchar_t working[MAX_PATH] = {};
  wcsncpy(working, options.targetFolder, MAX_PATH - 1);
  if (working[0] == L'\0') {
    std::wstring text = LoadResString(IDS_INVALID_FOLDER);
    ReportFailure(options.unattended, text, text + L": " + working);
    return 0;
  }
  if (!CreateFolderTree(working)) {
    std::wstring text = LoadResString(IDS_CANNOT_CREATE_FOLDER);
    ReportFailure(options.unattended, text, text + L": " + working);
    return 0;
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
    return 0;
  }

  wchar_t settingsFile[MAX_PATH] = {};
  PrepareSettingsFile(options.targetFolder, options.settingsFolder, settingsFile);

  if (options.associateFormats && !options.unattended && !ConfirmAssociations()) {
    SelectNoFormats(options.formatSelection);
    options.associateFormats = 0;
  }
  RegisterApplication(options.associateFormats, options.targetFolder, options.startMenuGroup,
                      options.desktopShortcut, options.thumbnailsShortcut, options.allUsers,
                      options.formatSelection);

  if (FILE* file = _wfopen(settingsFile, L"rb")) ConvertSettingsToUnicode(settingsFile, file);
  return 1;
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
