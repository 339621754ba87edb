#include "payload/payload_extraction.h"
#include "payload/install_transaction.h"
#include "payload/payload_source.h"
#include "payload/entry_names.h"
#include "payload/file_times.h"
#include "payload/folder_paths.h"
#include "payload/reparse_points.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "framework/scoped_handles.h"
#include "support/complete_installation.h"
#include "support/hostile_entry_names.h"
#include "support/test_support.h"
#include "support/test_zip_writer.h"
#include "support/zip_layout.h"

using lktest::FileExists;
using lktest::FolderExists;
using lktest::ReadFileBytes;
using lktest::TestZipWriter;
using lktest::WriteFileBytes;

namespace {

using Tree = std::set<std::wstring>;

// Sets the inflated size that the central directory declares for the entry name.
void SetDeclaredSize(std::string* archive, const std::string& name, uint32_t size) {
  lktest::ZipLayout layout;
  if (!lktest::ReadZipLayout(*archive, &layout)) return;
  for (const lktest::ZipEntryLayout& entry : layout.entries) {
    if (entry.name != name) continue;
    lktest::Set32(archive, entry.centralRecord + lktest::kCentralSizeField, size);
  }
}

// The entries of lktest::ListTree as a set, the form the expectations here take.
Tree ListTree(const std::wstring& root) {
  const std::vector<std::wstring> entries = lktest::ListTree(root);
  return Tree(entries.begin(), entries.end());
}

std::string Describe(const Tree& tree) {
  return lktest::DescribeTree(std::vector<std::wstring>(tree.begin(), tree.end()));
}

// A file time as local date and time text, the way Windows shows it.
std::string LocalText(const FILETIME& time) {
  FILETIME local;
  SYSTEMTIME st;
  FileTimeToLocalFileTime(&time, &local);
  FileTimeToSystemTime(&local, &st);
  char text[32];
  snprintf(text, sizeof(text), "%04u-%02u-%02u %02u:%02u:%02u", st.wYear, st.wMonth, st.wDay,
           st.wHour, st.wMinute, st.wSecond);
  return text;
}

constexpr char kArchiveTime[] = "2026-11-27 10:30:00";

WIN32_FILE_ATTRIBUTE_DATA Attributes(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
  return data;
}

bool SameTime(FILETIME a, FILETIME b) { return CompareFileTime(&a, &b) == 0; }

std::wstring CurrentDirectory() {
  wchar_t path[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, path);
  return path;
}

std::wstring WithoutTrailingBackslash(std::wstring path) {
  if (!path.empty() && path.back() == L'\\') path.pop_back();
  return path;
}

// A scratch target folder, a private temporary folder (TMP and TEMP point to it) that every
// test expects to find as it was (unpacking writes nothing there), and the current directory
// restored before the folders are removed.
class PayloadExtraction : public testing::Test {
 protected:
  PayloadExtraction() : target_(scratch_ / L"target\\") {
    CreateDirectoryW(target_.c_str(), nullptr);
  }

  void TearDown() override {
    EXPECT_EQ(ListTree(temp_.Path()), tempContents_) << Describe(ListTree(temp_.Path()));
  }

  int Extract(const TestZipWriter& zip, int keepIconLibrary = 0) {
    return Unpack(zip.Bytes(), target_, keepIconLibrary);
  }

  // Unpacks archive bytes the way the payload is reached: as a stretch of a larger file,
  // here with other bytes before and after it.
  int Unpack(const std::string& archive, const std::wstring& folder, int keepIconLibrary) {
    const std::string before(5000, 'B'), after(3000, 'A');
    const std::wstring path = scratch_ / L"carrier.bin";
    if (!WriteFileBytes(path, before + archive + after)) return -2;
    const int result =
        UnpackArchiveInFile(path.c_str(), FileSpan{before.size(), archive.size()},
                            folder.c_str(), keepIconLibrary);
    DeleteFileW(path.c_str());
    return result;
  }

