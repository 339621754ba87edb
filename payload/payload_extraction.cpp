#include "payload/payload_extraction.h"

#include <utility>

#include "framework/scoped_handles.h"
#include "payload/digest_thread.h"
#include "payload/entry_walk.h"
#include "unzip.h"

namespace {

// An archive opened by minizip, closed when it goes out of scope.
using ScopedArchive = lk::ScopedHandle<unzFile, lk::NullHandleTraits<unzFile, unzClose>>;

// Walks the open archive into targetFolder; the walk has succeeded only when confirmed()
// says so once it is over.
template <typename Confirmation>
int UnpackOpenArchive(unzFile archive, const wchar_t* targetFolder, int keepIconLibrary,
                      InstallTransaction* transaction, Confirmation confirmed) {
  if (!targetFolder) return -1;
  EntryOutput output(targetFolder, transaction);
  if (!output.IsReady()) return -1;
  const int result = ExtractEntries(archive, keepIconLibrary, &output);
  return result == 0 && confirmed() ? 0 : -1;
}

// Starts hashing the payload on a second thread, through a handle of its own on the same
// file: a positioned read on a synchronous handle moves the file pointer the walk's reads
// go by.
bool StartDigest(const PayloadSource& source, DigestThread* digest) {
  lk::ScopedFileHandle second(ReOpenFile(source.file.Get(), GENERIC_READ, FILE_SHARE_READ, 0));
  return second && digest->Start(std::move(second), source.span);
}

}  // namespace

int ExtractPayload(const PayloadSource& source, const wchar_t* targetFolder, int keepIconLibrary,
                   InstallTransaction* transaction) {
  // The walk unpacks while the second core checks the payload against its digest; the
  // unpacking succeeds only when both are done and the digest matched. Every byte the walk
  // reads lies in the checked span of a file nobody can write while it is held.
  DigestThread digest;
  if (!StartDigest(source, &digest)) return -1;
  SpanFile file;
  ScopedArchive archive(OpenArchiveOnHandle(source.file.Get(), source.span, &file));
  if (!archive) return -1;
  return UnpackOpenArchive(archive.Get(), targetFolder, keepIconLibrary, transaction,
                           [&] { return digest.Matches(source.digest); });
}

int UnpackArchiveInFile(const wchar_t* path, const FileSpan& span, const wchar_t* targetFolder,
                        int keepIconLibrary) {
  SpanFile file;
  ScopedArchive archive(OpenArchiveInFile(path, span, &file));
  if (!archive || !targetFolder) return -1;
  InstallTransaction transaction(targetFolder);
  const int result = UnpackOpenArchive(archive.Get(), targetFolder, keepIconLibrary,
                                       &transaction, [] { return true; });
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
