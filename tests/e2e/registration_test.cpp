// The registry after an unattended installation, read from outside the setup.
#include <gtest/gtest.h>

#include <windows.h>

#include <cwctype>
#include <memory>
#include <string>
#include <vector>

#include "app/target_folder.h"
#include "integration/format_catalogue.h"
#include "support/expected_installation.h"
#include "support/installation_state.h"
#include "support/installation_test.h"
#include "support/registry_reader.h"
#include "support/test_support.h"

namespace lktest {
namespace {

constexpr wchar_t kPlaceholderOwner[] = L"Vorbesitzer.Datei";

std::wstring Upper(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(towupper(c));
  return text;
}

// The icon a row's identifiers show, for the viewer at viewer.
std::wstring RowIcon(int row, const std::wstring& viewer) {
  if (row == 0 || row == 6 || row == 20 || row == 21) return L"%1";
  if (row >= 59) return viewer + L",8";
  if (row >= 54) return viewer + L",9";
  return viewer + L",0";
}

class Registration : public InstallationTest {
 protected:
  void SetUp() override {
    InstallationTest::SetUp();
    CreateRegisteredApplicationsList();
  }
  int Install(const std::wstring& arguments) { return RunSetup(arguments); }

  // The identifier, its icon and open command and the capability value of every type key.
  void ExpectIdentifiers(const std::wstring& folder) {
    const std::wstring viewer = folder + L"lk_main64.exe";
    for (const FormatEntry& format : FormatCatalogue) {
      for (int i = 0; i < format.extensionCount; ++i) {
        const std::wstring key = format.extensions[i].typeKey;
        SCOPED_TRACE(Narrow(key));
        ExpectIdentifier(key, viewer, L"Lumenkast " + Upper(key) + L" File",
                         RowIcon(format.row, viewer));
      }
    }
  }
};

TEST_F(Registration, ImagesAssociatedEverythingFiled) {
  // Rows 52 to 67 belong to another program before the installation.
  std::vector<std::unique_ptr<ScopedRegString>> owners;
  for (int row = ImageFormatCount; row < FormatCount; ++row) {
    for (int i = 0; i < FormatCatalogue[row].extensionCount; ++i) {
      const std::wstring extension = FormatCatalogue[row].extensions[i].extension;
      owners.emplace_back(new ScopedRegString(HKLM, L"SOFTWARE\\Classes\\." + extension, nullptr,
                                              kPlaceholderOwner));
      owners.emplace_back(
          new ScopedRegString(HKCU, ExplorerChoiceKey(extension), L"Progid", kPlaceholderOwner));
    }
  }

  ASSERT_EQ(0, Install(L"/silent /folder=C:\\Tools\\Lumenkast /group=1 /desktop=1 /thumbs=1 "
                       L"/assoc=1"));
  ASSERT_TRUE(FileExists(L"C:\\Tools\\Lumenkast\\lk_main64.exe"));

  ExpectApplicationKeys(L"C:\\Tools\\Lumenkast\\");
  ExpectIdentifiers(L"C:\\Tools\\Lumenkast\\");
  EXPECT_EQ(73u, RegValueNames(HKLM, kFileAssociationsKey).size());
  for (const FormatEntry& format : FormatCatalogue) {
    for (int i = 0; i < format.extensionCount; ++i) {
      const std::wstring extension = format.extensions[i].extension;
      SCOPED_TRACE(Narrow(extension));
      const std::wstring owner = format.row < ImageFormatCount
                                     ? L"Lumenkast." + std::wstring(format.extensions[i].typeKey)
                                     : kPlaceholderOwner;
      EXPECT_TRUE(RegStringIs(HKLM, L"SOFTWARE\\Classes\\." + extension, nullptr, owner));
      EXPECT_TRUE(RegStringIs(HKCU, ExplorerChoiceKey(extension), L"Progid", owner));
    }
  }
  // The class keys are the machine's; the user's classes get nothing but the explorer
  // choices (and, from Windows 8 on, the AppX overrides).
  EXPECT_FALSE(RegKeyExists(HKCU, L"Software\\Classes\\Lumenkast.jpg"));
  EXPECT_FALSE(RegKeyExists(HKCU, L"Software\\Classes\\.jpg"));
}

TEST_F(Registration, SecondInstallationElsewhereMovesEveryPath) {
  ASSERT_EQ(0, Install(L"/silent /folder=C:\\Tools\\Lumenkast /thumbs=1 /assoc=2"));
  // An icon key of an older version under the viewer's own identifier.
  WriteRegString(HKLM, L"SOFTWARE\\Classes\\Lumenkast\\DefaultIcon", nullptr,
                 L"C:\\Tools\\Lumenkast\\lk_main64.exe,1");

  ASSERT_EQ(0, Install(L"/silent /folder=C:\\Tools\\Anderswo /thumbs=1 /assoc=2"));
  ExpectApplicationKeys(L"C:\\Tools\\Anderswo\\");
  ExpectIdentifiers(L"C:\\Tools\\Anderswo\\");
  EXPECT_FALSE(RegKeyExists(HKLM, L"SOFTWARE\\Classes\\Lumenkast\\DefaultIcon"));

  wchar_t previous[MAX_PATH] = {};
  ASSERT_TRUE(GetPreviousInstallFolder(previous));
  EXPECT_STREQ(L"C:\\Tools\\Anderswo\\", previous);
}

TEST_F(Registration, WithoutAssociationsNoExtensionChangesItsOwner) {
  ScopedRegString jpg(HKLM, L"SOFTWARE\\Classes\\.jpg", nullptr, kPlaceholderOwner);
  ScopedRegString wav(HKLM, L"SOFTWARE\\Classes\\.wav", nullptr, kPlaceholderOwner);
  ASSERT_EQ(0, Install(L"/silent /folder=C:\\Tools\\Lumenkast /assoc=3"));

  ExpectIdentifiers(L"C:\\Tools\\Lumenkast\\");
  EXPECT_TRUE(RegStringIs(HKLM, L"SOFTWARE\\Classes\\.jpg", nullptr, kPlaceholderOwner));
  EXPECT_TRUE(RegStringIs(HKLM, L"SOFTWARE\\Classes\\.wav", nullptr, kPlaceholderOwner));
  EXPECT_FALSE(RegKeyExists(HKCU, ExplorerChoiceKey(L"jpg")));
  // No thumbnails flag: no "Browse with" verb.
  EXPECT_FALSE(RegKeyExists(HKLM, kDirectoryVerbKey));
}

}  // namespace
}  // namespace lktest
