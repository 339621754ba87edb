#include "payload/payload_extraction.h"

#include "framework/scoped_handles.h"
#include "payload/entry_walk.h"
#include "res/resource.h"
#include "unzip.h"

namespace {

// An archive opened by minizip, closed when it goes out of scope.
using ScopedArchive = lk::ScopedHandle<unzFile, lk::NullHandleTraits<unzFile, unzClose>>;

// Longest path GetModuleFileNameW can report.
constexpr DWORD kModulePathUnits = 32768;
// Bytes of the archive compared between the file and the loaded image.
constexpr DWORD kCheckedBytes = 64;

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

// Enters targetFolder and walks the open archive; after a failure the current directory is
// where it was: the caller reports it, and an unattended run's log belongs where the run was
// started.
int UnpackOpenArchive(unzFile archive, const wchar_t* targetFolder, int keepIconLibrary) {
  wchar_t startDirectory[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, startDirectory);
  if (!targetFolder || !SetCurrentDirectoryW(targetFolder)) return -1;
  const int result = ExtractEntries(archive, keepIconLibrary);
  if (result != 0) SetCurrentDirectoryW(startDirectory);
  return result;
}

}  // namespace

int ExtractPayload(const wchar_t* targetFolder, int keepIconLibrary) {
  const void* data = nullptr;
  DWORD size = 0;
  FileSpan span;
  if (!LockPayloadResource(&data, &size) ||
      !FindImageDataInFile(GetModuleHandleW(nullptr), data, size, &span)) {
    return -1;
  }
  lk::ScopedMalloc<wchar_t> self(static_cast<wchar_t*>(malloc(kModulePathUnits * sizeof(wchar_t))));
  if (!self) return -1;
  const DWORD length = GetModuleFileNameW(nullptr, self.get(), kModulePathUnits);
  if (length == 0 || length >= kModulePathUnits) return -1;
  SpanFile file;
  ScopedArchive archive(OpenArchiveInFile(self.get(), span, &file));
  // The file on disk must still be the one the process was started from.
  const DWORD checked = size < kCheckedBytes ? size : kCheckedBytes;
  if (!archive || !SpanStartsWith(&file, data, checked)) return -1;
  return UnpackOpenArchive(archive.Get(), targetFolder, keepIconLibrary);
}

int UnpackArchiveInFile(const wchar_t* path, const FileSpan& span, const wchar_t* targetFolder,
                        int keepIconLibrary) {
  SpanFile file;
  ScopedArchive archive(OpenArchiveInFile(path, span, &file));
  if (!archive) return -1;
  return UnpackOpenArchive(archive.Get(), targetFolder, keepIconLibrary);
}

int UnpackArchive(const wchar_t* archivePath, const wchar_t* targetFolder, int keepIconLibrary) {
  return UnpackArchiveInFile(archivePath, FileSpan{0, kToEndOfFile}, targetFolder,
                             keepIconLibrary);
}
