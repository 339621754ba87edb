#include "payload/file_times.h"

#include "framework/scoped_handles.h"

namespace {

// An archive entry's MS-DOS date and time, read as local time, as a file time (UTC).
FILETIME FileTimeFromDos(DWORD dosDateTime) {
  FILETIME local = {}, stamp = {};
  DosDateTimeToFileTime(HIWORD(dosDateTime), LOWORD(dosDateTime), &local);
  LocalFileTimeToFileTime(&local, &stamp);
  return stamp;
}

}  // namespace

void SetFileTimeFromDos(const wchar_t* path, DWORD dosDateTime) {
  lk::ScopedFileHandle file(CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return;
  FILETIME created = {}, accessed = {}, written = {};
  GetFileTime(file.Get(), &created, &accessed, &written);
  const FILETIME stamp = FileTimeFromDos(dosDateTime);
  SetFileTime(file.Get(), &stamp, &accessed, &stamp);
}

void SetFileTimeFromDos(HANDLE file, DWORD dosDateTime) {
  // No last-access time: it stays as it is, and a handle opened for writing only may not
  // read it.
  const FILETIME stamp = FileTimeFromDos(dosDateTime);
  SetFileTime(file, &stamp, nullptr, &stamp);
}
