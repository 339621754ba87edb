#include <windows.h>
#include <commctrl.h>

#include "app/command_line.h"
#include "app/install_log.h"
#include "app/installation_driver.h"
#include "app/os_version.h"
#include "app/product_info.h"
#include "app/string_table.h"
#include "app/target_folder.h"
#include "app/the_app.h"
#include "res/resource.h"

BOOL TheApp::InitInstance() {
  HardenDllSearchPath();

  INITCOMMONCONTROLSEX controls = {};
  controls.dwSize = sizeof(controls);
  controls.dwICC = ICC_WIN95_CLASSES;
  InitCommonControlsEx(&controls);

  exitCode = IsUnattendedCommandLine(GetCommandLineW()) ? RunUnattended() : RunWizard();
  return FALSE;
}

int TheApp::RunUnattended() {
  if (FindWindowW(lk::kViewerWindowClass, nullptr)) {
    AppendInstallLog(LoadResString(IDS_VIEWER_RUNNING).c_str());
    return kExitViewerRunning;
  }

  InstallOptions options;
  GetProposedInstallFolder(options.targetFolder);
  ApplyCommandLineOptions(GetCommandLineW(), options);
  options.unattended = 1;

  int result = RunInstallation(options.targetFolder, options.startMenuGroup,
                               options.desktopShortcut, options.thumbnailsShortcut,
                               options.allUsers, options.settingsFolder, options.formatSelection,
                               options.associateFormats, options.unattended);
  return result == 1 ? kExitInstalled : kExitFailed;
}
