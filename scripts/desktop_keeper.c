/* Holds Wine's default desktop open until the wineserver ends.
 *
 * Wine starts a desktop process (explorer.exe /desktop) for the first GUI process and ends
 * it about a second after the last one has gone. A run of short GUI processes therefore
 * starts a desktop for each of them, and whoever waits on their output pipes (ctest) waits
 * for every desktop to end as well. Windows always has its desktop; with this process
 * running, Wine has one too.
 *
 * Usage: desktop_keeper.exe READY-FILE. The file is created once the desktop is up. */
#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR commandLine, int show) {
  (void)instance, (void)previous, (void)show;
  GetDesktopWindow();
  HANDLE ready = CreateFileW(commandLine, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
  if (ready != INVALID_HANDLE_VALUE) CloseHandle(ready);
  Sleep(INFINITE);
  return 0;
}
