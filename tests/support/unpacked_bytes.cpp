#include "support/unpacked_bytes.h"

#include <zlib.h>

#include <map>

#include "support/complete_installation.h"
#include "support/test_support.h"
#include "support/zip_layout.h"

namespace lktest {

namespace {

bool IsAscii(const std::string& name) {
  for (char c : name) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

}  // namespace

std::string UnpackedBytesDiffer(const std::string& archive, const std::wstring& folder) {
  ZipLayout layout;
  if (!ReadZipLayout(archive, &layout)) return "";
  std::map<std::string, const ZipEntryLayout*> last;
  for (const ZipEntryLayout& entry : layout.entries) {
    if (!entry.folder && IsAscii(entry.name)) last[entry.name] = &entry;
  }
  std::string differences;
  for (const auto& named : last) {
    const ZipEntryLayout& entry = *named.second;
    const std::string bytes = ReadFileBytes(EntryPath(folder, entry.name));
    const uint32_t crc = static_cast<uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
    const uint32_t declaredCrc = Get32(archive, entry.centralRecord + kCentralCrcField);
    if (bytes.size() != entry.size || crc != declaredCrc) {
      differences += entry.name + ": " + std::to_string(bytes.size()) + " of " +
                     std::to_string(entry.size) + " bytes\n";
    }
  }
  return differences;
}

}  // namespace lktest
