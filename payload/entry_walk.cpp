#include "payload/entry_walk.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "framework/scoped_handles.h"
#include "payload/entry_names.h"
#include "payload/entry_output.h"
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

// Starts the output file; when that fails for a name in a folder, makes the folder path and
// tries once more.
bool BeginOutputFile(const Entry& entry, EntryOutput* output) {
  if (output->BeginFile(entry.path)) return true;
  const char* bare = BareName(entry.name);
  if (bare == entry.name) return false;
  char folder[kNameBytes];
  const size_t folderLength = static_cast<size_t>(bare - entry.name - 1);
  memcpy(folder, entry.name, folderLength);
  folder[folderLength] = '\0';
  wchar_t folderPath[kPathUnits];
  if (ToPathName(folder, folderPath)) output->MakeFolderPath(folderPath);
  return output->BeginFile(entry.path);
}

// The inflated size the central directory declares for the current entry.
bool DeclaredSize(unzFile archive, ZPOS64_T* size) {
  unz_file_info64 info;
  if (unzGetCurrentFileInfo64(archive, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) {
    return false;
  }
  *size = info.uncompressed_size;
  return true;
}

// Copies the entry's inflated data into the output file: true when exactly declared bytes
// came out and were written. A stream that ends early falls short here; minizip checks the
// CRC-32 only when every declared byte was read.
bool CopyEntryData(unzFile archive, ZPOS64_T declared, EntryOutput* output, char* buffer) {
  ZPOS64_T copied = 0;
  for (;;) {
    const int got = unzReadCurrentFile(archive, buffer, kDataBufferBytes);
    if (got < 0) return false;
    if (got == 0) return copied == declared;
    copied += static_cast<ZPOS64_T>(got);
    if (copied > declared || !output->Write(buffer, static_cast<DWORD>(got))) return false;
  }
}

EntryResult ExtractFileEntry(unzFile archive, const Entry& entry, EntryOutput* output,
                             char* buffer) {
  ZPOS64_T declared = 0;
  if (!DeclaredSize(archive, &declared) || unzOpenCurrentFile(archive) != UNZ_OK) {
    unzCloseCurrentFile(archive);
    return EntryResult::kWalkEnds;
  }
  if (!BeginOutputFile(entry, output)) {
    unzCloseCurrentFile(archive);
    return EntryResult::kPassedOver;
  }
  if (!CopyEntryData(archive, declared, output, buffer)) {
    output->AbandonFile();
    unzCloseCurrentFile(archive);
    return EntryResult::kWalkEnds;
  }
  output->EndFile(entry.dosDateTime);
  return unzCloseCurrentFile(archive) == UNZ_OK ? EntryResult::kDone : EntryResult::kWalkEnds;
}

EntryResult ExtractEntry(unzFile archive, Entry& entry, int keepIconLibrary, EntryOutput* output,
                         char* buffer, std::wstring* plainFolder) {
  if (keepIconLibrary == 1 && IsIconLibraryEntry(entry.name)) return EntryResult::kDone;
  if (!entry.nameFits || !IsSafeEntryName(entry.name) || !ToPathName(entry.name, entry.path)) {
    return EntryResult::kPassedOver;
  }
  // A link or junction inside the target would carry the entry somewhere else.
  if (LeadsThroughReparsePoint(entry.path, plainFolder)) return EntryResult::kPassedOver;
  if (*BareName(entry.name) == '\0') {
    output->MakeFolder(entry.path);
    return EntryResult::kDone;
  }
  return ExtractFileEntry(archive, entry, output, buffer);
}

}  // namespace

int ExtractEntries(unzFile archive, int keepIconLibrary, EntryOutput* output) {
  unz_global_info64 global;
  if (unzGetGlobalInfo64(archive, &global) != UNZ_OK) return -1;
  // One data buffer serves every entry of the walk.
  DataBuffer buffer(static_cast<char*>(malloc(kDataBufferBytes)));
  if (!buffer) return -1;
  bool passedOver = false;
  std::wstring plainFolder;
  for (ZPOS64_T i = 0; i < global.number_entry;) {
    Entry entry;
    if (!ReadEntry(archive, &entry)) return -1;
    const EntryResult result =
        ExtractEntry(archive, entry, keepIconLibrary, output, buffer.get(), &plainFolder);
    if (result == EntryResult::kWalkEnds) return -1;
    if (result == EntryResult::kPassedOver) passedOver = true;
    if (++i < global.number_entry && unzGoToNextFile(archive) != UNZ_OK) return -1;
  }
  return passedOver ? -1 : 0;
}
