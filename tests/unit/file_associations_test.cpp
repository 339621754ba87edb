#include "integration/file_associations.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/os_version.h"
#include "framework/registry.h"
#include "integration/format_catalogue.h"
#include "support/expected_installation.h"
#include "support/registry_reader.h"
#include "support/test_support.h"

namespace {

using lktest::ExpectIdentifier;
using lktest::ExplorerChoiceKey;
using lktest::kAppXOverrideKeys;
using lktest::kFileAssociationsKey;
using lktest::RegKeyExists;
using lktest::RegStringIs;

const HKEY HKLM = HKEY_LOCAL_MACHINE;
const HKEY HKCU = HKEY_CURRENT_USER;
constexpr wchar_t kViewer[] = L"C:\\Programme\\Lumenkast\\lk_main64.exe";
constexpr wchar_t kOpenCommand[] = L"\"C:\\Programme\\Lumenkast\\lk_main64.exe\" \"%1\"";

std::wstring Classes(const std::wstring& name) { return L"SOFTWARE\\Classes\\" + name; }

class Associations : public ::testing::Test {
 protected:
  void SetUp() override {
    // The registration creates the capability list before the pass.
    lk::RegistryKey key;
    ASSERT_EQ(ERROR_SUCCESS, key.Create(HKLM, kFileAssociationsKey));
  }
  lktest::ScratchRegistry registry_;
};

TEST_F(Associations, ChosenExtensionGetsTheIdentifierAndAFreshExplorerChoice) {
  // A choice made earlier through the shell, with a hash this program does not write.
  lktest::WriteRegString(HKCU, ExplorerChoiceKey(L"dib"), L"Progid", L"Other.dib");
  lktest::WriteRegString(HKCU, ExplorerChoiceKey(L"dib"), L"Hash", L"abc=");

  const std::wstring icon = std::wstring(kViewer) + L",0";
  EXPECT_EQ(ERROR_SUCCESS, AssociateExtension(L"dib", L"bmp", kOpenCommand, icon.c_str(), 1));

  EXPECT_TRUE(RegStringIs(HKLM, Classes(L".dib"), nullptr, L"Lumenkast.bmp"));
  ExpectIdentifier(L"bmp", kViewer, L"Lumenkast BMP File", icon);
  EXPECT_TRUE(RegStringIs(HKCU, ExplorerChoiceKey(L"dib"), L"Progid", L"Lumenkast.bmp"));
  EXPECT_FALSE(lktest::QueryRegValue(HKCU, ExplorerChoiceKey(L"dib"), L"Hash").exists);
  // Nothing else is filed: no key of its own for the shared extension, no machine choice.
  EXPECT_FALSE(RegKeyExists(HKLM, Classes(L"Lumenkast.dib")));
  EXPECT_FALSE(RegKeyExists(HKLM, ExplorerChoiceKey(L"dib")));
}

TEST_F(Associations, UnchosenExtensionIsFiledButKeepsItsOwner) {
  lktest::WriteRegString(HKLM, Classes(L".mpe"), nullptr, L"Other.mpe");
  lktest::WriteRegString(HKCU, ExplorerChoiceKey(L"mpe"), L"Progid", L"Other.mpe");

  const std::wstring icon = std::wstring(kViewer) + L",9";
  EXPECT_EQ(ERROR_SUCCESS, AssociateExtension(L"mpe", L"mpe", kOpenCommand, icon.c_str(), 0));

  ExpectIdentifier(L"mpe", kViewer, L"Lumenkast MPE File", icon);
  EXPECT_TRUE(RegStringIs(HKLM, Classes(L".mpe"), nullptr, L"Other.mpe"));
  EXPECT_TRUE(RegStringIs(HKCU, ExplorerChoiceKey(L"mpe"), L"Progid", L"Other.mpe"));
}

TEST_F(Associations, MissingCapabilityListIsSkippedNotCreated) {
  ASSERT_EQ(ERROR_SUCCESS, RegDeleteKeyW(HKLM, kFileAssociationsKey));
  EXPECT_EQ(ERROR_SUCCESS, AssociateExtension(L"png", L"png", kOpenCommand, L"%1", 1));
  EXPECT_FALSE(RegKeyExists(HKLM, kFileAssociationsKey));
  EXPECT_TRUE(RegStringIs(HKLM, Classes(L".png"), nullptr, L"Lumenkast.png"));
  // Unchosen, the missing list is the last thing it met.
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, AssociateExtension(L"jpg", L"jpg", kOpenCommand, L"%1", 0));
  EXPECT_TRUE(RegStringIs(HKLM, Classes(L"Lumenkast.png\\DefaultIcon"), nullptr, L"%1"));
  EXPECT_TRUE(RegStringIs(HKCU, ExplorerChoiceKey(L"png"), L"Progid", L"Lumenkast.png"));
}

