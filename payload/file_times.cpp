#include "payload/file_times.h"

#include "framework/scoped_handles.h"

void SetFileTimeFromDos(const wchar_t* path, DWORD dosDateTime) {
  lk::ScopedFileHandle file(CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file) SetFileTimeFromDos(file.Get(), dosDateTime);
}

void SetFileTimeFromDos(HANDLE file, DWORD dosDateTime) {
  FILETIME created = {}, accessed = {}, written = {};
  GetFileTime(file, &created, &accessed, &written);
  FILETIME local = {}, stamp = {};
  DosDateTimeToFileTime(HIWORD(dosDateTime), LOWORD(dosDateTime), &local);
  LocalFileTimeToFileTime(&local, &stamp);
  SetFileTime(file, &stamp, &accessed, &stamp);
}