  lktest::TempFolder scratch_;
  lktest::TempFolder temp_;
  lktest::ScopedEnvironmentVariable tmp_{L"TMP", temp_.Path().c_str()};
  lktest::ScopedEnvironmentVariable temp2_{L"TEMP", temp_.Path().c_str()};
  std::wstring target_;
  Tree tempContents_;
  lktest::CurrentDirectoryGuard cwd_;
};

// The embedded payload: every file, where the build took it from.
struct PayloadFile {
  const wchar_t* path;
  const wchar_t* source;  // relative to LK_BUILD_DIR; nullptr: the stand-in tree
};

constexpr PayloadFile kPayloadFiles[] = {
    {L"lk_main64.exe", L"payload\\standins\\lk_main64.exe"},
    {L"lk_uninstall.exe", L"uninstall\\lk_uninstall.exe"},
    {L"lk_main32.chm", nullptr},
    {L"lk_about.txt", nullptr},
    {L"lk_changes.txt", nullptr},
    {L"lk_options.txt", nullptr},
    {L"lk_plugins.txt", nullptr},
    {L"lk_languages.txt", nullptr},
    {L"Languages\\Deutsch.dll", nullptr},
    {L"Languages\\Deutsch.lng", nullptr},
    {L"Plugins\\Djvu.dll", nullptr},
    {L"Plugins\\Ecw.dll", nullptr},
    {L"Plugins\\Effects.dll", nullptr},
    {L"Plugins\\Formats.dll", nullptr},
    {L"Plugins\\Icons.dll", L"payload\\standins\\Icons.dll"},
    {L"Plugins\\Jpeg2000.dll", nullptr},
    {L"Plugins\\Media.dll", nullptr},
    {L"Plugins\\Paint.dll", nullptr},
    {L"Plugins\\Postscript.dll", nullptr},
    {L"Plugins\\Webp.dll", nullptr},
    {L"Help\\lk_main32_deutsch.chm", nullptr},
    {L"Html\\bild_vorlage.htm", nullptr},
    {L"Html\\index_vorlage.htm", nullptr},
    {L"Html\\liesmich.txt", nullptr},
    {L"Html\\vorlage.css", nullptr},
    {L"Toolbars\\Marlow_16.png", L"generated\\images\\toolbars\\Marlow_16.png"},
    {L"Toolbars\\Marlow_16.txt", nullptr},
    {L"Toolbars\\Kelstrom_24.png", L"generated\\images\\toolbars\\Kelstrom_24.png"},
    {L"Toolbars\\Kelstrom_24.txt", nullptr},
    {L"Toolbars\\gnome-colors-wise_32.png",
     L"generated\\images\\toolbars\\gnome-colors-wise_32.png"},
    {L"Toolbars\\gnome-colors-wise_32.txt", nullptr},
    {L"Toolbars\\gnome-colors-human_48.png",
     L"generated\\images\\toolbars\\gnome-colors-human_48.png"},
    {L"Toolbars\\gnome-colors-human_48.txt", nullptr},
};
constexpr const wchar_t* kPayloadFolders[] = {L"Languages\\", L"Plugins\\", L"Help\\", L"Html\\",
                                              L"Toolbars\\"};

std::wstring SourceOf(const PayloadFile& file) {
  if (file.source) return std::wstring(LK_BUILD_DIR) + L"\\" + file.source;
  return std::wstring(LK_SOURCE_DIR) + L"\\payload\\standins\\tree\\" + file.path;
}

// The embedded payload unpacked as the driver does it: kept on success, rolled back on
// failure.
int ExtractEmbedded(const std::wstring& folder, int keepIconLibrary) {
  PayloadSource source;
  if (!OpenPayloadSource(&source)) return -2;
  InstallTransaction transaction(folder.c_str());
  const int result = ExtractPayload(source, folder.c_str(), keepIconLibrary, &transaction);
  if (result == 0) {
    transaction.Commit();
  } else {
    transaction.RollBack();
  }
  return result;
}

const std::wstring kBuiltIconLibrary =
    std::wstring(LK_BUILD_DIR) + L"\\payload\\standins\\Icons.dll";

TEST_F(PayloadExtraction, UnpacksTheEmbeddedPayloadWithTheArchiveTimes) {
  const std::wstring before = CurrentDirectory();
  ASSERT_EQ(ExtractEmbedded(target_, 0), 0);

  Tree expected(std::begin(kPayloadFolders), std::end(kPayloadFolders));
  for (const PayloadFile& file : kPayloadFiles) expected.insert(file.path);
  EXPECT_EQ(ListTree(target_), expected) << Describe(ListTree(target_));
  for (const PayloadFile& file : kPayloadFiles) {
    SCOPED_TRACE(lktest::Narrow(file.path));
    const std::string source = ReadFileBytes(SourceOf(file));
    ASSERT_FALSE(source.empty());
    EXPECT_TRUE(ReadFileBytes(target_ + file.path) == source);
    const WIN32_FILE_ATTRIBUTE_DATA times = Attributes(target_ + file.path);
    EXPECT_EQ(LocalText(times.ftLastWriteTime), kArchiveTime);
    EXPECT_EQ(LocalText(times.ftCreationTime), kArchiveTime);
  }
  // The unpacking works from the target's full path: the current directory is not touched.
  EXPECT_EQ(CurrentDirectory(), before);
}

TEST_F(PayloadExtraction, KeepsOrReplacesTheInstalledIconLibrary) {
  struct Case {
    int keepIconLibrary;
    bool installed;
    bool expectShipped;  // else the installed one (or none) stays
  };
  const Case cases[] = {{1, true, false}, {1, false, false}, {0, true, true}, {0, false, true}};
  const std::string installedBytes = "the icon library installed before";
  const std::string shippedBytes = ReadFileBytes(kBuiltIconLibrary);
  ASSERT_FALSE(shippedBytes.empty());
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << "keep " << c.keepIconLibrary << " installed " << c.installed);
    lktest::TempFolder folder;
    const std::wstring icons = folder / L"Plugins\\Icons.dll";
    if (c.installed) {
      CreateDirectoryW((folder / L"Plugins").c_str(), nullptr);
      ASSERT_TRUE(WriteFileBytes(icons, installedBytes));
    }
    const FILETIME before = Attributes(icons).ftLastWriteTime;

