#include "uninstall/uninstall_app.h"

#include <windows.h>
#include <commctrl.h>

#include "app/install_log.h"
#include "app/system_library.h"
#include "app/string_table.h"
#include "uninstall/resource.h"
#include "uninstall/self_removal.h"
#include "uninstall/uninstall_dialog.h"

BOOL CUninstallApp::InitInstance() {
  HardenDllSearchPath();
  const UninstallCommand command = ParseUninstallCommandLine(GetCommandLineW());
  if (command.finish) {
    exitCode_ = FinishAsCopy(command.parent, command.exePath, command.identity);
    return FALSE;
  }
  INITCOMMONCONTROLSEX controls = {};
  controls.dwSize = sizeof(controls);
  controls.dwICC = ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES;
  InitCommonControlsEx(&controls);

  const UninstallRequest request = RequestFor(OwnPath(), command.purge);
  exitCode_ = command.silent ? RunSilent(request) : RunInteractive(request);
  if (exitCode_ == kExitRemoved) HandOverToCopy(request.exePath);
  return FALSE;
}

int CUninstallApp::RunSilent(const UninstallRequest& request) {
  std::wstring refusal;
  if (const int code = CheckBeforeRemoval(request, &refusal)) {
    AppendInstallLog(refusal.c_str());
    return code;
  }
  std::vector<std::wstring> failures;
  if (RemoveInstallation(request, nullptr, &failures)) return kExitRemoved;
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
