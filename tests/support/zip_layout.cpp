#include "support/zip_layout.h"

namespace lktest {

namespace {

constexpr uint32_t kLocalSignature = 0x04034B50;
constexpr uint32_t kCentralSignature = 0x02014B50;
constexpr uint32_t kEndSignature = 0x06054B50;
constexpr size_t kLocalHeaderSize = 30;
constexpr size_t kCentralRecordSize = 46;
constexpr size_t kEndRecordSize = 22;

uint16_t Get16(const std::string& bytes, size_t offset) {
  return static_cast<uint16_t>(static_cast<unsigned char>(bytes[offset]) |
                               static_cast<unsigned char>(bytes[offset + 1]) << 8);
}

bool FindEndRecord(const std::string& archive, size_t* offset) {
  if (archive.size() < kEndRecordSize) return false;
  for (size_t at = archive.size() - kEndRecordSize + 1; at-- > 0;) {
    if (Get32(archive, at) == kEndSignature) {
      *offset = at;
      return true;
    }
  }
  return false;
}

// One central record at offset and the local header it points to; the next record's
// offset goes to next.
bool ReadEntry(const std::string& archive, size_t offset, ZipEntryLayout* entry, size_t* next) {
  if (offset + kCentralRecordSize > archive.size()) return false;
  if (Get32(archive, offset) != kCentralSignature) return false;
  const size_t nameLength = Get16(archive, offset + kCentralNameLengthField);
  *next = offset + kCentralRecordSize + nameLength + Get16(archive, offset + 30) +
          Get16(archive, offset + 32);
  if (offset + kCentralRecordSize + nameLength > archive.size()) return false;
  entry->name = archive.substr(offset + kCentralRecordSize, nameLength);
  entry->folder = !entry->name.empty() && entry->name.back() == '/';
  entry->dosDateTime = Get32(archive, offset + 12);
  entry->size = Get32(archive, offset + kCentralSizeField);
  entry->dataSize = Get32(archive, offset + kCentralCompressedSizeField);
  entry->centralRecord = offset;
  entry->localHeader = Get32(archive, offset + kCentralLocalOffsetField);
  const size_t local = entry->localHeader;
  if (local + kLocalHeaderSize > archive.size()) return false;
  if (Get32(archive, local) != kLocalSignature) return false;
  entry->data = local + kLocalHeaderSize + Get16(archive, local + kLocalNameLengthField) +
                Get16(archive, local + kLocalNameLengthField + 2);
  return entry->data + entry->dataSize <= archive.size();
}

}  // namespace

uint32_t Get32(const std::string& bytes, size_t offset) {
  return Get16(bytes, offset) | static_cast<uint32_t>(Get16(bytes, offset + 2)) << 16;
}

void Set16(std::string* bytes, size_t offset, uint16_t value) {
  (*bytes)[offset] = static_cast<char>(value & 0xFF);
  (*bytes)[offset + 1] = static_cast<char>(value >> 8);
}

void Set32(std::string* bytes, size_t offset, uint32_t value) {
  Set16(bytes, offset, static_cast<uint16_t>(value & 0xFFFF));
  Set16(bytes, offset + 2, static_cast<uint16_t>(value >> 16));
}

bool ReadZipLayout(const std::string& archive, ZipLayout* layout) {
  *layout = ZipLayout();
  if (!FindEndRecord(archive, &layout->endRecord)) return false;
  const size_t count = Get16(archive, layout->endRecord + kEndEntryCountField);
  layout->centralDirectory = Get32(archive, layout->endRecord + kEndCentralOffsetField);
  size_t offset = layout->centralDirectory;
  for (size_t i = 0; i < count; ++i) {
    ZipEntryLayout entry;
    if (!ReadEntry(archive, offset, &entry, &offset)) return false;
    layout->entries.push_back(entry);
  }
  return true;
}

}  // namespace lktest
