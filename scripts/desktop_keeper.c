/* Holds Wine's default desktop open until the wineserver ends.
 *
 * Wine starts a desktop process (explorer.exe /desktop) for the first GUI process and ends
 * it about a second after the last one has gone. A run of short GUI processes therefore
 * starts a desktop for each of them, and whoever waits on their output pipes (ctest) waits
 * for every desktop to end as well. Windows always has its desktop; with this process
 * running, Wine has one too. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
  (void)instance, (void)previous, (void)commandLine, (void)show;
  GetDesktopWindow();
  Sleep(INFINITE);
  return 0;
}
