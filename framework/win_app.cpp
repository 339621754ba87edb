#include "framework/win_app.h"

namespace {
CWinApp* g_application = nullptr;
}  // namespace

CWinApp::CWinApp() { g_application = this; }

CWinApp::~CWinApp() {
  if (g_application == this) g_application = nullptr;
}

CWinApp* CWinApp::Current() { return g_application; }

int CWinApp::Run() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return ExitInstance();
}

int AfxWinMain(HINSTANCE instance) {
  CWinApp* app = CWinApp::Current();
  if (!app) return -1;
  app->m_hInstance = instance;
  if (!app->InitInstance()) return app->ExitInstance();
  return app->Run();
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) { return AfxWinMain(instance); }
