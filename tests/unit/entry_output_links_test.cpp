// The output side of the unpacking against links it meets after the walk looked: each made
// file or folder is checked through its handle for where it really is.
#include "payload/entry_output.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/file_links.h"
#include "payload/install_transaction.h"
#include "payload/reparse_points.h"
#include "support/test_support.h"

namespace {

// The system's reparse tags: the name surrogates redirect a name; the others (compressed,
// deduplicated, cloud files) are files of their own that the setup replaces as files.
TEST(ReparseTags, OnlyNameSurrogatesAreLinks) {
  const struct {
    DWORD tag;
    bool link;
  } cases[] = {
      {0xA000000Cu, true},   // IO_REPARSE_TAG_SYMLINK
      {0xA0000003u, true},   // IO_REPARSE_TAG_MOUNT_POINT (junction)
      {0xA0000019u, true},   // IO_REPARSE_TAG_GLOBAL_REPARSE
      {0x80000017u, false},  // IO_REPARSE_TAG_WOF (compressed)
      {0x80000013u, false},  // IO_REPARSE_TAG_DEDUP
      {0x9000001Au, false},  // IO_REPARSE_TAG_CLOUD
      {0x9000601Au, false},  // IO_REPARSE_TAG_CLOUD_6
      {0x8000001Bu, false},  // IO_REPARSE_TAG_APPEXECLINK
      {0x80000014u, false},  // IO_REPARSE_TAG_NFS
  };
  for (const auto& c : cases) EXPECT_EQ(lk::IsNameSurrogateTag(c.tag), c.link) << std::hex << c.tag;
}

// The target, with a folder that became a link after the walk found it plain, and names
// where links lead out of it.
class EntryOutputLinks : public testing::Test {
 protected:
  EntryOutputLinks() {
    CreateDirectoryW(target_.c_str(), nullptr);
    lktest::WriteFileBytes(outside_ / L"victim.txt", "outside");
  }

  std::vector<std::wstring> Outside() const { return lktest::ListTree(outside_.Path()); }

  lktest::TempFolder scratch_;
  lktest::TempFolder outside_;
  std::wstring target_ = scratch_ / L"target";
  InstallTransaction transaction_{target_.c_str()};
};

// A file or folder begun below a folder that is a link now: refused, nothing left where the
// link leads; a link at a file's own name, one that leads nowhere included, is refused as
// well and not followed.
TEST_F(EntryOutputLinks, NothingIsMadeThroughALinkMetAfterTheWalkLooked) {
  const lktest::ScopedSymbolicLink swapped(outside_.Path(), target_ + L"\\Plugins");
  const lktest::ScopedSymbolicLink dangling(outside_ / L"missing.txt", target_ + L"\\lk_about.txt");
  ASSERT_TRUE(swapped.Made());
  const std::vector<std::wstring> before = Outside();
  EntryOutput output(target_.c_str(), &transaction_);
  ASSERT_TRUE(output.IsReady());

  EXPECT_FALSE(output.BeginFile(L"Plugins/Icons.dll"));
  output.MakeFolder(L"Plugins/Sub/");
  output.MakeFolderPath(L"Plugins/Deep/Er");
  EXPECT_FALSE(output.BeginFile(L"lk_about.txt"));

  EXPECT_EQ(Outside(), before);
  EXPECT_EQ(lktest::ReadFileBytes(outside_ / L"victim.txt"), "outside");
  // The plain names of the target are still written.
  EXPECT_TRUE(output.BeginFile(L"lk_main64.exe"));
  EXPECT_TRUE(output.Write("viewer", 6));
  output.EndFile(0);
  EXPECT_EQ(lktest::ReadFileBytes(target_ + L"\\lk_main64.exe"), "viewer");
  EXPECT_TRUE(transaction_.RollBack());
  EXPECT_FALSE(lktest::FileExists(target_ + L"\\lk_main64.exe"));
  // The target itself cannot be renamed away while the output holds it.
  EXPECT_FALSE(MoveFileExW(target_.c_str(), (scratch_ / L"moved").c_str(), 0));
  EXPECT_TRUE(lktest::FolderExists(target_));
  EXPECT_EQ(Outside(), before);
}

// The whole target reached through a link (a user's under Wine): nothing is made at all.
TEST_F(EntryOutputLinks, ATargetReachedThroughALinkGetsNothing) {
  const std::wstring linked = scratch_ / L"linked";
  const lktest::ScopedSymbolicLink link(outside_.Path(), linked);
  ASSERT_TRUE(link.Made());
  InstallTransaction transaction(linked.c_str());
  EntryOutput output(linked.c_str(), &transaction);

  EXPECT_FALSE(output.IsReady());
  EXPECT_TRUE(output.LeadsThroughLink(L"lk_main64.exe"));
  EXPECT_FALSE(output.BeginFile(L"lk_main64.exe"));
  output.MakeFolder(L"Plugins/");

  EXPECT_EQ(Outside(), std::vector<std::wstring>{L"victim.txt"});
}

}  // namespace
