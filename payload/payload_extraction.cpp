#include "payload/payload_extraction.h"

#include "framework/scoped_handles.h"
#include "payload/entry_walk.h"
#include "payload/temporary_archive.h"
#include "res/resource.h"
#include "unzip.h"

// iowin32.h needs the declarations of unzip.h (ioapi.h) before it.
#include "iowin32.h"

namespace {

// An archive opened by minizip, closed when it goes out of scope.
using ScopedArchive = lk::ScopedHandle<unzFile, lk::NullHandleTraits<unzFile, unzClose>>;

// The payload resource of the running executable, locked in memory; false when it is
// missing, cannot be loaded or locked, or is empty.
bool LockPayloadResource(const void** data, DWORD* size) {
  HMODULE self = GetModuleHandleW(nullptr);
  HRSRC info = FindResourceW(self, MAKEINTRESOURCEW(IDR_PAYLOAD), L"ZIP");
  if (!info) return false;
  HGLOBAL loaded = LoadResource(self, info);
  if (!loaded) return false;
  *data = LockResource(loaded);
  *size = SizeofResource(self, info);
  return *data != nullptr && *size != 0;
}

}  // namespace

int ExtractPayload(const wchar_t* targetFolder, int keepIconLibrary) {
  const void* data = nullptr;
  DWORD size = 0;
  if (!LockPayloadResource(&data, &size)) return -1;
  return ExtractArchiveData(data, size, targetFolder, keepIconLibrary);
}

int ExtractArchiveData(const void* data, DWORD size, const wchar_t* targetFolder,
                       int keepIconLibrary) {
  wchar_t archivePath[kTemporaryArchivePathUnits];
  if (!CreateTemporaryArchive(data, size, archivePath)) return -1;
  const int result = UnpackArchive(archivePath, targetFolder, keepIconLibrary);
  DeleteFileW(archivePath);
  return result;
}

int UnpackArchive(const wchar_t* archivePath, const wchar_t* targetFolder, int keepIconLibrary) {
  if (!archivePath || !archivePath[0]) return -1;
  zlib_filefunc64_def fileFunctions;
  fill_win32_filefunc64W(&fileFunctions);
  ScopedArchive archive(unzOpen2_64(archivePath, &fileFunctions));
  if (!archive) return -1;
  wchar_t startDirectory[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, startDirectory);
  if (!targetFolder || !SetCurrentDirectoryW(targetFolder)) return -1;
  const int result = ExtractEntries(archive.Get(), keepIconLibrary);
  // Only a complete unpacking leaves the target as current directory; after a failure the
  // caller reports it, and an unattended run's log belongs where the run was started.
  if (result != 0) SetCurrentDirectoryW(startDirectory);
  return result;
}
