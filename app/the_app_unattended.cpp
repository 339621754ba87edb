// The unattended installation: "/silent" with the switches of the command line.
#include <windows.h>

#include "app/command_line.h"
#include "app/install_log.h"
#include "app/installation_driver.h"
#include "app/string_table.h"
#include "app/target_folder.h"
#include "app/the_app.h"
#include "app/viewer_window.h"
#include "framework/run_guard.h"
#include "res/resource.h"

int TheApp::RunUnattended() {
  // One setup or uninstallation at a time, for the whole run: another one is waited for.
  const lk::RunGuard guard(kUnattendedGuardWaitMs);
  if (!guard.Held()) {
    AppendInstallLog(LoadResString(IDS_ANOTHER_RUN).c_str());
    return kExitAnotherRun;
  }
  if (IsViewerRunning()) {
    AppendInstallLog(LoadResString(IDS_VIEWER_RUNNING).c_str());
    return kExitViewerRunning;
  }

  InstallOptions options;
  GetProposedInstallFolder(options.targetFolder);
  ApplyCommandLineOptions(GetCommandLineW(), options);
  options.unattended = 1;

  switch (RunInstallation(options, payload_)) {
    case kInstalled: return kExitInstalled;
    case kInstalledIncomplete: return kExitRegistrationIncomplete;
    default: return kExitFailed;
  }
}
