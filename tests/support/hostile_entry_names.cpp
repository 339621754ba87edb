#include "support/hostile_entry_names.h"

namespace lktest {

TestZipWriter ArchiveAroundHostileEntry(const char* storedName) {
  TestZipWriter zip;
  zip.File("lk_about.txt", "benign")
      .Folder("Plugins/")
      .File(storedName, kHostileEntryData)
      .File("Plugins/later.txt", "benign too");
  return zip;
}

}  // namespace lktest
