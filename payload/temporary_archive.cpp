#include "payload/temporary_archive.h"

#include <cwchar>

#include "framework/unique_file.h"

namespace {

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

}  // namespace

bool CreateTemporaryArchive(const void* data, DWORD size,
                            wchar_t (&path)[kTemporaryArchivePathUnits]) {
  wchar_t folder[kTemporaryArchivePathUnits];
  if (!GetTemporaryFolder(folder)) return false;
  lk::ScopedFileHandle file = lk::CreateUniqueFile(folder, L"lkmaing_x64", L".zip",
                                                   FILE_ATTRIBUTE_TEMPORARY, path,
                                                   kTemporaryArchivePathUnits);
  if (!file) return false;
  DWORD written = 0;
  const bool complete = WriteFile(file.Get(), data, size, &written, nullptr) && written == size;
  file.Reset();
  if (!complete) DeleteFileW(path);
  return complete;
}
