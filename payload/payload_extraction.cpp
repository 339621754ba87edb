// Not implemented yet.
#include "payload/payload_extraction.h"

int ExtractPayload(const wchar_t*, int) { return -1; }
int UnpackArchive(const wchar_t*, const wchar_t*, int) { return -1; }
int MakeDirectoryPath(const wchar_t*) { return 0; }
void SetFileTimeFromDos(const wchar_t*, DWORD) {}
bool IsSafeEntryName(const char*) { return false; }
