// The setup program's application object.
#pragma once

#include <windows.h>

#include "framework/win_app.h"
#include "payload/payload_source.h"

class TheApp : public CWinApp {
 public:
  // Hardens the library search, then runs the wizard (which loads the common controls) or,
  // with "/silent", the unattended installation (which never loads them). Always FALSE: no
  // message loop follows.
  BOOL InitInstance() override;
  int ExitInstance() override { return exitCode_; }

  // The unattended installation; returns the process exit code (0 installed,
  // 1 failed, 2 refused because the viewer runs, 3 installed but a registry key or
  // shortcut could not be written, 4 another setup or uninstallation kept running).
  int RunUnattended();
  // The wizard; returns the process exit code (0, or 4 when another setup or
  // uninstallation runs and it did not start).
  int RunWizard();

  // Scratch font description used while the heading font is made.
  LOGFONTW headingFontDescription = {};

 private:
  int exitCode_ = 0;
  // The payload, opened at start-up and held until the process ends: moving or replacing
  // the setup's file later changes nothing of what is unpacked.
  PayloadSource payload_;
};

// Process exit codes of the unattended mode.
constexpr int kExitInstalled = 0;
constexpr int kExitFailed = 1;
constexpr int kExitViewerRunning = 2;
constexpr int kExitRegistrationIncomplete = 3;
constexpr int kExitAnotherRun = 4;

// How long the unattended mode waits for another setup or uninstallation to end.
constexpr DWORD kUnattendedGuardWaitMs = 60000;
