#include "app/the_app.h"

#include <commctrl.h>

#include "app/command_line.h"
#include "app/system_library.h"

TheApp theApp;

BOOL TheApp::InitInstance() {
  HardenDllSearchPath();

  INITCOMMONCONTROLSEX controls = {};
  controls.dwSize = sizeof(controls);
  controls.dwICC = ICC_WIN95_CLASSES;
  InitCommonControlsEx(&controls);

  // A payload that cannot be opened is reported by the installation that needs it.
  OpenPayloadSource(&payload_);
  exitCode_ = IsUnattendedCommandLine(GetCommandLineW()) ? RunUnattended() : RunWizard();
  return FALSE;
}
