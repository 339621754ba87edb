// The walk and its writer thread, driven through ExtractEntries on small archives: what lands
// on disk, where the walk stopped, and what a rollback leaves.
#include "payload/output_pipeline.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "framework/scoped_handles.h"
#include "payload/archive_in_file.h"
#include "payload/entry_output.h"
#include "payload/entry_walk.h"
#include "payload/install_transaction.h"
#include "support/test_support.h"
#include "support/test_zip_writer.h"
#include "support/zip_layout.h"

using lktest::ReadFileBytes;
using lktest::TestZipWriter;
using lktest::WriteFileBytes;

namespace {

constexpr size_t kBlock = OutputPipeline::kBlockBytes;

using ScopedArchive = lk::ScopedHandle<unzFile, lk::NullHandleTraits<unzFile, unzClose>>;

// Every file under root with its content; folders end in a backslash, with empty content.
using Contents = std::map<std::wstring, std::string>;

Contents ReadTree(const std::wstring& root) {
  Contents contents;
  for (const std::wstring& name : lktest::ListTree(root)) {
    contents[name] = name.back() == L'\\' ? "" : ReadFileBytes(root + name);
  }
  return contents;
}

std::string Describe(const Contents& contents) {
  std::string text;
  for (const auto& entry : contents) {
    text += lktest::Narrow(entry.first) + "(" + std::to_string(entry.second.size()) + ") ";
  }
  return text;
}

// Data that does not compress, so that compressed and inflated blocks differ in length.
std::string Noise(size_t size, uint32_t seed) {
  std::string noise(size, '\0');
  for (char& c : noise) {
    seed = seed * 1103515245u + 12345u;
    c = static_cast<char>(seed >> 24);
  }
  return noise;
}

// The archive entries' time as a file time.
FILETIME ArchiveTime() {
  FILETIME local = {}, utc = {};
  DosDateTimeToFileTime(HIWORD(lktest::kTestEntryTime), LOWORD(lktest::kTestEntryTime), &local);
  LocalFileTimeToFileTime(&local, &utc);
  return utc;
}

FILETIME LastWriteTime(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
  return data.ftLastWriteTime;
}

bool SameTime(FILETIME a, FILETIME b) { return CompareFileTime(&a, &b) == 0; }

// A disk that fails the failAt-th write of the walk (counting from 1) and counts every
// write it is asked for.
class FailingOutput : public EntryOutput {
 public:
  FailingOutput(const std::wstring& target, InstallTransaction* transaction, int failAt)
      : EntryOutput(target.c_str(), transaction), failAt_(failAt) {}
  bool Write(const void* data, DWORD size) override {
    return ++writes_ != failAt_ && EntryOutput::Write(data, size);
  }
  int writes() const { return writes_; }

 private:
  int failAt_;
  int writes_ = 0;
};

// An earlier installation in the target, an archive walked into it with the transaction
// left open, so that a test sees what the walk left before it is taken back.
class OutputPipelineTest : public testing::Test {
 protected:
  OutputPipelineTest() : target_(scratch_ / L"target\\") {
    CreateDirectoryW(target_.c_str(), nullptr);
    WriteFileBytes(target_ + L"a.txt", "old a");
    before_ = ReadTree(target_);
  }

  int Walk(const std::string& bytes, EntryOutput* output) {
    archive_.Reset();
    const std::wstring path = scratch_ / L"archive.zip";
    if (!WriteFileBytes(path, bytes)) return -2;
    archive_.Reset(OpenArchiveInFile(path.c_str(), FileSpan{0, kToEndOfFile}, &file_));
    if (!archive_) return -2;
    return ExtractEntries(archive_.Get(), 0, output);
  }

  // The entry the walk was on when it ended.
  std::string CurrentEntry() {
    char name[260] = {};
    unz_file_info64 info;
    unzGetCurrentFileInfo64(archive_.Get(), &info, name, sizeof(name), nullptr, 0, nullptr, 0);
    return name;
  }

