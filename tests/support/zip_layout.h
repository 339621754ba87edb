// Where the parts of a ZIP archive lie, so that tests can damage one chosen field or byte
// of a real archive and can list what it holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace lktest {

// Offsets of fields inside the records, from the record's signature.
constexpr size_t kLocalCrcField = 14;
constexpr size_t kLocalCompressedSizeField = 18;
constexpr size_t kLocalSizeField = 22;
constexpr size_t kLocalNameLengthField = 26;
constexpr size_t kCentralTimeField = 12;
constexpr size_t kCentralCrcField = 16;
constexpr size_t kCentralCompressedSizeField = 20;
constexpr size_t kCentralSizeField = 24;
constexpr size_t kCentralNameLengthField = 28;
constexpr size_t kCentralLocalOffsetField = 42;
constexpr size_t kEndEntryCountField = 10;
constexpr size_t kEndCentralSizeField = 12;
constexpr size_t kEndCentralOffsetField = 16;

struct ZipEntryLayout {
  std::string name;
  bool folder = false;  // the name ends in '/'
  uint32_t dosDateTime = 0;  // date in the high word
  uint32_t size = 0;  // inflated
  size_t localHeader = 0;  // offsets into the archive
  size_t data = 0;
  size_t dataSize = 0;  // compressed
  size_t centralRecord = 0;
};

struct ZipLayout {
  std::vector<ZipEntryLayout> entries;  // in central directory order
  size_t centralDirectory = 0;
  size_t endRecord = 0;
};

// Reads the layout of an archive without leading bytes; false when it is not one.
bool ReadZipLayout(const std::string& archive, ZipLayout* layout);

uint32_t Get32(const std::string& bytes, size_t offset);
void Set32(std::string* bytes, size_t offset, uint32_t value);
void Set16(std::string* bytes, size_t offset, uint16_t value);

}  // namespace lktest