TEST_F(Associations, CatalogueWithTheImagesChosen) {
  FormatSelection selection;
  SelectImageFormats(selection);
  AssociateCatalogue(kViewer, kOpenCommand, selection);

  const std::wstring viewer = kViewer;
  struct Case {
    const wchar_t* extension;
    const wchar_t* owner;  // the extension key's identifier; null when left alone
    const wchar_t* key;
    const wchar_t* description;
    std::wstring icon;
  } cases[] = {
      {L"ani", L"Lumenkast.ani", L"ani", L"Lumenkast ANI File", L"%1"},
      {L"bmp", L"Lumenkast.bmp", L"bmp", L"Lumenkast BMP File", viewer + L",0"},
      {L"dib", L"Lumenkast.bmp", L"bmp", L"Lumenkast BMP File", viewer + L",0"},
      {L"cr2", L"Lumenkast.cr2", L"cr2", L"Lumenkast CR2 File", viewer + L",0"},
      {L"cur", L"Lumenkast.cur", L"cur", L"Lumenkast CUR File", L"%1"},
      {L"djvu", L"Lumenkast.djvu", L"djvu", L"Lumenkast DJVU File", viewer + L",0"},
      {L"iw44", L"Lumenkast.djvu", L"djvu", L"Lumenkast DJVU File", viewer + L",0"},
      {L"icl", L"Lumenkast.icl", L"icl", L"Lumenkast ICL File", L"%1"},
      {L"ico", L"Lumenkast.ico", L"ico", L"Lumenkast ICO File", L"%1"},
      {L"lbm", L"Lumenkast.iff", L"iff", L"Lumenkast IFF File", viewer + L",0"},
      {L"j2k", L"Lumenkast.jp2", L"jp2", L"Lumenkast JP2 File", viewer + L",0"},
      {L"jpeg", L"Lumenkast.jpg", L"jpg", L"Lumenkast JPG File", viewer + L",0"},
      {L"jng", L"Lumenkast.jng", L"jng", L"Lumenkast JNG File", viewer + L",0"},
      {L"tiff", L"Lumenkast.tif", L"tif", L"Lumenkast TIF File", viewer + L",0"},
      {L"xpm", L"Lumenkast.xpm", L"xpm", L"Lumenkast XPM File", viewer + L",0"},
      {L"swf", nullptr, L"swf", L"Lumenkast SWF File", viewer + L",0"},
      {L"flv", nullptr, L"flv", L"Lumenkast FLV File", viewer + L",0"},
      {L"ttf", nullptr, L"ttf", L"Lumenkast TTF File", viewer + L",0"},
      {L"mpeg", nullptr, L"mpg", L"Lumenkast MPG File", viewer + L",9"},
      {L"mpe", nullptr, L"mpe", L"Lumenkast MPE File", viewer + L",9"},
      {L"wmv", nullptr, L"wmv", L"Lumenkast WMV File", viewer + L",9"},
      {L"aif", nullptr, L"aif", L"Lumenkast AIF File", viewer + L",8"},
      {L"rmi", nullptr, L"rmi", L"Lumenkast RMI File", viewer + L",8"},
      {L"snd", nullptr, L"au", L"Lumenkast AU File", viewer + L",8"},
      {L"wma", nullptr, L"wma", L"Lumenkast WMA File", viewer + L",8"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(lktest::Narrow(c.extension));
    ExpectIdentifier(c.key, kViewer, c.description, c.icon);
    if (c.owner) {
      EXPECT_TRUE(RegStringIs(HKLM, Classes(std::wstring(L".") + c.extension), nullptr, c.owner));
      EXPECT_TRUE(RegStringIs(HKCU, ExplorerChoiceKey(c.extension), L"Progid", c.owner));
    } else {
      EXPECT_FALSE(RegKeyExists(HKLM, Classes(std::wstring(L".") + c.extension)));
      EXPECT_FALSE(RegKeyExists(HKCU, ExplorerChoiceKey(c.extension)));
    }
  }

  // One capability value per type key, and only those.
  std::vector<std::wstring> names = lktest::RegValueNames(HKLM, kFileAssociationsKey);
  EXPECT_EQ(73u, names.size());
  for (const FormatEntry& format : FormatCatalogue) {
    for (int i = 0; i < format.extensionCount; ++i) {
      const std::wstring name = std::wstring(L".") + format.extensions[i].typeKey;
      EXPECT_NE(names.end(), std::find(names.begin(), names.end(), name)) << lktest::Narrow(name);
    }
  }
}

TEST_F(Associations, CatalogueWithNothingChosenTouchesNoExtension) {
  FormatSelection selection;
  SelectNoFormats(selection);
  AssociateCatalogue(kViewer, kOpenCommand, selection);

  for (const FormatEntry& format : FormatCatalogue) {
    for (int i = 0; i < format.extensionCount; ++i) {
      const std::wstring extension = format.extensions[i].extension;
      SCOPED_TRACE(lktest::Narrow(extension));
      EXPECT_FALSE(RegKeyExists(HKLM, Classes(L"." + extension)));
      EXPECT_FALSE(RegKeyExists(HKCU, ExplorerChoiceKey(extension)));
      EXPECT_TRUE(RegStringIs(HKLM,
                              Classes(L"Lumenkast." + std::wstring(format.extensions[i].typeKey)) +
                                  L"\\shell\\open\\command",
                              nullptr, kOpenCommand));
    }
  }
  EXPECT_EQ(73u, lktest::RegValueNames(HKLM, kFileAssociationsKey).size());
}

TEST_F(Associations, AppXOverridesAreEmptyNoOpenWithValuesOfTheCurrentUser) {
  SuppressAppXOpenWith();
  for (const wchar_t* key : kAppXOverrideKeys) {
    EXPECT_TRUE(RegStringIs(HKCU, key, L"NoOpenWith", L""));
    EXPECT_FALSE(RegKeyExists(HKLM, key));
  }
}

TEST_F(Associations, RefreshWritesTheAppXOverridesFromWindows8On) {
  RefreshShellAssociations();
  const bool windows8 = IsOsVersionAtLeast(6, 2);
  for (const wchar_t* key : kAppXOverrideKeys) {
    EXPECT_EQ(windows8, lktest::QueryRegValue(HKCU, key, L"NoOpenWith").exists);
  }
}

}  // namespace
