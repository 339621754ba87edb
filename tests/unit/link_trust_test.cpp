#include <gtest/gtest.h>

#include <windows.h>
#include <sddl.h>

#include <string>

#include "framework/file_links.h"
#include "framework/protected_folder.h"
#include "framework/run_guard.h"
#include "framework/scoped_handles.h"
#include "framework/unique_file.h"
#include "support/test_support.h"

namespace {

struct OwnerCase {
  const wchar_t* sid;
  bool trusted;
};

// The owners whose links an elevated run follows, and some it must not.
constexpr OwnerCase kOwners[] = {
    {L"S-1-5-32-544", true},  // Administrators
    {L"S-1-5-18", true},      // SYSTEM
    {L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464", true},  // TrustedInstaller
    {L"S-1-5-32-545", false},                                                   // Users
    {L"S-1-5-11", false},                                                       // Authenticated Users
    {L"S-1-1-0", false},                                                        // Everyone
    {L"S-1-5-21-0-0-0-1000", false},                                            // a user
    {L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478465", false},  // another service
};

TEST(LinkTrust, OnlyAdministratorsSystemAndTrustedInstallerOwnTrustedLinks) {
  for (const OwnerCase& owner : kOwners) {
    PSID sid = nullptr;
    ASSERT_TRUE(ConvertStringSidToSidW(owner.sid, &sid)) << owner.sid;
    EXPECT_EQ(lk::IsTrustedLinkOwner(sid), owner.trusted) << owner.sid;
    LocalFree(sid);
  }
  EXPECT_FALSE(lk::IsTrustedLinkOwner(nullptr));
}

class LinkTrustTree : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(CreateDirectoryW((root_ + L"chosen").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((root_ + L"chosen\\below").c_str(), nullptr));
  }
  lktest::TempFolder rootFolder_;
  lktest::TempFolder outsideFolder_;
  const std::wstring root_ = rootFolder_.Path();
  const std::wstring outside_ = outsideFolder_.Path();
};

// Under Wine every name belongs to the user running it, so any link counts as one a user
// made: refused above the chosen folder as below it.
TEST_F(LinkTrustTree, LinksMadeByAUserAreRefusedAboveAndBelowTheChosenFolder) {
  const std::wstring chosen = root_ + L"chosen\\";
  EXPECT_TRUE(lk::IsReachableWithoutUntrustedLinks(chosen, chosen + L"below\\file.txt"));
  EXPECT_TRUE(lk::IsReachableWithoutUntrustedLinks(chosen, chosen + L"new\\newer\\file.txt"));
  EXPECT_TRUE(lk::IsReachableWithoutUntrustedLinks(chosen, chosen));
  EXPECT_FALSE(lk::IsReachableWithoutUntrustedLinks(chosen, root_ + L"elsewhere.txt"));

  lktest::ScopedSymbolicLink below(outside_, chosen + L"linked");
  EXPECT_FALSE(lk::IsReachableWithoutUntrustedLinks(chosen, chosen + L"linked\\file.txt"));
  EXPECT_FALSE(lk::IsReachableWithoutUntrustedLinks(chosen, chosen + L"linked"));

  lktest::ScopedSymbolicLink chosenLink(outside_, root_ + L"chosenlink");
  EXPECT_FALSE(lk::IsReachableWithoutUntrustedLinks(root_ + L"chosenlink\\",
                                                    root_ + L"chosenlink\\file.txt"));
  lktest::ScopedSymbolicLink aboveLink(root_ + L"chosen", outside_ + L"abovelink");
  EXPECT_FALSE(lk::IsReachableWithoutUntrustedLinks(outside_ + L"abovelink\\below\\",
                                                    outside_ + L"abovelink\\below\\x.txt"));
}

TEST_F(LinkTrustTree, AnOpenedFileIsCheckedByWhereItReallyIs) {
  const std::wstring chosen = root_ + L"chosen\\";
  const std::wstring inside = chosen + L"below\\file.txt";
  lk::ScopedFileHandle file(CreateFileW(inside.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        0, nullptr));
  ASSERT_TRUE(file);
  EXPECT_TRUE(lk::IsOpenedAt(file.Get(), chosen, inside));
  EXPECT_FALSE(lk::IsOpenedAt(file.Get(), chosen, chosen + L"file.txt"));

  lktest::ScopedSymbolicLink linked(outside_, chosen + L"linked");
  const std::wstring through = chosen + L"linked\\file.txt";
  lk::ScopedFileHandle outside(CreateFileW(through.c_str(), GENERIC_WRITE, 0, nullptr,
                                           CREATE_NEW, 0, nullptr));
  ASSERT_TRUE(outside);
  EXPECT_FALSE(lk::IsOpenedAt(outside.Get(), chosen, through));
}

TEST_F(LinkTrustTree, AProtectedFolderIsKnownByItsDescriptorAndAPlainOneIsNot) {
  wchar_t made[MAX_PATH] = {};
  ASSERT_TRUE(lk::CreateUniqueFolder(root_.c_str(), L"made", lk::FolderProtection::kAdministratorsOnly,
                                     made, MAX_PATH));
  EXPECT_FALSE(lk::CreateProtectedFolder(made, lk::FolderProtection::kAdministratorsOnly));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  const std::wstring plain = root_ + L"plain";
  ASSERT_TRUE(CreateDirectoryW(plain.c_str(), nullptr));

  auto check = [&](const std::wstring& path) {
    lk::ScopedFileHandle folder(CreateFileW(path.c_str(), READ_CONTROL, 7, nullptr, OPEN_EXISTING,
                                            FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                            nullptr));
    return folder && lk::HasProtection(folder.Get(), lk::FolderProtection::kAdministratorsOnly,
                                       root_.c_str());
  };
  EXPECT_TRUE(check(made));
  EXPECT_FALSE(check(plain));
  // The reference folders are gone again.
  WIN32_FIND_DATAW found;
  lk::ScopedFindHandle search(FindFirstFileW((root_ + L".lk_ref*").c_str(), &found));
  EXPECT_FALSE(search);
}

TEST(RunGuard, ASecondHolderWaitsAndGetsItOnceTheFirstLetsGo) {
  lk::ScopedFileHandle released;
  {
    lk::RunGuard first(0);
    ASSERT_TRUE(first.Held());
    // Another thread is another holder as far as a mutex goes.
    struct Probe {
      static DWORD WINAPI Run(void* held) {
        lk::RunGuard second(0);
        *static_cast<bool*>(held) = second.Held();
        return 0;
      }
    };
    bool secondHeld = true;
    lk::ScopedFileHandle thread(CreateThread(nullptr, 0, Probe::Run, &secondHeld, 0, nullptr));
    WaitForSingleObject(thread.Get(), INFINITE);
    EXPECT_FALSE(secondHeld);
  }
  lk::RunGuard after(0);
  EXPECT_TRUE(after.Held());
}

}  // namespace
