#include "payload/entry_walk.h"

#include <windows.h>

#include <cstring>

#include "payload/entry_names.h"
#include "payload/output_pipeline.h"

namespace {

constexpr int kNameBytes = 520;
constexpr int kPathUnits = kEntryPathUnits;
constexpr char kIconLibraryMarker[] = "icons.dll";

// What became of one entry.
enum class EntryResult { kDone, kPassedOver, kWalkEnds };

// The current entry as the walk needs it.
struct Entry {
  char name[kNameBytes];
  bool nameFits;
  DWORD dosDateTime;
  ZPOS64_T declaredSize;  // inflated size, as the central directory declares it
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
  entry->declaredSize = info.uncompressed_size;
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

// The folder part of the entry's name as a path name; empty for a name without one.
void FolderPathOf(const Entry& entry, wchar_t (&folderPath)[kPathUnits]) {
  folderPath[0] = L'\0';
  const char* bare = BareName(entry.name);
  if (bare == entry.name) return;
  char folder[kNameBytes];
  const size_t folderLength = static_cast<size_t>(bare - entry.name - 1);
  memcpy(folder, entry.name, folderLength);
  folder[folderLength] = '\0';
  if (!ToPathName(folder, folderPath)) folderPath[0] = L'\0';
}

// Hands the entry's inflated data on block by block: true when exactly the declared bytes
// came out and their CRC-32 matched; the last block then closes the file. A stream that ends
// early falls short here; minizip checks the CRC-32 only when every declared byte was read.
bool CopyEntryData(unzFile archive, ZPOS64_T declared, DWORD dosDateTime,
                   OutputPipeline* output) {
  ZPOS64_T copied = 0;
  for (;;) {
    char* block = output->NextBlock();
    if (!block) return false;
    const int got = unzReadCurrentFile(archive, block, OutputPipeline::kBlockBytes);
    if (got < 0) return false;
    copied += static_cast<ZPOS64_T>(got);
    if (copied > declared) return false;
    if (copied == declared) {
      if (unzCloseCurrentFile(archive) != UNZ_OK) return false;
      return output->EndFile(static_cast<DWORD>(got), dosDateTime);
    }
    if (got == 0) return false;
    if (!output->SendBlock(static_cast<DWORD>(got))) return false;
  }
}

EntryResult ExtractFileEntry(unzFile archive, const Entry& entry, OutputPipeline* output) {
  if (unzOpenCurrentFile(archive) != UNZ_OK) {
    unzCloseCurrentFile(archive);
    return EntryResult::kWalkEnds;
  }
  wchar_t folderPath[kPathUnits];
  FolderPathOf(entry, folderPath);
  if (!output->BeginFile(entry.path, folderPath) ||
      !CopyEntryData(archive, entry.declaredSize, entry.dosDateTime, output)) {
    output->AbandonFile();
    unzCloseCurrentFile(archive);
    return EntryResult::kWalkEnds;
  }
  return EntryResult::kDone;
}

EntryResult ExtractEntry(unzFile archive, Entry& entry, int keepIconLibrary,
                         OutputPipeline* output) {
  if (keepIconLibrary == 1 && IsIconLibraryEntry(entry.name)) return EntryResult::kDone;
  if (!entry.nameFits || !IsSafeEntryName(entry.name) || !ToPathName(entry.name, entry.path)) {
    return EntryResult::kPassedOver;
  }
  if (*BareName(entry.name) == '\0') {
    return output->MakeFolder(entry.path) ? EntryResult::kDone : EntryResult::kWalkEnds;
  }
  return ExtractFileEntry(archive, entry, output);
}

// The walk itself: 0 when it handed every entry on, -1 when it ended early or passed over
// an entry by its name.
int WalkEntries(unzFile archive, ZPOS64_T entries, int keepIconLibrary, OutputPipeline* output) {
  bool passedOver = false;
  for (ZPOS64_T i = 0; i < entries;) {
    Entry entry;
    if (!ReadEntry(archive, &entry)) return -1;
    const EntryResult result = ExtractEntry(archive, entry, keepIconLibrary, output);
    if (result == EntryResult::kWalkEnds) return -1;
    if (result == EntryResult::kPassedOver) passedOver = true;
    if (++i < entries && unzGoToNextFile(archive) != UNZ_OK) return -1;
  }
  return passedOver ? -1 : 0;
}

}  // namespace

int ExtractEntries(unzFile archive, int keepIconLibrary, EntryOutput* output) {
  unz_global_info64 global;
  if (unzGetGlobalInfo64(archive, &global) != UNZ_OK) return -1;
  // The walk inflates while the writer thread puts the files down, every one of them in
  // the walk's order; the writer is waited for whatever happens.
  OutputPipeline pipeline(output);
  if (!pipeline.Start()) return -1;
  const int walked = WalkEntries(archive, global.number_entry, keepIconLibrary, &pipeline);
  const bool written = pipeline.Finish();
  return walked == 0 && written ? 0 : -1;
}
