// Stand-in for the viewer's icon library: a resource-only module with a version.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