    EXPECT_EQ(ExtractEmbedded(folder.Path(), c.keepIconLibrary), 0);

    EXPECT_TRUE(FileExists(folder / L"Plugins\\Webp.dll"));
    if (c.expectShipped) {
      EXPECT_TRUE(ReadFileBytes(icons) == shippedBytes);
    } else if (c.installed) {
      EXPECT_EQ(ReadFileBytes(icons), installedBytes);
      EXPECT_TRUE(SameTime(before, Attributes(icons).ftLastWriteTime));
    } else {
      EXPECT_FALSE(FileExists(icons));
    }
  }
}

TEST_F(PayloadExtraction, IconLibraryRuleMatchesAnyCaseAnywhereInTheName) {
  TestZipWriter zip;
  zip.Folder("Plugins/")
      .File("Plugins/ICONS.DLL", "upper case")
      .File("Plugins/old_icons.dll.bak", "inside the name")
      .Folder("MyIcons.dll/")
      .File("MyIcons.dll/readme.txt", "in a folder of that name")
      .File("Plugins/Other.dll", "other plug-in");
  struct Case {
    int keepIconLibrary;
    Tree expected;
  };
  const Case cases[] = {
      {1, {L"Plugins\\", L"Plugins\\Other.dll"}},
      {2,
       {L"Plugins\\", L"Plugins\\ICONS.DLL", L"Plugins\\old_icons.dll.bak", L"MyIcons.dll\\",
        L"MyIcons.dll\\readme.txt", L"Plugins\\Other.dll"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keepIconLibrary);
    lktest::TempFolder folder;
    const std::string bytes = zip.Bytes();
    EXPECT_EQ(Unpack(bytes, folder.Path(), c.keepIconLibrary),
              0);
    EXPECT_EQ(ListTree(folder.Path()), c.expected) << Describe(ListTree(folder.Path()));
  }
}

TEST_F(PayloadExtraction, ArchiveWithoutEntriesCreatesNothing) {
  // minizip looks for the end record after the first byte only, so an archive that is
  // nothing but its end record does not open; behind a stub it does, and holds no entry.
  struct Case {
    const char* leading;
    int expected;
  };
  for (const Case& c : {Case{"", -1}, Case{"stub", 0}}) {
    SCOPED_TRACE(c.leading);
    EXPECT_EQ(Extract(TestZipWriter().WithLeadingBytes(c.leading)), c.expected);
    EXPECT_TRUE(ListTree(scratch_.Path()) == Tree{L"target\\"})
        << Describe(ListTree(scratch_.Path()));
  }
}

TEST_F(PayloadExtraction, FilesLandInTheirFoldersWhateverTheFolderEntries) {
  TestZipWriter zip;
  zip.File("Deep/er/x.txt", "no folder entries")
      .File("Late/y.txt", "before its folder entry")
      .Folder("Late/")
      .File("Late/z.txt", "after it")
      .File("Win\\style\\w.txt", "backslashes");

  EXPECT_EQ(Extract(zip), 0);

  EXPECT_EQ(ListTree(target_),
            (Tree{L"Deep\\", L"Deep\\er\\", L"Deep\\er\\x.txt", L"Late\\", L"Late\\y.txt",
                  L"Late\\z.txt", L"Win\\", L"Win\\style\\", L"Win\\style\\w.txt"}))
      << Describe(ListTree(target_));
  EXPECT_EQ(ReadFileBytes(target_ + L"Deep\\er\\x.txt"), "no folder entries");
  EXPECT_EQ(ReadFileBytes(target_ + L"Late\\y.txt"), "before its folder entry");
  EXPECT_EQ(LocalText(Attributes(target_ + L"Deep\\er\\x.txt").ftLastWriteTime), kArchiveTime);
}

TEST_F(PayloadExtraction, ReplacesArchiveFilesAndLeavesOthersAlone) {
  CreateDirectoryW((target_ + L"Sub").c_str(), nullptr);
  ASSERT_TRUE(WriteFileBytes(target_ + L"mine.txt", "user file"));
  ASSERT_TRUE(WriteFileBytes(target_ + L"Sub\\old.txt", "older and longer content"));
  TestZipWriter zip;
  zip.Folder("Sub/").File("Sub/old.txt", "new");

  EXPECT_EQ(Extract(zip), 0);

  EXPECT_EQ(ReadFileBytes(target_ + L"mine.txt"), "user file");
  EXPECT_EQ(ReadFileBytes(target_ + L"Sub\\old.txt"), "new");
}

// An existing file that cannot be replaced refuses its entry, and with it the unpacking:
// what was written before is taken back, what was replaced comes back.
TEST_F(PayloadExtraction, ExistingFileThatCannotBeReplacedTakesTheUnpackingBack) {
  enum class Guard { kReadOnly, kLocked };
  for (Guard guard : {Guard::kReadOnly, Guard::kLocked}) {
    SCOPED_TRACE(guard == Guard::kReadOnly ? "read-only" : "locked");
    lktest::TempFolder folder;
    const std::wstring kept = folder / L"kept.txt";
    ASSERT_TRUE(WriteFileBytes(kept, "installed before"));
    ASSERT_TRUE(WriteFileBytes(folder / L"a.txt", "a before"));
    const FILETIME before = Attributes(kept).ftLastWriteTime;
    lk::ScopedFileHandle lock;
    if (guard == Guard::kReadOnly) {
      SetFileAttributesW(kept.c_str(), FILE_ATTRIBUTE_READONLY);
    } else {
      lock.Reset(CreateFileW(kept.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
      ASSERT_TRUE(lock);
    }
    TestZipWriter zip;
    zip.File("a.txt", "first").File("n.txt", "new").File("kept.txt", "from the archive")
        .File("b.txt", "last");
    const std::string bytes = zip.Bytes();

    SetCurrentDirectoryW(scratch_.Path().c_str());
    EXPECT_EQ(Unpack(bytes, folder.Path(), 0), -1);
    // A failed unpacking leaves the current directory where it was.
    const std::wstring start = WithoutTrailingBackslash(scratch_.Path());
    EXPECT_EQ(_wcsicmp(CurrentDirectory().c_str(), start.c_str()), 0)
        << lktest::Narrow(CurrentDirectory());
    lock.Reset();

    EXPECT_EQ(ReadFileBytes(kept), "installed before");
    EXPECT_TRUE(SameTime(before, Attributes(kept).ftLastWriteTime));
    EXPECT_EQ(guard == Guard::kReadOnly,
              (GetFileAttributesW(kept.c_str()) & FILE_ATTRIBUTE_READONLY) != 0);
    EXPECT_EQ(ReadFileBytes(folder / L"a.txt"), "a before");
    EXPECT_EQ(ListTree(folder.Path()), (Tree{L"a.txt", L"kept.txt"}))
        << Describe(ListTree(folder.Path()));
    SetFileAttributesW(kept.c_str(), FILE_ATTRIBUTE_NORMAL);
  }
}

// Damage inside an entry fails the unpacking and takes back everything it wrote, also
// when the deflate stream ends before the declared size (minizip then skips the CRC-32).
TEST_F(PayloadExtraction, DamagedEntryTakesTheUnpackingBack) {
  enum class Damage { kWrongCrc, kBrokenData, kDeclaredSize };
  struct Case {
    const char* what;
    Damage damage;
    uint32_t declaredSize;
  };
  const std::string data(100000, 'x');
  const Case cases[] = {
      {"CRC-32 mismatch", Damage::kWrongCrc, 0},
      {"inflate error", Damage::kBrokenData, 0},
      {"declared size larger than the data", Damage::kDeclaredSize, 100001},
      {"declared size smaller than the data", Damage::kDeclaredSize, 99999},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    lktest::TempFolder folder;
    ASSERT_TRUE(WriteFileBytes(folder / L"first.txt", "earlier"));
    TestZipWriter zip;
    zip.File("first.txt", "intact").File("damaged.bin", data);
    if (c.damage == Damage::kWrongCrc) zip.WithWrongCrc();
    if (c.damage == Damage::kBrokenData) zip.WithBrokenData();
    zip.File("after.txt", "never reached");
    std::string bytes = zip.Bytes();
    if (c.damage == Damage::kDeclaredSize) SetDeclaredSize(&bytes, "damaged.bin", c.declaredSize);

    EXPECT_EQ(Unpack(bytes, folder.Path(), 0), -1);

    EXPECT_EQ(ReadFileBytes(folder / L"first.txt"), "earlier");
    EXPECT_EQ(ListTree(folder.Path()), Tree{L"first.txt"}) << Describe(ListTree(folder.Path()));
  }
}

bool RefusedByName(const lktest::HostileEntryName& row) {
  return row.outcome == lktest::EntryNameOutcome::kRefused;
}

// A stored name as the walk checks it: in UTF-8, converted from the ANSI code page unless
// flagged.
std::string WalkName(const char* stored, bool flaggedUtf8 = false) {
  char name[520];
  return EntryNameToUtf8(stored, flaggedUtf8, name, sizeof(name)) ? name : "<not converted>";
}

TEST(IsSafeEntryName, AcceptsRelativeNamesAndRejectsEscapes) {
  ASSERT_EQ(GetACP(), 1252u);
  for (const char* name :
       {"a.txt", "Plugins/Icons.dll", "Sub/", "Win\\style\\w.txt", "a..b/c", "..x", ".hidden",
        "CONSOLE.txt", "COM10", "COM0", "LPT", "nullable/x", "auxiliary.dll", "a.b.c", " lead",
        "Sub/con1.txt", "COM\xC2\xB9\xC2\xB9", "LPT\xC2\xB4", "COM\xE2\x81\xB4", "CO\xC2\xB9",
        "Gr\xC3\xBC\xC3\x9F" "e/\xE6\x97\xA5.txt"}) {
    EXPECT_TRUE(IsSafeEntryName(name)) << name;
  }
  // The names Windows does not open and those that only look hostile pass the check.
  for (const lktest::HostileEntryName& row : lktest::kHostileEntryNames) {
    EXPECT_NE(RefusedByName(row), IsSafeEntryName(WalkName(row.storedName).c_str()))
        << row.storedName;
  }
  // Superscript digits stored in UTF-8 (U+00B9, U+00B2, U+00B3) as in the ANSI code page.
  for (const char* name : {"COM\xC2\xB9", "lpt\xC2\xB2.txt", "Sub/Com\xC2\xB3 .log"}) {
    EXPECT_FALSE(IsSafeEntryName(WalkName(name, true).c_str())) << name;
  }
  EXPECT_FALSE(IsSafeEntryName(""));
}

// Names flagged as UTF-8 are read as UTF-8, others in the ANSI code page; a flagged name
// that is not valid UTF-8, or one too long for the buffer, is not converted.
TEST(EntryNameToUtf8, ReadsEachNameInItsOwnEncoding) {
  ASSERT_EQ(GetACP(), 1252u);
  struct Case {
    const char* stored;
    bool flaggedUtf8;
    const char* utf8;  // nullptr: refused
  };
  const Case cases[] = {
      {"Plugins/Icons.dll", false, "Plugins/Icons.dll"},
      {"Gr\xFC\xDF" "e/\x80.txt", false, "Gr\xC3\xBC\xC3\x9F" "e/\xE2\x82\xAC.txt"},
      {"Gr\xC3\xBC\xC3\x9F" "e/\xE6\x97\xA5.txt", true, "Gr\xC3\xBC\xC3\x9F" "e/\xE6\x97\xA5.txt"},
      {"bad\xFC.txt", true, nullptr},
      {"overlong\xC0\xAF.txt", true, nullptr},
      {"cut\xE6\x97", true, nullptr},
  };
  for (const Case& c : cases) {
    char name[64];
    const bool converted = EntryNameToUtf8(c.stored, c.flaggedUtf8, name, sizeof(name));
    EXPECT_EQ(converted, c.utf8 != nullptr) << c.stored;
    if (converted && c.utf8) {
      EXPECT_STREQ(name, c.utf8);
    }
  }
  char small[8];
  EXPECT_FALSE(EntryNameToUtf8("\xE4\xE4\xE4\xE4", false, small, sizeof(small)));
  EXPECT_FALSE(EntryNameToUtf8("12345678", true, small, sizeof(small)));
}

TEST_F(PayloadExtraction, EntryNamesLandUnderTheNamesTheirEncodingGives) {
  ASSERT_EQ(GetACP(), 1252u);
  TestZipWriter zip;
  zip.File("Gr\xC3\xBC\xC3\x9F" "e/\xE6\x97\xA5\xE2\x82\xAC.txt", "utf-8").WithUtf8Name()
      .File("Bilder/\xC4rger.txt", "ansi")
      .File("plain.txt", "ascii").WithUtf8Name()
      .File("last.txt", "still unpacked");

  EXPECT_EQ(Extract(zip), 0);

  const Tree expected = {L"Bilder\\", L"Bilder\\\u00C4rger.txt",
                         L"Gr\u00FC\u00DFe\\", L"Gr\u00FC\u00DFe\\\u65E5\u20AC.txt",
                         L"last.txt", L"plain.txt"};
  EXPECT_EQ(ListTree(target_), expected) << Describe(ListTree(target_));
  EXPECT_EQ(ReadFileBytes(target_ + L"Gr\u00FC\u00DFe\\\u65E5\u20AC.txt"), "utf-8");
  EXPECT_EQ(ReadFileBytes(target_ + L"Bilder\\\u00C4rger.txt"), "ansi");
}

// A name that is not valid UTF-8 although flagged so, or one that names a device once
// converted, refuses the archive: what was unpacked before it is taken back.
TEST_F(PayloadExtraction, BadlyEncodedOrDeviceNamesRefuseTheArchive) {
  const char* const badNames[] = {"bad\xFC.txt", "Plugins/COM\xC2\xB2.dll"};
  for (const char* bad : badNames) {
    TestZipWriter zip;
    zip.File("plain.txt", "ascii").File(bad, "refused").WithUtf8Name();
    EXPECT_EQ(Extract(zip), -1) << bad;
    EXPECT_TRUE(ListTree(target_).empty()) << bad << ": " << Describe(ListTree(target_));
  }
}

// A date or time that is no moment leaves the file with the time the system gave it when it
// was written, not one in 1601 or 1901; a valid one, a leap day among them, is stamped.
TEST_F(PayloadExtraction, InvalidEntryDateLeavesTheSystemTime) {
  struct Case {
    const char* name;
    uint32_t dosDateTime;
    const char* stamped;  // nullptr: the time of writing
  };
  const Case cases[] = {
      {"zero.txt", 0x00000000, nullptr},
      {"month13.txt", 0x5DA153C0, nullptr},
      {"feb30.txt", 0x5C5E53C0, nullptr},
      {"apr31.txt", 0x5C9F53C0, nullptr},
      {"feb29_2023.txt", 0x565D6000, nullptr},
      {"hour24.txt", 0x5D7BC3C0, nullptr},
      {"minute60.txt", 0x5D7B5780, nullptr},
      {"second60.txt", 0x5D7B53DE, nullptr},
      {"feb29_2024.txt", 0x585D6000, "2024-02-29 12:00:00"},
      {"valid.txt", lktest::kTestEntryTime, kArchiveTime},
  };
  TestZipWriter zip;
  for (const Case& c : cases) zip.File(c.name, c.name).WithTime(c.dosDateTime);
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  // File systems round times; two seconds of slack.
  ULARGE_INTEGER slack;
  slack.LowPart = now.dwLowDateTime;
  slack.HighPart = now.dwHighDateTime;
  slack.QuadPart -= 2 * 10000000ull;
  const FILETIME before = {slack.LowPart, slack.HighPart};

  ASSERT_EQ(Extract(zip), 0);

  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const WIN32_FILE_ATTRIBUTE_DATA data = Attributes(target_ + std::wstring(c.name, c.name + strlen(c.name)));
    if (c.stamped) {
      EXPECT_EQ(LocalText(data.ftLastWriteTime), c.stamped);
      EXPECT_EQ(LocalText(data.ftCreationTime), c.stamped);
    } else {
      EXPECT_GE(CompareFileTime(&data.ftLastWriteTime, &before), 0)
          << LocalText(data.ftLastWriteTime);
      EXPECT_GE(CompareFileTime(&data.ftCreationTime, &before), 0)
          << LocalText(data.ftCreationTime);
    }
    EXPECT_EQ(ReadFileBytes(target_ + std::wstring(c.name, c.name + strlen(c.name))), c.name);
  }
}

TEST_F(PayloadExtraction, HostileNamesAreLeftOutAndReported) {
  const bool rootFileBefore = FileExists(L"C:\\x") || FolderExists(L"C:\\evil");
  for (const lktest::HostileEntryName& row : lktest::kHostileEntryNames) {
    SCOPED_TRACE(row.storedName);
    const bool written = row.outcome == lktest::EntryNameOutcome::kWritten;
    EXPECT_EQ(Extract(lktest::ArchiveAroundHostileEntry(row.storedName)), written ? 0 : -1);

    const Tree tree = ListTree(scratch_.Path());
    if (written) {
      for (const wchar_t* path : lktest::kBenignEntryPaths) {
        EXPECT_TRUE(tree.count(std::wstring(L"target\\") + path)) << Describe(tree);
      }
      EXPECT_EQ(lktest::kHostileEntryData,
                ReadFileBytes(lktest::EntryPath(target_, row.storedName)));
      for (const std::wstring& name : tree) {
        EXPECT_EQ(0u, name.rfind(L"target\\", 0)) << "outside the target: " << Describe(tree);
      }
    } else {
      EXPECT_EQ(tree, Tree{L"target\\"}) << Describe(tree);
    }
    if (!rootFileBefore) {
      EXPECT_FALSE(FileExists(L"C:\\x"));
      EXPECT_FALSE(FolderExists(L"C:\\evil"));
    }
    lktest::RemoveTree(target_);
    CreateDirectoryW(target_.c_str(), nullptr);
  }
}

TEST(LeadsThroughReparsePoint, FindsALinkAnywhereAlongThePath) {
  lktest::TempFolder root, outside;
  ASSERT_TRUE(CreateDirectoryW((root / L"real").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW((root / L"real\\inner").c_str(), nullptr));
  const lktest::ScopedSymbolicLink link(outside.Path(), root / L"real\\link");
  ASSERT_TRUE(link.Made());
  const std::wstring folder = root.Path();
  const struct {
    const wchar_t* path;
    bool throughLink;
  } cases[] = {
      {L"real/inner/x.txt", false}, {L"real/link", false},      {L"real/link/", true},
      {L"real/link/x.txt", true},   {L"real\\link\\x\\y", true}, {L"real/missing/x", false},
      {L"x.txt", false},            {L"real/inner/", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.throughLink, LeadsThroughReparsePoint(folder, c.path)) << lktest::Narrow(c.path);
  }
  // Carried from one look to the next, as the walk does: what was found plain is not asked
  // again, and a link behind it is still found.
  std::wstring plainFolder;
  for (const auto& c : cases) {
    EXPECT_EQ(c.throughLink, LeadsThroughReparsePoint(folder, c.path, &plainFolder))
        << lktest::Narrow(c.path);
  }
  EXPECT_EQ(L"real/inner/", plainFolder);
  plainFolder = L"real\\";
  EXPECT_TRUE(LeadsThroughReparsePoint(folder, L"real\\link\\x", &plainFolder));
  // The folder itself is not looked at: that is the target's own check.
  EXPECT_FALSE(LeadsThroughReparsePoint(root / L"real\\link", L"x.txt"));
}

// A folder of the target that links elsewhere: nothing is written through it, and the
// unpacking is taken back.
TEST_F(PayloadExtraction, EntriesThroughALinkInTheTargetAreRefused) {
  lktest::TempFolder outside;
  const lktest::ScopedSymbolicLink link(outside.Path(), target_ + L"Plugins");
  ASSERT_TRUE(link.Made());
  TestZipWriter zip;
  zip.File("a.txt", "a")
      .Folder("Plugins/")
      .File("Plugins/Icons.dll", "icons")
      .Folder("Plugins/Sub/")
      .File("Plugins/Sub/x.txt", "x")
      .File("b.txt", "b");

  EXPECT_EQ(Extract(zip), -1);

  EXPECT_TRUE(lktest::ListFolder(outside.Path()).empty());
  EXPECT_EQ(ListTree(target_), Tree{L"Plugins ->"}) << Describe(ListTree(target_));
}

TEST_F(PayloadExtraction, ArchiveThatDoesNotOpenChangesNothing) {
  TestZipWriter zip;
  zip.Folder("Sub/").File("Sub/a.txt", std::string(5000, 'a')).File("b.txt", "b");
  const std::string bytes = zip.Bytes();
  const std::wstring before = CurrentDirectory();
  for (size_t length : {size_t{0}, bytes.size() / 2, bytes.size() - 5}) {
    SCOPED_TRACE(length);
    const std::string cut = bytes.substr(0, length);
    const std::wstring archive = scratch_ / L"cut.zip";
    ASSERT_TRUE(WriteFileBytes(archive, cut));
    EXPECT_EQ(UnpackArchive(archive.c_str(), target_.c_str(), 0), -1);
    EXPECT_EQ(Unpack(cut, target_, 0), -1);
    EXPECT_TRUE(ListTree(target_).empty());
    EXPECT_EQ(CurrentDirectory(), before);
  }
  EXPECT_EQ(UnpackArchive(nullptr, target_.c_str(), 0), -1);
  EXPECT_EQ(UnpackArchive(L"", target_.c_str(), 0), -1);
}

TEST_F(PayloadExtraction, MissingTargetFolderIsAFailure) {
  const std::wstring before = CurrentDirectory();
  const std::wstring missing = scratch_ / L"missing\\";
  EXPECT_EQ(ExtractEmbedded(missing, 0), -1);
  EXPECT_FALSE(FolderExists(missing));
  EXPECT_EQ(CurrentDirectory(), before);
}

TEST_F(PayloadExtraction, PayloadIsReadFromTheExecutableWithoutATemporaryFolder) {
  // TMP and TEMP name a folder that does not exist, and a file of the name the payload was
  // once copied to waits in the usual one: neither matters any more.
  const std::wstring oldCopy = temp_ / L"lkmaing_x64.zip";
  ASSERT_TRUE(WriteFileBytes(oldCopy, "somebody else's file"));
  tempContents_ = {L"lkmaing_x64.zip"};
  const std::wstring missing = scratch_ / L"no_temp\\";
  lktest::ScopedEnvironmentVariable tmp(L"TMP", missing.c_str());
  lktest::ScopedEnvironmentVariable temp(L"TEMP", missing.c_str());

  EXPECT_EQ(ExtractEmbedded(target_, 0), 0);
  for (const PayloadFile& file : kPayloadFiles) {
    EXPECT_TRUE(FileExists(target_ + file.path)) << lktest::Narrow(file.path);
  }
  EXPECT_FALSE(FolderExists(missing));
  EXPECT_EQ(ReadFileBytes(oldCopy), "somebody else's file");
}

TEST_F(PayloadExtraction, EntriesOfEverySizeArriveWhole) {
  // Sizes around the read-ahead buffer and beyond the block minizip reads at once, with
  // data that does not compress, so the compressed data crosses those borders too.
  std::string noise(700000, '\0');
  uint32_t seed = 12345;
  for (char& c : noise) {
    seed = seed * 1103515245u + 12345u;
    c = static_cast<char>(seed >> 24);
  }
  const size_t sizes[] = {0, 1, 8191, 8192, 8193, 300000, 700000};
  TestZipWriter zip;
  for (size_t size : sizes) {
    zip.File(std::string("n") + std::to_string(size) + ".bin", noise.substr(0, size));
  }
  ASSERT_EQ(Extract(zip), 0);
  for (size_t size : sizes) {
    SCOPED_TRACE(size);
    EXPECT_TRUE(ReadFileBytes(target_ + L"n" + std::to_wstring(size) + L".bin") ==
                noise.substr(0, size));
  }
}

// The embedded payload is checked against the digest built in while it is unpacked, and
// the unpacking fails when it does not match; the file it is read from cannot be written,
// deleted or renamed while it is held.
TEST_F(PayloadExtraction, PayloadIsUnpackedOnlyWhenItMatchesItsDigest) {
  PayloadSource source;
  ASSERT_TRUE(OpenPayloadSource(&source));
  EXPECT_TRUE(IsPayloadIntact(source));
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  lk::ScopedFileHandle writer(CreateFileW(self, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                          nullptr, OPEN_EXISTING, 0, nullptr));
  EXPECT_FALSE(writer);
  const std::wstring moved = scratch_ / L"moved.exe";
  EXPECT_FALSE(MoveFileW(self, moved.c_str()));

  source.digest[kDigestBytes / 2] ^= 1;
  EXPECT_FALSE(IsPayloadIntact(source));
  const std::wstring before = CurrentDirectory();
  InstallTransaction transaction(target_.c_str());
  EXPECT_EQ(ExtractPayload(source, target_.c_str(), 0, &transaction), -1);
  EXPECT_EQ(CurrentDirectory(), before);
  EXPECT_TRUE(transaction.RollBack());
  EXPECT_TRUE(ListTree(target_).empty()) << Describe(ListTree(target_));
}

TEST(FindImageDataInFile, FindsResourcesOfTheImageOnlyInsideItsSections) {
  HMODULE self = GetModuleHandleW(nullptr);
  HRSRC info = FindResourceW(self, MAKEINTRESOURCEW(210), L"ZIP");
  ASSERT_NE(info, nullptr);
  const void* data = LockResource(LoadResource(self, info));
  const DWORD size = SizeofResource(self, info);
  FileSpan span = {};
  ASSERT_TRUE(FindImageDataInFile(self, data, size, &span));
  // The file holds the same bytes at that offset.
  wchar_t path[MAX_PATH];
  ASSERT_NE(GetModuleFileNameW(nullptr, path, MAX_PATH), 0u);
  const std::string file = ReadFileBytes(path);
  ASSERT_GE(file.size(), span.offset + span.size);
  EXPECT_EQ(span.size, size);
  EXPECT_TRUE(file.compare(span.offset, size, static_cast<const char*>(data), size) == 0);

  const char onTheStack[16] = {};
  EXPECT_FALSE(FindImageDataInFile(self, onTheStack, sizeof(onTheStack), &span));
  EXPECT_FALSE(FindImageDataInFile(nullptr, data, size, &span));
  EXPECT_FALSE(FindImageDataInFile(self, data, 0x7FFFFFFF, &span));
}

TEST_F(PayloadExtraction, MakeDirectoryPathCreatesMissingParents) {
  ASSERT_TRUE(SetCurrentDirectoryW(scratch_.Path().c_str()));
  ASSERT_TRUE(CreateDirectoryW(L"existing", nullptr));
  ASSERT_TRUE(WriteFileBytes(scratch_ / L"file.txt", "a file, not a folder"));
  struct Case {
    const wchar_t* path;
    bool absolute;  // below the scratch folder by its full path
    int expected;
    const wchar_t* folder;  // must exist afterwards (relative to the scratch folder)
  };
  const Case cases[] = {
      {L"", false, 0, nullptr},
      {L"a\\b\\c", false, 1, L"a\\b\\c"},
      {L"d/e/", false, 1, L"d\\e"},
      {L"existing", false, 1, L"existing"},
      {L"existing\\f\\", false, 1, L"existing\\f"},
      {L"file.txt\\sub", false, 0, nullptr},
      {L"g\\h\\i", true, 1, L"g\\h\\i"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(lktest::Narrow(c.path));
    const std::wstring path = c.absolute ? scratch_ / c.path : c.path;
    EXPECT_EQ(MakeDirectoryPath(path.c_str()), c.expected);
    if (c.folder) {
      EXPECT_TRUE(FolderExists(scratch_ / c.folder));
    }
  }
  EXPECT_FALSE(FolderExists(scratch_ / L"file.txt\\sub"));
}

TEST_F(PayloadExtraction, SetFileTimeFromDosSetsCreationAndLastWriteOnly) {
  const std::wstring file = scratch_ / L"stamped.txt";
  ASSERT_TRUE(WriteFileBytes(file, "content"));
  SYSTEMTIME accessedAt = {2020, 1, 0, 2, 3, 4, 5, 0};
  FILETIME accessed;
  SystemTimeToFileTime(&accessedAt, &accessed);
  {
    lk::ScopedFileHandle h(
        CreateFileW(file.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(SetFileTime(h.Get(), nullptr, &accessed, nullptr));
  }

  SetFileTimeFromDos(file.c_str(), lktest::kTestEntryTime);

  const WIN32_FILE_ATTRIBUTE_DATA after = Attributes(file);
  // Wine reports the last-write time as creation time; Windows shows the creation stamp.
  EXPECT_EQ(LocalText(after.ftCreationTime), kArchiveTime);
  EXPECT_EQ(LocalText(after.ftLastWriteTime), kArchiveTime);
  EXPECT_TRUE(SameTime(after.ftLastAccessTime, accessed));
  EXPECT_EQ(ReadFileBytes(file), "content");

  SetFileTimeFromDos((scratch_ / L"missing.txt").c_str(), lktest::kTestEntryTime);
  EXPECT_FALSE(FileExists(scratch_ / L"missing.txt"));
}

}  // namespace
