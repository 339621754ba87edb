#include "framework/file_identity.h"

#include "framework/ntdll_functions.h"
#include "framework/scoped_handles.h"

namespace lk {

bool operator==(const FileIdentity& a, const FileIdentity& b) {
  return a.volumeSerial == b.volumeSerial && a.indexHigh == b.indexHigh &&
         a.indexLow == b.indexLow;
}

bool QueryFileIdentity(HANDLE file, FileIdentity* identity) {
  BY_HANDLE_FILE_INFORMATION info = {};
  if (!GetFileInformationByHandle(file, &info)) return false;
  identity->volumeSerial = info.dwVolumeSerialNumber;
  identity->indexHigh = info.nFileIndexHigh;
  identity->indexLow = info.nFileIndexLow;
  return true;
}

bool QueryFileIndex(HANDLE file, DWORD* indexHigh, DWORD* indexLow) {
  // The 64-bit file number alone (FileInternalInformation).
  const NtFileInformationFunction query = NtFileInformation("NtQueryInformationFile");
  IO_STATUS_BLOCK status = {};
  ULONGLONG index = 0;
  if (!query || !NT_SUCCESS(query(file, &status, &index, sizeof(index),
                                  kFileInternalInformation))) {
    return false;
  }
  *indexLow = static_cast<DWORD>(index);
  *indexHigh = static_cast<DWORD>(index >> 32);
  return true;
}

bool QueryFileIdentity(const wchar_t* path, FileIdentity* identity) {
  ScopedFileHandle file(CreateFileW(path, FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  return file && QueryFileIdentity(file.Get(), identity);
}

bool IsSameFile(const wchar_t* a, const wchar_t* b) {
  FileIdentity first, second;
  return QueryFileIdentity(a, &first) && QueryFileIdentity(b, &second) && first == second;
}

}  // namespace lk
