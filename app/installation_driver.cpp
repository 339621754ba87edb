#include "app/installation_driver.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "app/icon_library.h"
#include "app/product_info.h"
#include "app/install_log.h"
#include "app/install_plan.h"
#include "app/settings_file.h"
#include "app/string_table.h"
#include "app/target_folder.h"
#include "framework/file_links.h"
#include "framework/path.h"
#include "framework/scoped_handles.h"
#include "integration/app_registration.h"
#include "integration/registration_failures.h"
#include "payload/folder_paths.h"
#include "payload/install_transaction.h"
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
// (string 12 and the first that failed) when unattended.
void ReportIncompleteRegistration(int unattended, const RegistrationFailures& failures) {
  const std::wstring text = LoadResString(IDS_REGISTRATION_INCOMPLETE) + L": " + failures.First();
  if (unattended) {
    AppendInstallLog(text.c_str());
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

// Most paths one report lists of what could not be put back.
constexpr size_t kListedPaths = 20;
// The copy of a settings file moves in pieces of this size.
constexpr DWORD kCopyPieceBytes = 32768;

void RecordCreatedFolders(const std::vector<std::wstring>& folders,
                          InstallTransaction* transaction) {
  for (const std::wstring& folder : folders) transaction->RecordCreatedFolder(folder.c_str());
}

// A new file at path that the transaction knows before it exists; invalid when it could
// not be made or recorded.
lk::ScopedFileHandle CreateRecordedFile(const wchar_t* path, InstallTransaction* transaction) {
  if (!transaction->WillCreateFile(path)) return lk::ScopedFileHandle();
  lk::ScopedFileHandle file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) transaction->NotCreated(path);
  if (file && !transaction->RecordCreatedFile(path, file.Get())) {
    file.Reset();
    DeleteFileW(path);
  }
  return file;
}

bool CopyContent(HANDLE from, HANDLE to) {
  char piece[kCopyPieceBytes];
  for (;;) {
    DWORD read = 0;
    DWORD written = 0;
    if (!ReadFile(from, piece, kCopyPieceBytes, &read, nullptr)) return false;
    if (read == 0) return true;
    if (!WriteFile(to, piece, read, &written, nullptr) || written != read) return false;
  }
}

// Copies the set-aside settings file back to path as a file of this run's own, which is
// all the settings are written into; the set-aside original stays untouched.
bool CopyBack(const std::wstring& aside, const wchar_t* path, InstallTransaction* transaction) {
  lk::ScopedFileHandle source(CreateFileW(aside.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING,
                                          FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_SEQUENTIAL_SCAN,
                                          nullptr));
  if (!source) return false;
  lk::ScopedFileHandle copy = CreateRecordedFile(path, transaction);
  return copy && CopyContent(source.Get(), copy.Get());
}

// The settings file in the program folder is part of what a failure or a killed run gives
// back: an existing one is set aside and copied back for the settings to be written into;
// a link there is neither read nor written, and a new empty file takes its place, as where
// there was none. False when an existing file cannot be set aside or copied: the user's
// settings are never replaced by a default file.
bool PrepareProgramSettingsFile(const wchar_t* targetFolder, InstallTransaction* transaction) {
  wchar_t settingsFile[MAX_PATH] = {};
  // Without room for the name there is no settings file here, now or later.
  if (!lk::JoinPath(targetFolder, lk::kSettingsFileName, settingsFile)) return true;
  const lk::LinkState state = lk::QueryLinkState(settingsFile);
  if (state == lk::LinkState::kUnknown) return false;
  if (state != lk::LinkState::kMissing && !transaction->SetAside(settingsFile)) return false;
  if (state == lk::LinkState::kPlain) {
    return CopyBack(transaction->SetAsidePath(settingsFile), settingsFile, transaction);
  }
  return static_cast<bool>(CreateRecordedFile(settingsFile, transaction));
}

// The settings file rewritten as UTF-16 before the earlier files are let go, so that one
// that cannot be converted fails the installation with a rollback. No settings file at all
// (no room for its name, a link whose name went) is no failure. The program folder's
// file is a new one after the conversion: the transaction learns it.
bool ConvertSettingsFile(const wchar_t* settingsFile, const wchar_t* targetFolder,
                         InstallTransaction* transaction) {
  if (!settingsFile[0]) return true;
  FILE* file = OpenSettingsFile(settingsFile);
  if (!file) return lk::QueryLinkState(settingsFile) == lk::LinkState::kMissing;
  if (!ConvertSettingsToUnicode(settingsFile, file, transaction)) return false;
  wchar_t programFile[MAX_PATH] = {};
  if (!lk::JoinPath(targetFolder, lk::kSettingsFileName, programFile) ||
      !lk::SamePathText(programFile, settingsFile)) {
    return true;
  }
  lk::ScopedFileHandle converted = lk::OpenFileItself(settingsFile, FILE_READ_ATTRIBUTES);
  return converted && transaction->RecordCreatedFile(settingsFile, converted.Get());
}

void ReportUnpackingFailure(int unattended, const wchar_t* folder) {
  std::wstring text = LoadResString(IDS_INSTALL_FAILED);
  ReportFailure(unattended, text, folder + (L": " + text));
}

// The unpacking failure, and what of the earlier state could not be put back, one path a
// line.
void ReportRestoreFailure(int unattended, const wchar_t* folder,
                          const std::vector<std::wstring>& notRestored) {
  std::wstring text = LoadResString(IDS_INSTALL_FAILED) + L"\n\n" +
                      LoadResString(IDS_ROLLBACK_INCOMPLETE) + L":";
  for (size_t i = 0; i < notRestored.size() && i < kListedPaths; ++i) {
    text += L"\n" + notRestored[i];
  }
  if (notRestored.size() > kListedPaths) text += L"\n...";
  ReportFailure(unattended, text, folder + (L": " + text));
}

// A failure once the target folder was changed: the earlier state is given back, and the
// report says what of it could not be.
void FailAndRollBack(int unattended, const wchar_t* folder, InstallTransaction* transaction) {
  std::vector<std::wstring> notRestored;
  if (transaction->RollBack(&notRestored)) {
    ReportUnpackingFailure(unattended, folder);
  } else {
    ReportRestoreFailure(unattended, folder, notRestored);
  }
}

// Creates the plan's target folder; false when it cannot be made or entered.
bool CreatePlannedFolder(const std::wstring& folder, std::vector<std::wstring>* created) {
  if (folder.empty() || folder.size() >= MAX_PATH) return false;
  wchar_t path[MAX_PATH] = {};
  wcscpy(path, folder.c_str());
  return CreateTargetFolder(path, created) != 0;
}

// The target folder made and what a killed earlier run left there put right: the folders
// made are appended to createdFolders. False after a reported failure; nothing of the
// target was changed but the folders made.
bool PrepareTarget(const InstallPlan& plan, std::vector<std::wstring>* createdFolders) {
  const wchar_t* target = plan.registration.folder.c_str();
  if (!CreatePlannedFolder(plan.registration.folder, createdFolders)) {
    std::wstring text = LoadResString(IDS_CANNOT_CREATE_FOLDER);
    ReportFailure(plan.unattended, text, text + L": " + target);
    return false;
  }
  // What a killed earlier run left set aside comes back first (what it created goes).
  // When that cannot be done completely, or the set-aside folder is not one the setup made,
  // nothing is changed.
  std::vector<std::wstring> notRestored;
  switch (InstallTransaction::RecoverLeftovers(target, &notRestored)) {
    case Recovery::kDone:
      return true;
    case Recovery::kIncomplete:
      ReportRestoreFailure(plan.unattended, target, notRestored);
      return false;
    case Recovery::kUntrusted:
      ReportUnpackingFailure(plan.unattended, target);
      return false;
  }
  return false;
}

// The earlier files are let go once the payload is unpacked and the settings file is
// prepared and converted; until then a failure gives back the earlier state (reported,
// false).
bool UnpackFiles(const InstallPlan& plan, const PayloadSource& payload,
                 const std::vector<std::wstring>& createdFolders) {
  const wchar_t* target = plan.registration.folder.c_str();
  InstallTransaction transaction(target);
  RecordCreatedFolders(createdFolders, &transaction);
  const auto fail = [&] {
    FailAndRollBack(plan.unattended, target, &transaction);
    return false;
  };
  if (!transaction.Begin()) return fail();
  wchar_t plugins[MAX_PATH] = {};
  wchar_t iconLibrary[MAX_PATH] = {};
  if (lk::JoinPath(target, L"Plugins", plugins)) {
    MakeDirectoryPath(plugins, &transaction);
    lk::JoinPath(plugins, L"Icons.dll", iconLibrary);
  }
  const int keepIconLibrary = iconLibrary[0] ? IconLibraryDecision(iconLibrary) : 0;
  if (ExtractPayload(payload, target, keepIconLibrary, &transaction) != 0) return fail();

  if (!PrepareProgramSettingsFile(target, &transaction)) return fail();
  wchar_t settingsFile[MAX_PATH] = {};
  PrepareSettingsFile(target, plan.settingsFolder.c_str(), settingsFile);
  // The point of no return: the earlier files are let go in one step.
  if (!ConvertSettingsFile(settingsFile, target, &transaction) || !transaction.Commit()) {
    return fail();
  }
  return true;
}

// The registration as planned, after the wizard's question: a No takes no format over, the
// rest is registered as chosen.
int RegisterPlanned(const InstallPlan& plan) {
  const bool declined =
      plan.registration.associateFormats && !plan.unattended && !ConfirmAssociations();
  RegistrationFailures failures;
  RegisterApplication(declined ? WithoutAssociations(plan.registration) : plan.registration,
                      &failures);
  if (!failures.Any()) return kInstalled;
  ReportIncompleteRegistration(plan.unattended, failures);
  return kInstalledIncomplete;
}

}  // namespace

int RunInstallation(const InstallOptions& options, const PayloadSource& payload,
                    std::wstring* installedFolder) {
  if (IsInvalidTargetFolder(options.targetFolder)) {
    std::wstring text = LoadResString(IDS_INVALID_FOLDER);
    ReportFailure(options.unattended, text, text + L": " + options.targetFolder);
    return kInstallationFailed;
  }
  const InstallPlan plan = MakeInstallPlan(options);
  std::vector<std::wstring> createdFolders;
  if (!PrepareTarget(plan, &createdFolders) || !UnpackFiles(plan, payload, createdFolders)) {
    return kInstallationFailed;
  }
  if (installedFolder) *installedFolder = plan.registration.folder;
  const int result = RegisterPlanned(plan);
  // Every report went to the folder the setup was started in. From here on the installed
  // folder is the current directory, which the viewer started at the end inherits.
  SetCurrentDirectoryW(plan.registration.folder.c_str());
  return result;
}
