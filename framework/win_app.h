// The application object: one per process; its start-up operation does the work.
#pragma once

#include <windows.h>

class CWnd;

class CWinApp {
 public:
  CWinApp();
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  // Start-up operation. Returning FALSE ends the process without a message loop.
  virtual BOOL InitInstance() { return FALSE; }
  // Runs when the application ends; its result is the process exit code.
  virtual int ExitInstance() { return 0; }
  // Message loop, entered only when InitInstance returns TRUE.
  virtual int Run();

  HINSTANCE m_hInstance = nullptr;
  CWnd* m_pMainWnd = nullptr;

  // The process's application object (null before it is constructed).
  static CWinApp* Current();
};

// Entry used by wWinMain; exposed for the framework's own tests.
int AfxWinMain(HINSTANCE instance);
