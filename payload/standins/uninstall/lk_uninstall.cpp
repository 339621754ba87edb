// Placeholder for the uninstaller: it says what it would do and ends.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  MessageBoxW(nullptr, L"Die Deinstallation ist in dieser Vorabversion nicht enthalten.",
              L"Lumenkast deinstallieren", MB_OK | MB_ICONINFORMATION);
  return 0;
}
