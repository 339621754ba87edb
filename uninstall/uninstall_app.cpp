#include "uninstall/uninstall_app.h"

#include <windows.h>
#include <commctrl.h>

#include "app/install_log.h"
#include "app/system_library.h"
#include "app/string_table.h"
#include "framework/process_mitigations.h"
#include "framework/run_guard.h"
#include "uninstall/resource.h"
#include "uninstall/self_removal.h"
#include "uninstall/uninstall_dialog.h"

namespace {

// How long an unattended run waits for another setup or uninstallation to end.
constexpr DWORD kOtherRunWaitMs = 60 * 1000;

// Another setup or uninstallation holds the guard: nothing is touched.
int RefuseWhileAnotherRuns(int silent) {
  const std::wstring text = LoadResString(IDS_OTHER_RUN);
  if (silent) {
    AppendInstallLog(text.c_str());
  } else {
    MessageBoxW(nullptr, text.c_str(), LoadResString(IDS_CAPTION).c_str(),
                MB_OK | MB_ICONEXCLAMATION);
  }
  return kExitOtherRun;
}

}  // namespace

BOOL CUninstallApp::InitInstance() {
  HardenDllSearchPath();
  // Links that an ordinary user made are not followed by this elevated process where the
  // system can refuse them (the copy's work included).
  lk::EnableRedirectionTrust();
  const UninstallCommand command = ParseUninstallCommandLine(GetCommandLineW());
  if (command.finish) {
    exitCode_ = FinishAsCopy(command.parent, command.exePath, command.identity);
    return FALSE;
  }
  INITCOMMONCONTROLSEX controls = {};
  controls.dwSize = sizeof(controls);
  controls.dwICC = ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES;
  InitCommonControlsEx(&controls);

  // One setup or uninstallation at a time, held to the end of this run.
  const lk::RunGuard guard(command.silent ? kOtherRunWaitMs : 0);
  if (!guard.Held()) {
    exitCode_ = RefuseWhileAnotherRuns(command.silent);
    return FALSE;
  }
  const UninstallRequest request = RequestFor(OwnPath(), command.purge);
  exitCode_ = command.silent ? RunSilent(request) : RunInteractive(request);
  return FALSE;
}

int CUninstallApp::RunSilent(const UninstallRequest& request) {
  std::wstring refusal;
  if (const int code = CheckBeforeRemoval(request, &refusal)) {
    AppendInstallLog(refusal.c_str());
    return code;
  }
  std::vector<std::wstring> failures;
  std::wstring notice;
  if (RemoveInstallation(request, nullptr, &failures) &&
      CompleteRemoval(request, &failures, &notice)) {
    if (!notice.empty()) AppendInstallLog(notice.c_str());
    return kExitRemoved;
  }
  AppendInstallLog(FailureMessage(failures).c_str());
  return kExitFailed;
}

int CUninstallApp::RunInteractive(const UninstallRequest& request) {
  std::wstring refusal;
  if (const int code = CheckBeforeRemoval(request, &refusal)) {
    MessageBoxW(nullptr, refusal.c_str(), LoadResString(IDS_CAPTION).c_str(),
                MB_OK | MB_ICONEXCLAMATION);
    return code;
  }
  CUninstallDialog dialog(request);
  return dialog.RunModal();
}
