#include "app/the_app.h"

#include "app/command_line.h"
#include "app/system_library.h"

TheApp theApp;

BOOL TheApp::InitInstance() {
  HardenDllSearchPath();

  // A payload that cannot be opened is reported by the installation that needs it.
  OpenPayloadSource(&payload_);
  exitCode_ = IsUnattendedCommandLine(GetCommandLineW()) ? RunUnattended() : RunWizard();
  return FALSE;
}
