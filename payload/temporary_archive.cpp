#include "payload/temporary_archive.h"

#include <cwchar>

#include "framework/path.h"
#include "framework/scoped_handles.h"

namespace {

constexpr wchar_t kNamePattern[] = L"lkmaing_x64_%lu_%llx.zip";
constexpr int kNameAttempts = 100;

// The temporary folder with a trailing backslash; false when it does not fit the buffer.
bool GetTemporaryFolder(wchar_t (&folder)[kTemporaryArchivePathUnits]) {
  DWORD length = GetTempPathW(kTemporaryArchivePathUnits, folder);
  if (length == 0 || length >= kTemporaryArchivePathUnits - 1) return false;
  if (folder[length - 1] != L'\\') {
    folder[length] = L'\\';
    folder[length + 1] = L'\0';
  }
  return true;
}

// A file name that differs between processes and between attempts.
unsigned long long NameSuffix(int attempt) {
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return static_cast<unsigned long long>(counter.QuadPart) + attempt * 0x9E3779B97F4A7C15ull;
}

// Creates a file of a new name in folder: never opens an existing file or link.
lk::ScopedFileHandle CreateNewArchiveFile(const wchar_t* folder,
                                          wchar_t (&path)[kTemporaryArchivePathUnits]) {
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    wchar_t name[64] = {};
    swprintf(name, 64, kNamePattern, GetCurrentProcessId(), NameSuffix(attempt));
    if (!lk::JoinPath(folder, name, path)) break;
    lk::ScopedFileHandle file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_TEMPORARY, nullptr));
    if (file) return file;
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
  }
  return lk::ScopedFileHandle();
}

}  // namespace

bool CreateTemporaryArchive(const void* data, DWORD size,
                            wchar_t (&path)[kTemporaryArchivePathUnits]) {
  wchar_t folder[kTemporaryArchivePathUnits];
  if (!GetTemporaryFolder(folder)) return false;
  lk::ScopedFileHandle file = CreateNewArchiveFile(folder, path);
  if (!file) return false;
  DWORD written = 0;
  const bool complete = WriteFile(file.Get(), data, size, &written, nullptr) && written == size;
  file.Reset();
  if (!complete) DeleteFileW(path);
  return complete;
}
