#include "support/archive_mutator.h"

#include <iterator>

namespace lktest {

ArchiveMutator::ArchiveMutator(const std::string& base, uint32_t seed)
    : base_(base), random_(seed) {
  ReadZipLayout(base_, &layout_);
}

std::string ArchiveMutator::Next() {
  std::string archive = base_;
  const size_t changes = 1 + Below(3);
  for (size_t i = 0; i < changes; ++i) Mutate(&archive);
  return archive;
}

const ZipEntryLayout& ArchiveMutator::AnyEntry() {
  return layout_.entries[Below(layout_.entries.size())];
}

void ArchiveMutator::Flip(std::string* archive, size_t begin, size_t end) {
  if (begin >= end || end > archive->size()) return;
  (*archive)[begin + Below(end - begin)] ^= static_cast<char>(1 + Below(255));
}

void ArchiveMutator::Mutate(std::string* archive) {
  const ZipEntryLayout& entry = AnyEntry();
  switch (Below(6)) {
    case 0:
      return Flip(archive, entry.localHeader, entry.data);
    case 1:
      return Flip(archive, entry.data, entry.data + entry.dataSize);
    case 2:
      return Flip(archive, layout_.centralDirectory, layout_.endRecord);
    case 3:
      return Flip(archive, layout_.endRecord, archive->size());
    case 4:
      return archive->resize(Below(archive->size()));
    default:
      return PutExtremeValue(archive, entry);
  }
}

void ArchiveMutator::PutExtremeValue(std::string* archive, const ZipEntryLayout& entry) {
  const size_t fields[] = {
      entry.localHeader + kLocalCompressedSizeField,
      entry.localHeader + kLocalSizeField,
      entry.localHeader + kLocalNameLengthField,
      entry.centralRecord + kCentralCompressedSizeField,
      entry.centralRecord + kCentralSizeField,
      entry.centralRecord + kCentralNameLengthField,
      entry.centralRecord + kCentralLocalOffsetField,
      layout_.endRecord + kEndEntryCountField,
      layout_.endRecord + kEndCentralSizeField,
      layout_.endRecord + kEndCentralOffsetField,
  };
  const uint32_t values[] = {0,          1,          0xFFFF,     0x10000,
                             0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 0xFFFFFFFE,
                             static_cast<uint32_t>(archive->size())};
  const size_t field = fields[Below(std::size(fields))];
  if (field + 4 > archive->size()) return;
  const uint32_t value = values[Below(std::size(values))];
  const bool narrow = field == entry.localHeader + kLocalNameLengthField ||
                      field == entry.centralRecord + kCentralNameLengthField ||
                      field == layout_.endRecord + kEndEntryCountField;
  if (narrow) {
    Set16(archive, field, static_cast<uint16_t>(value));
  } else {
    Set32(archive, field, value);
  }
}

}  // namespace lktest