  lktest::TempFolder scratch_;
  std::wstring target_;
  Contents before_;
  InstallTransaction transaction_{target_.c_str()};
  SpanFile file_;
  ScopedArchive archive_;
};

// Files of sizes around the block and the ring, folders with and without their entries, and
// a name that comes twice (the later entry wins): every byte where it belongs, every file
// stamped with its entry's time.
TEST_F(OutputPipelineTest, EveryByteArrivesInOrderAcrossBlocksAndFiles) {
  const size_t sizes[] = {0,      1,         kBlock - 1, kBlock, kBlock + 1,
                          3 * kBlock, 4 * kBlock, 4 * kBlock + 1, 9 * kBlock + 123};
  TestZipWriter zip;
  Contents expected = before_;
  zip.File("same.bin", Noise(5 * kBlock, 1)).Folder("empty/");
  expected[L"empty\\"] = "";
  uint32_t seed = 2;
  for (size_t size : sizes) {
    const std::string name = "d" + std::to_string(seed) + "/n" + std::to_string(size) + ".bin";
    zip.Folder("d" + std::to_string(seed) + "/").File(name, Noise(size, seed));
    expected[L"d" + std::to_wstring(seed) + L"\\"] = "";
    expected[L"d" + std::to_wstring(seed) + L"\\n" + std::to_wstring(size) + L".bin"] =
        Noise(size, seed);
    ++seed;
  }
  zip.File("deep/er/x.bin", Noise(2 * kBlock + 5, 77)).File("a.txt", "new a")
      .File("same.bin", "the later one");
  expected[L"deep\\"] = expected[L"deep\\er\\"] = "";
  expected[L"deep\\er\\x.bin"] = Noise(2 * kBlock + 5, 77);
  expected[L"a.txt"] = "new a";
  expected[L"same.bin"] = "the later one";
  EntryOutput output(target_.c_str(), &transaction_);

  ASSERT_EQ(Walk(zip.Bytes(), &output), 0);
  transaction_.Commit();

  const Contents after = ReadTree(target_);
  EXPECT_EQ(after.size(), expected.size()) << Describe(after);
  for (const auto& file : expected) {
    SCOPED_TRACE(lktest::Narrow(file.first));
    const auto found = after.find(file.first);
    ASSERT_NE(found, after.end());
    EXPECT_TRUE(found->second == file.second) << found->second.size();
    if (file.first.back() != L'\\') {
      EXPECT_TRUE(SameTime(LastWriteTime(target_ + file.first), ArchiveTime()));
    }
  }
}

// A failed write stops the writer at once and the walk at its next block, wherever it
// happens: nothing is written after it, the walk never reaches the end of the archive, and
// the rollback leaves the target as it was.
TEST_F(OutputPipelineTest, FailedWriteStopsTheWalk) {
  struct Case {
    int failAt;
    const char* entry;  // the entry written when it fails
  };
  // Writes: a.txt 1, big.bin 2 to 8, c.txt 9; big2.bin is longer than the ring.
  const Case cases[] = {{1, "a.txt"}, {4, "big.bin"}, {8, "big.bin"}, {9, "c.txt"}};
  TestZipWriter zip;
  zip.File("a.txt", "new a").Folder("Sub/").File("Sub/big.bin", Noise(7 * kBlock - 9, 3))
      .File("c.txt", "c").File("big2.bin", Noise(2 * OutputPipeline::kBlocks * kBlock, 4))
      .File("z.txt", "the end");
  const std::string bytes = zip.Bytes();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.failAt);
    InstallTransaction transaction(target_.c_str());
    FailingOutput output(target_, &transaction, c.failAt);

    EXPECT_EQ(Walk(bytes, &output), -1);

    EXPECT_EQ(output.writes(), c.failAt);
    EXPECT_NE(CurrentEntry(), "z.txt");
    EXPECT_FALSE(lktest::FileExists(target_ + L"z.txt"));
    EXPECT_FALSE(lktest::FileExists(target_ + L"big2.bin"));
    EXPECT_TRUE(transaction.RollBack());
    EXPECT_EQ(ReadTree(target_), before_) << c.entry << ": " << Describe(ReadTree(target_));
  }
}

// Damage the walk finds after blocks of the file were handed on: the writer has written them,
// closes the file without stamping it, and the walk goes no further; the rollback removes it.
TEST_F(OutputPipelineTest, DamagedDataAbandonsTheOpenFile) {
  enum class Damage { kWrongCrc, kDeclaredLarger, kDeclaredSmaller };
  const std::string data = Noise(5 * kBlock, 9);
  for (Damage damage : {Damage::kWrongCrc, Damage::kDeclaredLarger, Damage::kDeclaredSmaller}) {
    SCOPED_TRACE(static_cast<int>(damage));
    TestZipWriter zip;
    zip.File("first.txt", "first").File("damaged.bin", data);
    if (damage == Damage::kWrongCrc) zip.WithWrongCrc();
    zip.File("after.txt", "never reached");
    std::string bytes = zip.Bytes();
    lktest::ZipLayout layout;
    ASSERT_TRUE(lktest::ReadZipLayout(bytes, &layout));
    if (damage != Damage::kWrongCrc) {
      const uint32_t declared = static_cast<uint32_t>(
          damage == Damage::kDeclaredLarger ? data.size() + 1 : data.size() - 1);
      // In both headers, so that the entry opens and the walk finds out only on reading.
      lktest::Set32(&bytes, layout.entries[1].centralRecord + lktest::kCentralSizeField,
                    declared);
      lktest::Set32(&bytes, layout.entries[1].localHeader + lktest::kLocalSizeField, declared);
    }
    InstallTransaction transaction(target_.c_str());
    EntryOutput output(target_.c_str(), &transaction);

    EXPECT_EQ(Walk(bytes, &output), -1);

    EXPECT_EQ(CurrentEntry(), "damaged.bin");
    const std::wstring damaged = target_ + L"damaged.bin";
    const std::string written = ReadFileBytes(damaged);
    EXPECT_GE(written.size(), kBlock);
    EXPECT_TRUE(data.compare(0, written.size(), written) == 0);
    EXPECT_FALSE(SameTime(LastWriteTime(damaged), ArchiveTime()));
    // Closed: it opens without sharing.
    EXPECT_TRUE(lk::ScopedFileHandle(CreateFileW(damaged.c_str(), GENERIC_READ, 0, nullptr,
                                                 OPEN_EXISTING, 0, nullptr)));
    EXPECT_FALSE(lktest::FileExists(target_ + L"after.txt"));
    EXPECT_TRUE(transaction.RollBack());
    EXPECT_EQ(ReadTree(target_), before_) << Describe(ReadTree(target_));
  }
}

