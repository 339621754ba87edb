// Random damage to a ZIP archive, of the kinds a broken download or a forged archive has:
// byte flips in local headers, entry data, the central directory and the end record,
// truncation, and extreme sizes, counts and offsets in single fields. The same seed gives
// the same archives.
#pragma once

#include <cstdint>
#include <random>
#include <string>

#include "support/zip_layout.h"

namespace lktest {

class ArchiveMutator {
 public:
  ArchiveMutator(const std::string& base, uint32_t seed);

  // The base archive with one to three changes.
  std::string Next();

 private:
  size_t Below(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random_); }
  const ZipEntryLayout& AnyEntry();
  void Flip(std::string* archive, size_t begin, size_t end);
  void Mutate(std::string* archive);
  void PutExtremeValue(std::string* archive, const ZipEntryLayout& entry);

  std::string base_;
  ZipLayout layout_;
  std::mt19937 random_;
};

}  // namespace lktest
