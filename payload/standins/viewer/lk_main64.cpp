// Stand-in for the image viewer: a window of the class "Lumenkast" that shows the
// file or folder it was started with. Tests use it as "the running viewer".
#include <windows.h>

namespace {

const wchar_t kClassName[] = L"Lumenkast";

LRESULT CALLBACK ViewerWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      wchar_t text[1024];
      GetWindowTextW(hwnd, text, 1024);
      RECT rc;
      GetClientRect(hwnd, &rc);
      DrawTextW(dc, text, -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_PATH_ELLIPSIS);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int show) {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = ViewerWndProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(100));
  wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = kClassName;
  if (!RegisterClassW(&wc)) return 1;

  // The title is what the viewer was asked to show: its command line as given.
  const wchar_t* shown = (commandLine && *commandLine) ? commandLine : L"(kein Bild)";
  HWND hwnd = CreateWindowW(kClassName, shown, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                            480, 320, nullptr, nullptr, instance, nullptr);
  if (!hwnd) return 1;
  ShowWindow(hwnd, show);
  UpdateWindow(hwnd);

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
