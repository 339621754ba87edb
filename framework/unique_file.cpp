#include "framework/unique_file.h"

#include <cwchar>

#include "framework/path.h"

namespace lk {

namespace {

constexpr int kNameAttempts = 100;
constexpr size_t kNameUnits = MAX_PATH;
// Five bits a character: 4 characters give about a million names.
constexpr wchar_t kNameDigits[] = L"0123456789abcdefghijklmnopqrstuv";
constexpr unsigned kBitsPerChar = 5;

// A number that differs between processes, runs and attempts (splitmix64 of the counter,
// the process and the attempt).
unsigned long long NameSeed(int attempt) {
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  unsigned long long x = static_cast<unsigned long long>(counter.QuadPart) ^
                         (static_cast<unsigned long long>(GetCurrentProcessId()) << 32) ^
                         (attempt + 1) * 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return x ^ (x >> 31);
}

// name = stem, kUniqueNameChars characters of seed, extension; false when it does not fit.
bool FormName(const wchar_t* stem, const wchar_t* extension, unsigned long long seed,
              wchar_t (&name)[kNameUnits]) {
  wchar_t unique[kUniqueNameChars + 1] = {};
  for (size_t i = 0; i < kUniqueNameChars; ++i, seed >>= kBitsPerChar) {
    unique[i] = kNameDigits[seed & ((1u << kBitsPerChar) - 1)];
  }
  const int length = _snwprintf(name, kNameUnits - 1, L"%ls%ls%ls", stem, unique, extension);
  return length >= 0;
}

bool IsNameTaken(DWORD error) {
  return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
}

}  // namespace

ScopedFileHandle CreateUniqueFile(const wchar_t* folder, const wchar_t* stem,
                                  const wchar_t* extension, DWORD attributes, wchar_t* path,
                                  size_t capacity, CreationRecord* record) {
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    wchar_t name[kNameUnits] = {};
    if (!FormName(stem, extension, NameSeed(attempt), name) ||
        !JoinPath(folder, name, path, capacity) || (record && !record->WillCreate(path))) {
      break;
    }
    // CREATE_NEW fails on any existing name, a link included; the link is never followed.
    ScopedFileHandle file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      attributes | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (file) return file;
    const DWORD error = GetLastError();
    if (record) record->NotCreated(path);
    if (!IsNameTaken(error)) break;
  }
  if (capacity > 0) path[0] = L'\0';
  return ScopedFileHandle();
}

bool CreateUniqueFolder(const wchar_t* folder, const wchar_t* stem, FolderProtection protection,
                        wchar_t* path, size_t capacity) {
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    wchar_t name[kNameUnits] = {};
    if (!FormName(stem, L"", NameSeed(attempt), name) ||
        !JoinPath(folder, name, path, capacity)) {
      break;
    }
    if (CreateProtectedFolder(path, protection)) return true;
    if (!IsNameTaken(GetLastError())) break;
  }
  if (capacity > 0) path[0] = L'\0';
  return false;
}

}  // namespace lk
