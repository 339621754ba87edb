// The unattended installation: "/silent" with the switches of the command line.
#include <windows.h>

#include "app/command_line.h"
#include "app/install_log.h"
#include "app/installation_driver.h"
#include "app/string_table.h"
#include "app/target_folder.h"
#include "app/the_app.h"
#include "app/viewer_window.h"
#include "res/resource.h"

int TheApp::RunUnattended() {
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
