#include "framework/deletion_mark.h"

#include "framework/file_links.h"

namespace lk {
namespace {

// FILE_DISPOSITION_INFO_EX of Windows 10 1809 and later, declared here as the programs are
// built for Vista: its information class and flags. Older systems, and Wine, refuse the
// class.
constexpr auto kFileDispositionInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(21);
constexpr DWORD kDispositionDelete = 0x01;
constexpr DWORD kDispositionPosixSemantics = 0x02;
constexpr DWORD kDispositionIgnoreReadOnly = 0x10;

bool SetDispositionEx(HANDLE file, DWORD flags) {
  return SetFileInformationByHandle(file, kFileDispositionInfoEx, &flags, sizeof(flags)) != FALSE;
}

// Only the attributes: zero times are left as they are.
bool SetAttributes(HANDLE file, DWORD attributes) {
  FILE_BASIC_INFO basic = {};
  basic.FileAttributes = attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
  return SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof(basic)) != FALSE;
}

}  // namespace

ScopedFileHandle OpenForDeletion(const std::wstring& path) {
  return ScopedFileHandle(CreateFileW(
      path.c_str(), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, kShareAll, nullptr,
      OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

bool AttributesOf(HANDLE file, DWORD* attributes) {
  FILE_BASIC_INFO basic = {};
  if (!GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof(basic))) return false;
  *attributes = basic.FileAttributes;
  return true;
}

bool SetDeletionMark(HANDLE file, bool mark) {
  FILE_DISPOSITION_INFO disposition = {};
  disposition.DeleteFile = mark;
  return SetFileInformationByHandle(file, FileDispositionInfo, &disposition,
                                    sizeof(disposition)) != FALSE;
}

// With POSIX semantics the name goes at once; a volume without them refuses that flag, and
// the name goes when the last handle closes.
bool MarkIgnoringReadOnly(HANDLE file, NameGoes when) {
  constexpr DWORD kWithLastHandle = kDispositionDelete | kDispositionIgnoreReadOnly;
  if (when == NameGoes::kAtOnceWherePossible &&
      SetDispositionEx(file, kWithLastHandle | kDispositionPosixSemantics)) {
    return true;
  }
  return SetDispositionEx(file, kWithLastHandle);
}

bool MarkClearingReadOnly(HANDLE file, DWORD attributes) {
  if (!(attributes & FILE_ATTRIBUTE_READONLY) || QueryLinkState(file) != LinkState::kPlain) {
    return false;
  }
  if (!SetAttributes(file, attributes & ~FILE_ATTRIBUTE_READONLY)) return false;
  if (SetDeletionMark(file, true)) return true;
  SetAttributes(file, attributes);
  return false;
}

}  // namespace lk
