#include "payload/entry_walk.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "framework/scoped_handles.h"
#include "payload/entry_names.h"
#include "payload/file_times.h"
#include "payload/folder_paths.h"
#include "payload/reparse_points.h"

namespace {

constexpr int kNameBytes = 520;
constexpr int kPathUnits = 324;
// Inflated data moves in blocks of this size: few, large writes.
constexpr unsigned kDataBufferBytes = 262144;
constexpr char kIconLibraryMarker[] = "icons.dll";

using DataBuffer = lk::ScopedMalloc<char>;

// What became of one entry.
enum class EntryResult { kDone, kPassedOver, kWalkEnds };

// The current entry as the walk needs it.
struct Entry {
  char name[kNameBytes];
  bool nameFits;
  DWORD dosDateTime;
  wchar_t path[kPathUnits];
};

// The entry's name goes to entry->name in UTF-8, whatever the archive stored it in; a name
// that does not fit or is not valid in its encoding keeps its stored bytes and is marked
// as not fitting, so that it is passed over.
bool ReadEntry(unzFile archive, Entry* entry) {
  unz_file_info64 info;
  char stored[kNameBytes];
  if (unzGetCurrentFileInfo64(archive, &info, stored, kNameBytes, nullptr, 0, nullptr, 0) !=
      UNZ_OK) {
    return false;
  }
  stored[kNameBytes - 1] = '\0';
  entry->nameFits = info.size_filename < static_cast<uLong>(kNameBytes) &&
                    EntryNameToUtf8(stored, (info.flag & kUtf8NameFlag) != 0, entry->name,
                                    kNameBytes);
  if (!entry->nameFits) memcpy(entry->name, stored, kNameBytes);
  entry->dosDateTime = info.dosDate;
  return true;
}

// A name, or the folder part of one, as the walk holds it (UTF-8) converted to a path name.
bool ToPathName(const char* stored, wchar_t (&path)[kPathUnits]) {
  return EntryNameToPath(stored, path, kPathUnits);
}

bool IsIconLibraryEntry(const char* stored) {
  char lower[kNameBytes];
  size_t i = 0;
  for (; stored[i] && i < kNameBytes - 1; ++i) {
    const char c = stored[i];
    lower[i] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  }
  lower[i] = '\0';
  return strstr(lower, kIconLibraryMarker) != nullptr;
}

// The part of a stored name after its last '/' or '\'; the name itself without separator.
const char* BareName(const char* stored) {
  const char* bare = stored;
  for (const char* p = stored; *p; ++p) {
    if (*p == '/' || *p == '\\') bare = p + 1;
  }
  return bare;
}

// Creates or truncates a file; a read-only file is refused as Windows refuses it, also where a
// privileged process could open it anyway. A new file, the usual case, takes one look-up of
// its name.
HANDLE OpenForWriting(const wchar_t* path) {
  HANDLE created = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
  if (created != INVALID_HANDLE_VALUE) return created;
  const DWORD error = GetLastError();
  if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return INVALID_HANDLE_VALUE;
  const DWORD attributes = GetFileAttributesW(path);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
    return INVALID_HANDLE_VALUE;
  }
  return CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                     nullptr);
}

// Creates (or truncates) the output file; when that fails for a name in a folder, makes
// the folder path and tries once more.
lk::ScopedFileHandle CreateOutputFile(const Entry& entry) {
  lk::ScopedFileHandle file(OpenForWriting(entry.path));
  const char* bare = BareName(entry.name);
  if (file || bare == entry.name) return file;
  char folder[kNameBytes];
  const size_t folderLength = static_cast<size_t>(bare - entry.name - 1);
  memcpy(folder, entry.name, folderLength);
  folder[folderLength] = '\0';
  wchar_t folderPath[kPathUnits];
  if (ToPathName(folder, folderPath)) MakeDirectoryPath(folderPath);
  file.Reset(OpenForWriting(entry.path));
  return file;
}

// Copies the entry's inflated data into out: 0 at its end, the archive's negative status
// on an inflate or read error, -1 for a block not written completely.
int CopyEntryData(unzFile archive, HANDLE out, char* buffer) {
  for (;;) {
    const int got = unzReadCurrentFile(archive, buffer, kDataBufferBytes);
    if (got <= 0) return got;
    DWORD written = 0;
    if (!WriteFile(out, buffer, static_cast<DWORD>(got), &written, nullptr) ||
        written != static_cast<DWORD>(got)) {
      return -1;
    }
  }
}

EntryResult ExtractFileEntry(unzFile archive, const Entry& entry, char* buffer) {
  if (unzOpenCurrentFile(archive) != UNZ_OK) {
    unzCloseCurrentFile(archive);
    return EntryResult::kWalkEnds;
  }
  lk::ScopedFileHandle out = CreateOutputFile(entry);
  if (!out) {
    return unzCloseCurrentFile(archive) == UNZ_OK ? EntryResult::kPassedOver
                                                  : EntryResult::kWalkEnds;
  }
  const int copied = CopyEntryData(archive, out.Get(), buffer);
  if (copied != 0) {
    out.Reset();
    unzCloseCurrentFile(archive);
    return EntryResult::kWalkEnds;
  }
  // Stamped through the handle that wrote it, before it is closed: no second open.
  SetFileTimeFromDos(out.Get(), entry.dosDateTime);
  out.Reset();
  return unzCloseCurrentFile(archive) == UNZ_OK ? EntryResult::kDone : EntryResult::kWalkEnds;
}

EntryResult ExtractEntry(unzFile archive, Entry& entry, int keepIconLibrary, char* buffer) {
  if (keepIconLibrary == 1 && IsIconLibraryEntry(entry.name)) return EntryResult::kDone;
  if (!entry.nameFits || !IsSafeEntryName(entry.name) || !ToPathName(entry.name, entry.path)) {
    return EntryResult::kPassedOver;
  }
  // A link or junction inside the target would carry the entry somewhere else.
  if (LeadsThroughReparsePoint(entry.path)) return EntryResult::kPassedOver;
  if (*BareName(entry.name) == '\0') {
    CreateDirectoryW(entry.path, nullptr);
    return EntryResult::kDone;
  }
  return ExtractFileEntry(archive, entry, buffer);
}

}  // namespace

int ExtractEntries(unzFile archive, int keepIconLibrary) {
  unz_global_info64 global;
  if (unzGetGlobalInfo64(archive, &global) != UNZ_OK) return -1;
  // One data buffer serves every entry of the walk.
  DataBuffer buffer(static_cast<char*>(malloc(kDataBufferBytes)));
  if (!buffer) return -1;
  bool passedOver = false;
  for (ZPOS64_T i = 0; i < global.number_entry;) {
    Entry entry;
    if (!ReadEntry(archive, &entry)) return -1;
    const EntryResult result = ExtractEntry(archive, entry, keepIconLibrary, buffer.get());
    if (result == EntryResult::kWalkEnds) return -1;
    if (result == EntryResult::kPassedOver) passedOver = true;
    if (++i < global.number_entry && unzGoToNextFile(archive) != UNZ_OK) return -1;
  }
  return passedOver ? -1 : 0;
}
