#include "payload/payload_extraction.h"

#include "framework/scoped_handles.h"
#include "payload/entry_walk.h"
#include "unzip.h"

namespace {

// An archive opened by minizip, closed when it goes out of scope.
using ScopedArchive = lk::ScopedHandle<unzFile, lk::NullHandleTraits<unzFile, unzClose>>;

// Enters targetFolder and walks the open archive; after a failure the current directory is
// where it was: the caller reports it, and an unattended run's log belongs where the run was
// started.
int UnpackOpenArchive(unzFile archive, const wchar_t* targetFolder, int keepIconLibrary,
                      InstallTransaction* transaction) {
  wchar_t startDirectory[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, startDirectory);
  if (!targetFolder || !SetCurrentDirectoryW(targetFolder)) return -1;
  EntryOutput output(transaction);
  const int result = ExtractEntries(archive, keepIconLibrary, &output);
  if (result != 0) SetCurrentDirectoryW(startDirectory);
  return result;
}

}  // namespace

int ExtractPayload(const PayloadSource& source, const wchar_t* targetFolder, int keepIconLibrary,
                   InstallTransaction* transaction) {
  // Every byte the walk reads lies in the span that was checked, read through a handle
  // nobody can write to: what was checked is what is unpacked.
  if (!IsPayloadIntact(source)) return -1;
  SpanFile file;
  ScopedArchive archive(OpenArchiveOnHandle(source.file.Get(), source.span, &file));
  if (!archive) return -1;
  return UnpackOpenArchive(archive.Get(), targetFolder, keepIconLibrary, transaction);
}

int UnpackArchiveInFile(const wchar_t* path, const FileSpan& span, const wchar_t* targetFolder,
                        int keepIconLibrary) {
  SpanFile file;
  ScopedArchive archive(OpenArchiveInFile(path, span, &file));
  if (!archive || !targetFolder) return -1;
  InstallTransaction transaction(targetFolder);
  const int result = UnpackOpenArchive(archive.Get(), targetFolder, keepIconLibrary,
                                       &transaction);
  if (result == 0) {
    transaction.Commit();
  } else {
    transaction.RollBack();
  }
  return result;
}

int UnpackArchive(const wchar_t* archivePath, const wchar_t* targetFolder, int keepIconLibrary) {
  return UnpackArchiveInFile(archivePath, FileSpan{0, kToEndOfFile}, targetFolder,
                             keepIconLibrary);
}
