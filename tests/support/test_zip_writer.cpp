#include "support/test_zip_writer.h"

#include <zlib.h>

#include "support/test_support.h"

namespace lktest {

namespace {

constexpr uint16_t kVersion = 20;
constexpr uint16_t kStored = 0;
constexpr uint16_t kDeflated = 8;
constexpr uint32_t kFolderAttributes = 0x10;
constexpr uint32_t kFileAttributes = 0x20;
constexpr uint16_t kUtf8NameFlag = 0x800;

void Put16(std::string* out, uint16_t value) {
  out->push_back(static_cast<char>(value & 0xFF));
  out->push_back(static_cast<char>(value >> 8));
}

void Put32(std::string* out, uint32_t value) {
  Put16(out, static_cast<uint16_t>(value & 0xFFFF));
  Put16(out, static_cast<uint16_t>(value >> 16));
}

// Raw deflate (no zlib header), as ZIP method 8 stores it.
std::string Deflate(const std::string& data) {
  z_stream stream = {};
  deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&stream, data.size()), '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  stream.avail_in = static_cast<uInt>(data.size());
  stream.next_out = reinterpret_cast<Bytef*>(&out[0]);
  stream.avail_out = static_cast<uInt>(out.size());
  deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

// The fields local header and central directory share, from "version needed" on.
void PutCommonFields(std::string* out, uint16_t flags, uint16_t method, uint32_t time,
                     uint32_t crc, size_t packed, size_t size, size_t nameLength) {
  Put16(out, kVersion);
  Put16(out, flags);
  Put16(out, method);
  Put16(out, static_cast<uint16_t>(time & 0xFFFF));
  Put16(out, static_cast<uint16_t>(time >> 16));
  Put32(out, crc);
  Put32(out, static_cast<uint32_t>(packed));
  Put32(out, static_cast<uint32_t>(size));
  Put16(out, static_cast<uint16_t>(nameLength));
  Put16(out, 0);  // extra field length
}

}  // namespace

TestZipWriter& TestZipWriter::File(const std::string& name, const std::string& data) {
  entries_.push_back({name, data});
  return *this;
}

TestZipWriter& TestZipWriter::Folder(const std::string& name) {
  entries_.push_back({name, "", true});
  return *this;
}

TestZipWriter& TestZipWriter::WithWrongCrc() {
  entries_.back().wrongCrc = true;
  return *this;
}

TestZipWriter& TestZipWriter::WithBrokenData() {
  entries_.back().brokenData = true;
  return *this;
}

TestZipWriter& TestZipWriter::WithUtf8Name() {
  entries_.back().utf8Name = true;
  return *this;
}

TestZipWriter& TestZipWriter::WithTime(uint32_t dosDateTime) {
  entries_.back().time = dosDateTime;
  return *this;
}

TestZipWriter& TestZipWriter::WithLeadingBytes(const std::string& bytes) {
  leading_ = bytes;
  return *this;
}

std::string TestZipWriter::Bytes() const {
  std::string archive, directory;
  for (const Entry& e : entries_) {
    const uint16_t method = e.folder ? kStored : kDeflated;
    // 0xFF starts a final block of the reserved type 3, which inflate rejects.
    const std::string packed = e.folder       ? ""
                               : e.brokenData ? std::string(8, '\xFF')
                                              : Deflate(e.data);
    uint32_t crc =
        crc32(0, reinterpret_cast<const Bytef*>(e.data.data()), static_cast<uInt>(e.data.size()));
    if (e.wrongCrc) crc ^= 0x5A5A5A5A;
    const uint32_t offset = static_cast<uint32_t>(archive.size());
    const uint16_t flags = e.utf8Name ? kUtf8NameFlag : 0;

    Put32(&archive, 0x04034B50);
    PutCommonFields(&archive, flags, method, e.time, crc, packed.size(), e.data.size(),
                    e.name.size());
    archive += e.name + packed;

    Put32(&directory, 0x02014B50);
    Put16(&directory, kVersion);  // made by: MS-DOS
    PutCommonFields(&directory, flags, method, e.time, crc, packed.size(), e.data.size(),
                    e.name.size());
    Put16(&directory, 0);  // comment length
    Put16(&directory, 0);  // disk number
    Put16(&directory, 0);  // internal attributes
    Put32(&directory, e.folder ? kFolderAttributes : kFileAttributes);
    Put32(&directory, offset);
    directory += e.name;
  }
  const uint32_t directoryOffset = static_cast<uint32_t>(archive.size());
  archive += directory;
  Put32(&archive, 0x06054B50);
  Put16(&archive, 0);  // this disk
  Put16(&archive, 0);  // disk with the directory
  Put16(&archive, static_cast<uint16_t>(entries_.size()));
  Put16(&archive, static_cast<uint16_t>(entries_.size()));
  Put32(&archive, static_cast<uint32_t>(directory.size()));
  Put32(&archive, directoryOffset);
  Put16(&archive, 0);  // comment length
  return leading_ + archive;
}

bool TestZipWriter::WriteTo(const std::wstring& path) const {
  return WriteFileBytes(path, Bytes());
}

}  // namespace lktest