// An entry the writer passes over (an existing read-only file) has its blocks dropped; the
// walk goes on with the next entries, and the unpacking fails.
TEST_F(OutputPipelineTest, PassedOverEntryDropsItsBlocksAndTheWalkGoesOn) {
  SetFileAttributesW((target_ + L"a.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  TestZipWriter zip;
  zip.File("first.txt", "first").File("a.txt", Noise(6 * kBlock, 5))
      .File("last.bin", Noise(kBlock + 1, 6));
  FailingOutput output(target_, &transaction_, 0);

  EXPECT_EQ(Walk(zip.Bytes(), &output), -1);

  EXPECT_EQ(ReadFileBytes(target_ + L"a.txt"), "old a");
  EXPECT_EQ(ReadFileBytes(target_ + L"last.bin"), Noise(kBlock + 1, 6));
  EXPECT_EQ(output.writes(), 1 + 2);  // first.txt and last.bin's two blocks only
  EXPECT_TRUE(transaction_.RollBack());
  SetFileAttributesW((target_ + L"a.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(ReadTree(target_), before_) << Describe(ReadTree(target_));
}

// The walk's calls out of their order: the call fails at once, every later call fails too,
// and the pipeline reports the unpacking as failed, so that no block ends up in a file it
// was not meant for; the rollback leaves the target as it was. Each row is a sequence of
// calls, the first of which may come before the wrong one.
TEST_F(OutputPipelineTest, CallsOutOfOrderFailAtOnce) {
  enum Call { kFolder, kBegin, kNext, kSend3, kSendTooMuch, kEnd0, kEnd3, kAbandon };
  struct Case {
    const char* what;
    std::vector<Call> calls;  // the last one is out of order
  };
  const Case cases[] = {
      {"a block without a file", {kNext}},
      {"a block sent without NextBlock", {kBegin, kSend3}},
      {"an end with data after a sent block", {kBegin, kNext, kSend3, kEnd3}},
      {"an end without a file", {kEnd0}},
      {"a block larger than the ring's", {kBegin, kNext, kSendTooMuch}},
      {"a folder inside a file", {kBegin, kNext, kFolder}},
      {"a file inside a file", {kBegin, kNext, kSend3, kBegin}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    InstallTransaction transaction(target_.c_str());
    EntryOutput output(target_.c_str(), &transaction);
    {
      OutputPipeline pipeline(&output);
      ASSERT_TRUE(pipeline.Start());
      auto call = [&](Call which) {
        switch (which) {
          case kFolder: return pipeline.MakeFolder(L"f");
          case kBegin: return pipeline.BeginFile(L"b.txt", L"");
          case kNext: {
            char* block = pipeline.NextBlock();
            if (block) memcpy(block, "abc", 3);
            return block != nullptr;
          }
          case kSend3: return pipeline.SendBlock(3);
          case kSendTooMuch: return pipeline.SendBlock(OutputPipeline::kBlockBytes + 1);
          case kEnd0: return pipeline.EndFile(0, lktest::kTestEntryTime);
          case kEnd3: return pipeline.EndFile(3, lktest::kTestEntryTime);
          case kAbandon: pipeline.AbandonFile(); return true;
        }
        return false;
      };
      for (size_t i = 0; i + 1 < c.calls.size(); ++i) ASSERT_TRUE(call(c.calls[i])) << i;
      EXPECT_FALSE(call(c.calls.back()));
      // Broken for good: not even a new file may start.
      pipeline.AbandonFile();
      EXPECT_FALSE(pipeline.BeginFile(L"later.txt", L""));
      EXPECT_FALSE(pipeline.Finish());
    }
    EXPECT_FALSE(lktest::FileExists(target_ + L"later.txt"));
    EXPECT_TRUE(transaction.RollBack());
    EXPECT_EQ(ReadTree(target_), before_) << Describe(ReadTree(target_));
  }
}

}  // namespace
