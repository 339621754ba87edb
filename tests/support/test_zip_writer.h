// Builds small ZIP archives for tests: chosen names, folder entries, deflated data, and
// deliberate faults (a wrong CRC-32, data that does not inflate).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace lktest {

// 2026-11-27 10:30:00 as an MS-DOS date (high word) and time (low word).
constexpr uint32_t kTestEntryTime = 0x5D7B53C0;

class TestZipWriter {
 public:
  // A file entry whose data is deflated.
  TestZipWriter& File(const std::string& name, const std::string& data);
  // A folder entry; name ends in '/'.
  TestZipWriter& Folder(const std::string& name);
  // The last entry records a CRC-32 that does not match its (intact) data.
  TestZipWriter& WithWrongCrc();
  // The last entry's compressed data is not a valid deflate stream.
  TestZipWriter& WithBrokenData();
  // The last entry's name is flagged as UTF-8 (general-purpose bit 11).
  TestZipWriter& WithUtf8Name();
  // The last entry records this MS-DOS date (high word) and time (low word).
  TestZipWriter& WithTime(uint32_t dosDateTime);

  // Bytes before the archive, as a self-extracting stub puts them; entry offsets stay
  // relative to the archive's start.
  TestZipWriter& WithLeadingBytes(const std::string& bytes);

  // The whole archive: local entries, central directory, end record.
  std::string Bytes() const;
  bool WriteTo(const std::wstring& path) const;

 private:
  struct Entry {
    std::string name;
    std::string data;
    bool folder = false;
    bool wrongCrc = false;
    bool brokenData = false;
    bool utf8Name = false;
    uint32_t time = kTestEntryTime;
  };
  std::vector<Entry> entries_;
  std::string leading_;
};

}  // namespace lktest
