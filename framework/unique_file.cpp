#include "framework/unique_file.h"

#include <cwchar>

#include "framework/path.h"

namespace lk {

namespace {

constexpr int kNameAttempts = 100;
constexpr size_t kNameUnits = 128;

// A number that differs between processes and between attempts.
unsigned long long NameSuffix(int attempt) {
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return static_cast<unsigned long long>(counter.QuadPart) + attempt * 0x9E3779B97F4A7C15ull;
}

bool IsNameTaken(DWORD error) {
  return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
}

}  // namespace

ScopedFileHandle CreateUniqueFile(const wchar_t* folder, const wchar_t* stem,
                                  const wchar_t* extension, DWORD attributes, wchar_t* path,
                                  size_t capacity) {
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    wchar_t name[kNameUnits] = {};
    // The system runtime's formatter: MinGW's own wide printf would add 20 KB to the setup.
    const int length = _snwprintf(name, kNameUnits - 1, L"%ls_%lu_%I64x%ls", stem,
                                  GetCurrentProcessId(), NameSuffix(attempt), extension);
    if (length < 0 || !JoinPath(folder, name, path, capacity)) {
      break;
    }
    // CREATE_NEW fails on any existing name, a link included; the link is never followed.
    ScopedFileHandle file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      attributes | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (file) return file;
    if (!IsNameTaken(GetLastError())) break;
  }
  if (capacity > 0) path[0] = L'\0';
  return ScopedFileHandle();
}

}  // namespace lk
