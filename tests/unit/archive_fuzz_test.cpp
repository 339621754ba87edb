// Damaged archives through the unpacking: byte flips in local headers, entry data and the
// central directory, truncation, and extreme sizes, counts and offsets. Whatever the damage,
// the result is 0 or -1, nothing lands outside the target folder, and nothing is written to
// the temporary folder.
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>

#include "payload/folder_paths.h"
#include "payload/payload_extraction.h"
#include "support/unpacked_bytes.h"
#include "support/archive_mutator.h"
#include "support/fuzz_budget.h"
#include "support/test_support.h"
#include "support/test_zip_writer.h"

namespace lktest {
namespace {

// An archive whose names are one changed byte away from leaving the folder ("..x/",
// "b.bin" becoming "/.bin"), with folders, deflated text and data that does not compress.
std::string BaseArchive() {
  std::string noise;
  std::mt19937 random(7);
  for (int i = 0; i < 3000; ++i) noise += static_cast<char>(random());
  TestZipWriter zip;
  zip.Folder("Sub/")
      .File("Sub/a.txt", std::string(4000, 'a') + "end")
      .File("b.bin", noise)
      .File("..x/y.txt", "one flip from the parent folder")
      .File("Sub/Deep/d.txt", "a folder without its own entry")
      .File("c", "c");
  return zip.Bytes();
}

TEST(ArchiveFuzz, DamagedArchivesAreUnpackedOrRefusedWithinTheTarget) {
  TempFolder scratch;
  TempFolder temp;
  TempFolder carrier;  // the file each archive is read from, as a stretch of it
  ScopedEnvironmentVariable tmp(L"TMP", temp.Path().c_str());
  ScopedEnvironmentVariable temp2(L"TEMP", temp.Path().c_str());
  // The target lies two folders deep, so that an escape of one or two levels shows.
  const std::wstring target = scratch / L"a\\b\\target\\";
  const std::set<std::wstring> outside = {L"a\\", L"a\\b\\", L"a\\b\\target\\"};
  const std::vector<std::wstring> driveRoot = ListFolder(L"C:\\");

  const std::string base = BaseArchive();
  ArchiveMutator mutator(base, FuzzSeed(1210));
  const unsigned count = FuzzCount(2000);
  for (unsigned n = 0; n < count; ++n) {
    SCOPED_TRACE(testing::Message() << "mutated archive " << n);
    ASSERT_EQ(1, MakeDirectoryPath(target.c_str()));
    const std::string archive = n == 0 ? base : mutator.Next();
    const std::string before = "MZ stub before the archive";
    const std::wstring file = carrier / L"setup.bin";
    ASSERT_TRUE(WriteFileBytes(file, before + archive + "trailing bytes"));
    const int result = UnpackArchiveInFile(file.c_str(), FileSpan{before.size(), archive.size()},
                                           target.c_str(), 0);
    if (n == 0) {
      EXPECT_EQ(0, result) << "the undamaged archive unpacks";
    }
    EXPECT_TRUE(result == 0 || result == -1) << result;
    // A walk that reports success wrote exactly the bytes the archive declares.
    if (result == 0) {
      EXPECT_EQ("", UnpackedBytesDiffer(archive, target));
    }

    for (const std::wstring& name : ListTree(scratch.Path())) {
      EXPECT_TRUE(outside.count(name) || name.rfind(L"a\\b\\target\\", 0) == 0)
          << "outside the target: " << Narrow(name);
    }
    EXPECT_EQ(driveRoot, ListFolder(L"C:\\"));
    EXPECT_TRUE(ListFolder(temp.Path()).empty()) << "written to the temporary folder";
    if (HasFailure()) break;  // the seed and the number name the archive again
    RemoveTree(scratch / L"a");
  }
}

}  // namespace
}  // namespace lktest
