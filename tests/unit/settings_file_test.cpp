#include <gtest/gtest.h>

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/settings_file.h"
#include "framework/file_identity.h"
#include "framework/file_links.h"
#include "framework/scoped_handles.h"
#include "payload/install_journal.h"
#include "payload/install_transaction.h"
#include "support/test_support.h"

namespace {

const std::wstring kHeaderLine = L"; UNICODE FILE - edit with care ;-)\r\n";
const std::wstring kHeader = kHeaderLine + L"\r\n";

std::string Utf16Bytes(const std::wstring& text) {
  return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

// The bytes of a settings file in its UTF-16 form with the given content after the header.
std::string UnicodeFileBytes(const std::wstring& content) {
  return "\xFF\xFE" + Utf16Bytes(kHeader + content);
}

// The text of a UTF-16 file after its byte-order mark (empty when it has none).
std::wstring ReadUnicodeText(const std::wstring& path) {
  std::string bytes = lktest::ReadFileBytes(path);
  if (bytes.size() < 2 || bytes.compare(0, 2, "\xFF\xFE") != 0) return L"";
  std::wstring text((bytes.size() - 2) / 2, L'\0');
  memcpy(&text[0], bytes.data() + 2, text.size() * sizeof(wchar_t));
  return text;
}

bool Contains(const std::wstring& text, const std::wstring& part) {
  return text.find(part) != std::wstring::npos;
}
bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// A converted settings file starts with the header, and has it only once.
void ExpectHeaderOnce(const std::wstring& text, const std::wstring& header = kHeader) {
  EXPECT_EQ(text.compare(0, header.size(), header), 0) << lktest::Narrow(text);
  EXPECT_EQ(text.find(L"UNICODE FILE", header.size()), std::wstring::npos)
      << lktest::Narrow(text);
}

std::wstring GermanLanguageSection() {
  return L"[Language]\r\nDLL=DEUTSCH.DLL\r\nLang=Deutsch\r\n";
}

std::wstring ToolbarSection(const ToolbarSkin& skin) {
  return std::wstring(L"[Toolbar]\r\nSkin=") + skin.skin + L"\r\nSize=" + skin.size + L"\r\n";
}

// A program folder in a scratch place, and one installation's settings steps on it.
class SettingsInstallation {
 public:
  SettingsInstallation() {
    CreateDirectoryW((temp / L"Program Files").c_str(), nullptr);
    CreateDirectoryW(programFolder.c_str(), nullptr);
  }

  // Prepares the settings, then converts the settings file as the installation does.
  std::wstring Install(const wchar_t* settingsFolder) {
    wchar_t settingsFile[MAX_PATH] = {};
    PrepareSettingsFile(programFolder.c_str(), settingsFolder, settingsFile);
    if (FILE* file = OpenSettingsFile(settingsFile)) ConvertSettingsToUnicode(settingsFile, file);
    return settingsFile;
  }

  lktest::TempFolder temp;
  // Like the default folder: no trailing backslash.
  std::wstring programFolder = temp / L"Program Files\\Lumenkast";
  std::wstring programIni = programFolder + L"\\lk_main64.ini";
};

TEST(PrepareSettingsFile, FreshInstallKeepsTheSettingsNextToTheViewer) {
  SettingsInstallation setup;
  EXPECT_EQ(setup.Install(L""), setup.programIni);

  std::wstring text = ReadUnicodeText(setup.programIni);
  ExpectHeaderOnce(text);
  EXPECT_TRUE(Contains(text, GermanLanguageSection())) << lktest::Narrow(text);
  EXPECT_TRUE(Contains(text, ToolbarSection(ChooseToolbarSkin()))) << lktest::Narrow(text);
  EXPECT_FALSE(Contains(text, L"INI_Folder"));
  EXPECT_FALSE(lktest::FileExists(setup.temp / L"Program Files\\Lumenkast\\lk_main64.ini_temp"));
}

TEST(PrepareSettingsFile, AppDataFolderGetsTheSettingsAndTheProgramFolderOnlyThePointer) {
  SettingsInstallation setup;
  lktest::ScopedEnvironmentVariable appData(L"APPDATA", (setup.temp / L"Roaming").c_str());

  std::wstring settingsFile = setup.Install(L"%APPDATA%\\Lumenkast");

  EXPECT_EQ(settingsFile, setup.temp / L"Roaming\\Lumenkast\\lk_main64.ini");
  std::string pointer = lktest::ReadFileBytes(setup.programIni);
  EXPECT_EQ(pointer, "[Others]\r\nINI_Folder=%APPDATA%\\Lumenkast\r\n");

  std::wstring text = ReadUnicodeText(settingsFile);
  ExpectHeaderOnce(text);
  EXPECT_TRUE(Contains(text, GermanLanguageSection())) << lktest::Narrow(text);
  EXPECT_TRUE(Contains(text, ToolbarSection(ChooseToolbarSkin()))) << lktest::Narrow(text);
  EXPECT_FALSE(Contains(text, L"INI_Folder"));
}

TEST(PrepareSettingsFile, ReinstallInTheProgramFolderDropsTheFolderPointerOnly) {
  SettingsInstallation setup;
  ASSERT_TRUE(lktest::WriteFileBytes(setup.programIni,
                                     "[Others]\r\nINI_Folder=%APPDATA%\\Lumenkast\r\nStartUp=1\r\n"
                                     "[Toolbar]\r\nSkin=custom.png\r\nSize=20\r\n"));
  setup.Install(L"");

  std::wstring text = ReadUnicodeText(setup.programIni);
  ExpectHeaderOnce(text);
  EXPECT_FALSE(Contains(text, L"INI_Folder")) << lktest::Narrow(text);
  EXPECT_TRUE(Contains(text, L"StartUp=1\r\n"));
  EXPECT_TRUE(Contains(text, L"[Toolbar]\r\nSkin=custom.png\r\nSize=20\r\n"));
  EXPECT_TRUE(Contains(text, GermanLanguageSection()));
}

TEST(PrepareSettingsFile, UnicodeFileKeepsItsSkinAndGetsNoSecondHeader) {
  SettingsInstallation setup;
  ASSERT_TRUE(lktest::WriteFileBytes(
      setup.programIni, UnicodeFileBytes(L"[Language]\r\nDLL=ENGLISH.DLL\r\nLang=English\r\n"
                                         L"[Toolbar]\r\nSkin=custom.png\r\nSize=20\r\n")));
  setup.Install(L"");

  // Wine's profile writer drops the empty line below the header when it rewrites the file.
  std::wstring text = ReadUnicodeText(setup.programIni);
  ExpectHeaderOnce(text, kHeaderLine);
  EXPECT_TRUE(Contains(text, GermanLanguageSection())) << lktest::Narrow(text);
  EXPECT_TRUE(Contains(text, L"[Toolbar]\r\nSkin=custom.png\r\nSize=20\r\n"));
  EXPECT_FALSE(Contains(text, L"ENGLISH"));
}

TEST(PrepareSettingsFile, OldAnsiFileIsConvertedWithItsUmlauts) {
  ASSERT_EQ(GetACP(), 1252u);
  SettingsInstallation setup;
  ASSERT_TRUE(lktest::WriteFileBytes(setup.programIni,
                                     "[Viewer]\r\nLastFolder=C:\\Bilder\\Gr\xFC\xDF"
                                     "e \xE4\xF6\xFC \xC4\xD6\xDC \x80\r\n"));
  setup.Install(L"");

  std::wstring text = ReadUnicodeText(setup.programIni);
  ExpectHeaderOnce(text);
  EXPECT_TRUE(Contains(text, L"[Viewer]\r\nLastFolder=C:\\Bilder\\Gr\u00FC\u00DFe "
                             L"\u00E4\u00F6\u00FC \u00C4\u00D6\u00DC \u20AC\r\n"))
      << lktest::Narrow(text);
  EXPECT_TRUE(Contains(text, GermanLanguageSection()));
}

TEST(PrepareSettingsFile, PortableFolderMirrorsLanguageAndSkinIntoTheProgramFolder) {
  struct Case {
    const wchar_t* folder;
    bool mirrored;
  };
  const Case cases[] = {
      {L"Portable\\Lumenkast64_App\\Data", true},
      {L"Portable\\Lumenkast32_App", true},
      {L"Portable\\lumenkast64_app\\Data", false},  // the marker is case-sensitive
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(lktest::Narrow(c.folder));
    SettingsInstallation setup;
    std::wstring folder = setup.temp / c.folder;

    std::wstring settingsFile = setup.Install(folder.c_str());

    EXPECT_EQ(settingsFile, folder + L"\\lk_main64.ini");
    std::wstring text = ReadUnicodeText(settingsFile);
    EXPECT_TRUE(Contains(text, GermanLanguageSection())) << lktest::Narrow(text);
    EXPECT_TRUE(Contains(text, ToolbarSection(ChooseToolbarSkin())));

    std::string program = lktest::ReadFileBytes(setup.programIni);
    EXPECT_TRUE(Contains(program, "[Others]\r\nINI_Folder=" + lktest::Narrow(folder) + "\r\n"))
        << program;
    EXPECT_EQ(Contains(program, "[Language]\r\nDefaultLang=DEUTSCH.DLL\r\nLang=Deutsch\r\n"),
              c.mirrored)
        << program;
    EXPECT_EQ(Contains(program, "[Toolbar]\r\nSkin=Kelstrom_24.png\r\nSize=24\r\n"), c.mirrored)
        << program;
  }
}

TEST(PrepareSettingsFile, PortableFolderWithASkinMirrorsOnlyTheLanguage) {
  SettingsInstallation setup;
  std::wstring folder = setup.temp / L"Lumenkast64_App\\Data\\";
  CreateDirectoryW((setup.temp / L"Lumenkast64_App").c_str(), nullptr);
  CreateDirectoryW(folder.c_str(), nullptr);
  ASSERT_TRUE(lktest::WriteFileBytes(folder + L"lk_main64.ini",
                                     "[Toolbar]\r\nSkin=custom.png\r\nSize=20\r\n"));
  setup.Install(folder.c_str());

  std::string program = lktest::ReadFileBytes(setup.programIni);
  EXPECT_TRUE(Contains(program, "DefaultLang=DEUTSCH.DLL")) << program;
  EXPECT_FALSE(Contains(program, "[Toolbar]")) << program;
  EXPECT_TRUE(Contains(ReadUnicodeText(folder + L"lk_main64.ini"), L"Skin=custom.png\r\n"));
}

// Texts that name no usable folder: the settings stay next to the viewer instead of
// going to a bare "lk_main64.ini", which would land in the Windows folder, or to a folder
// that cannot be created, where they would be nowhere.
TEST(PrepareSettingsFile, FolderTextWithoutUsableFolderKeepsTheSettingsInTheProgramFolder) {
  lktest::ScopedEnvironmentVariable undefined(L"LK_NOSUCHVAR", nullptr);
  lktest::ScopedEnvironmentVariable huge(L"LK_HUGE", std::wstring(300, L'a').c_str());
  lktest::TempFolder scratch;
  // A folder that leaves no room for the file name within MAX_PATH.
  const std::wstring tooLong = scratch.Path() + std::wstring(250 - scratch.Path().size(), L'd');
  // A file where a folder of the path belongs.
  const std::wstring blocker = scratch / L"Datei";
  ASSERT_TRUE(lktest::WriteFileBytes(blocker, "x"));
  const std::wstring texts[] = {L"%LK_NOSUCHVAR%",        L"%LK_NOSUCHVAR%%LK_NOSUCHVAR%",
                                L"   ",                   L" %LK_NOSUCHVAR% ",
                                L"%LK_HUGE%\\Lumenkast",  tooLong,
                                L"Q:\\Settings",          blocker + L"\\Settings"};
  for (const std::wstring& settingsFolder : texts) {
    SCOPED_TRACE(lktest::Narrow(settingsFolder));
    SettingsInstallation setup;
    ASSERT_TRUE(lktest::WriteFileBytes(setup.programIni, "[Others]\r\nINI_Folder=old\r\n"));

    EXPECT_EQ(setup.Install(settingsFolder.c_str()), setup.programIni);

    std::wstring text = ReadUnicodeText(setup.programIni);
    EXPECT_TRUE(Contains(text, GermanLanguageSection())) << lktest::Narrow(text);
    EXPECT_FALSE(Contains(text, L"INI_Folder")) << lktest::Narrow(text);
  }
  wchar_t windows[MAX_PATH] = {};
  GetWindowsDirectoryW(windows, MAX_PATH);
  EXPECT_FALSE(lktest::FileExists(std::wstring(windows) + L"\\lk_main64.ini"));
}

// A settings file that is a hard link to a file outside: the outside file keeps its bytes
// (nothing written through the link) and nothing of it is copied in; the settings file is a
// new one of its own with every key, as after an installation without one.
TEST(PrepareSettingsFile, HardLinkedSettingsFileIsReplacedNeverWrittenThrough) {
  const std::string outsideBytes = "[Viewer]\r\nSecret=outside\r\n[Toolbar]\r\nSkin=x.png\r\n";
  struct Case {
    const char* what;
    const wchar_t* settingsFolder;  // under the scratch folder; null for the program folder
    bool linkTheProgramFile;
  };
  const Case cases[] = {
      {"settings in the program folder", nullptr, true},
      {"settings in their own folder", L"Roaming\\Lumenkast", false},
      {"program-folder file beside a settings folder", L"Roaming\\Lumenkast", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SettingsInstallation setup;
    lktest::TempFolder outside;
    const std::wstring victim = outside / L"victim.ini";
    ASSERT_TRUE(lktest::WriteFileBytes(victim, outsideBytes));
    const std::wstring folder = c.settingsFolder ? setup.temp / c.settingsFolder : L"";
    if (!folder.empty()) {
      CreateDirectoryW((setup.temp / L"Roaming").c_str(), nullptr);
      CreateDirectoryW(folder.c_str(), nullptr);
    }
    const std::wstring linked =
        c.linkTheProgramFile ? setup.programIni : folder + L"\\lk_main64.ini";
    ASSERT_TRUE(CreateHardLinkW(linked.c_str(), victim.c_str(), nullptr));

    const std::wstring settingsFile = setup.Install(folder.c_str());

    EXPECT_EQ(lktest::ReadFileBytes(victim), outsideBytes);
    EXPECT_EQ(lk::QueryLinkState(linked.c_str()), lk::LinkState::kPlain);
    const std::wstring text = ReadUnicodeText(settingsFile);
    ExpectHeaderOnce(text);
    EXPECT_TRUE(Contains(text, GermanLanguageSection())) << lktest::Narrow(text);
    EXPECT_TRUE(Contains(text, ToolbarSection(ChooseToolbarSkin()))) << lktest::Narrow(text);
    EXPECT_FALSE(Contains(text, L"outside")) << lktest::Narrow(text);
    if (!folder.empty()) {
      EXPECT_EQ(lktest::ReadFileBytes(setup.programIni),
                "[Others]\r\nINI_Folder=" + lktest::Narrow(folder) + "\r\n");
    }
  }
}

// A settings file that became a hard link after it was prepared is not converted: neither
// the installation's way of opening it nor a stream opened elsewhere reads it, and only the
// name in the settings folder goes.
TEST(ConvertSettingsToUnicode, NeverReadsOrWritesThroughAHardLink) {
  const std::string outsideBytes = "[Viewer]\r\nSecret=outside\r\n";
  for (bool openedByTheInstallation : {true, false}) {
    SCOPED_TRACE(openedByTheInstallation ? "OpenSettingsFile" : "_wfopen");
    lktest::TempFolder outside;
    const std::wstring victim = outside / L"victim.ini";
    ASSERT_TRUE(lktest::WriteFileBytes(victim, outsideBytes));
    lktest::TempFolder folder;
    const std::wstring settingsFile = folder / L"lk_main64.ini";
    ASSERT_TRUE(CreateHardLinkW(settingsFile.c_str(), victim.c_str(), nullptr));

    if (openedByTheInstallation) {
      EXPECT_EQ(OpenSettingsFile(settingsFile.c_str()), nullptr);
    } else {
      EXPECT_TRUE(ConvertSettingsToUnicode(settingsFile.c_str(),
                                           _wfopen(settingsFile.c_str(), L"rb")));
    }

    EXPECT_EQ(lktest::ReadFileBytes(victim), outsideBytes);
    EXPECT_TRUE(lktest::ListFolder(folder.Path()).empty());
  }
}

// A settings folder reached through a link (every link is a user's under Wine): the folder
// itself, its parent, or a link above a folder still to be made. Nothing is made or
// written where the link leads; the settings stay next to the viewer, complete, and the
// viewer is not pointed elsewhere.
TEST(PrepareSettingsFile, SettingsFolderReachedThroughALinkKeepsTheSettingsWithTheViewer) {
  const wchar_t* const folders[] = {L"inilink", L"parentlink\\Lumenkast",
                                    L"parentlink\\New\\Lumenkast"};
  for (const wchar_t* relative : folders) {
    SCOPED_TRACE(lktest::Narrow(relative));
    SettingsInstallation setup;
    lktest::TempFolder outside;
    ASSERT_TRUE(CreateDirectoryW((outside / L"Lumenkast").c_str(), nullptr));
    const lktest::ScopedSymbolicLink folderLink(outside / L"Lumenkast", setup.temp / L"inilink");
    const lktest::ScopedSymbolicLink parentLink(outside.Path(), setup.temp / L"parentlink");
    ASSERT_TRUE(folderLink.Made() && parentLink.Made());
    const std::wstring folder = setup.temp / relative;

    EXPECT_EQ(setup.Install(folder.c_str()), setup.programIni);

    EXPECT_EQ(lktest::ListTree(outside.Path()), std::vector<std::wstring>{L"Lumenkast\\"});
    const std::wstring text = ReadUnicodeText(setup.programIni);
    EXPECT_TRUE(Contains(text, GermanLanguageSection())) << lktest::Narrow(text);
    EXPECT_TRUE(Contains(text, ToolbarSection(ChooseToolbarSkin()))) << lktest::Narrow(text);
    EXPECT_FALSE(Contains(text, L"INI_Folder")) << lktest::Narrow(text);
  }
}

// The conversion's copy and its move are checked through their handles: a settings file
// whose folder is reached through a link is not converted, and nothing is made there.
TEST(ConvertSettingsToUnicode, NothingIsConvertedInAFolderReachedThroughALink) {
  lktest::TempFolder outside;
  const std::string settings = "[Viewer]\r\nName=x\r\n";
  ASSERT_TRUE(lktest::WriteFileBytes(outside / L"lk_main64.ini", settings));
  lktest::TempFolder scratch;
  const lktest::ScopedSymbolicLink link(outside.Path(), scratch / L"linked");
  ASSERT_TRUE(link.Made());
  const std::wstring settingsFile = scratch / L"linked\\lk_main64.ini";

  EXPECT_EQ(OpenSettingsFile(settingsFile.c_str()), nullptr);
  EXPECT_FALSE(ConvertSettingsToUnicode(settingsFile.c_str(),
                                        _wfopen(settingsFile.c_str(), L"rb")));

  EXPECT_EQ(lktest::ReadFileBytes(outside / L"lk_main64.ini"), settings);
  EXPECT_EQ(lktest::ListFolder(outside.Path()), std::vector<std::wstring>{L"lk_main64.ini"});
}

TEST(ExpandVariableReferences, ReplacesReferencesAndDropsUndefinedOnes) {
  lktest::ScopedEnvironmentVariable undefined(L"LK_NOSUCHVAR", nullptr);
  lktest::ScopedEnvironmentVariable dir(L"LK_DIR", L"C:\\Data");
  const std::wstring long249(249, L'l');
  lktest::ScopedEnvironmentVariable longValue(L"LK_LONG", long249.c_str());
  lktest::ScopedEnvironmentVariable huge(L"LK_HUGE", std::wstring(300, L'h').c_str());
  struct Case {
    std::wstring text;
    std::wstring expanded;
  };
  const Case cases[] = {
      {L"%LK_NOSUCHVAR%\\S", L"\\S"},
      {L"%LK_DIR%\\Lumenkast", L"C:\\Data\\Lumenkast"},
      {L"%LK_DIR%;%LK_NOSUCHVAR%;%LK_DIR%", L"C:\\Data;;C:\\Data"},
      {L"x\\%LK_DIR", L"x\\C:\\Data"},  // an unclosed name runs to the end
      {L"50%", L"50"},
      {L"%%a", L"a"},
      {L"D:\\Plain", L"D:\\Plain"},
      {L"", L""},
      {L"%LK_LONG%\\Lumenkast", long249 + L"\\Lumenkast"},  // 259 characters: fits
      {L"%LK_LONG%\\Lumenkast2", L""},                      // 260: does not fit
      {L"%LK_HUGE%", L""},
  };
  for (const Case& c : cases) {
    wchar_t expanded[MAX_PATH];
    wmemset(expanded, L'#', MAX_PATH);
    ExpandVariableReferences(c.text.c_str(), expanded);
    EXPECT_EQ(std::wstring(expanded), c.expanded) << lktest::Narrow(c.text);
  }
}

TEST(ChooseToolbarSkinFor, PicksTheFirstRuleThatHolds) {
  struct Case {
    int height;
    int scale;
    const wchar_t* skin;
    const wchar_t* size;
  };
  const Case cases[] = {
      {1600, 100, L"gnome-colors-human_48.png", L"48"},
      {1599, 100, L"gnome-colors-wise_32.png", L"32"},
      {700, 170, L"gnome-colors-human_48.png", L"48"},
      {1000, 169, L"gnome-colors-wise_32.png", L"32"},
      {1201, 100, L"gnome-colors-wise_32.png", L"32"},
      {1200, 100, L"Kelstrom_24.png", L"24"},
      {1000, 150, L"gnome-colors-wise_32.png", L"32"},
      {1000, 149, L"Kelstrom_24.png", L"24"},
      {767, 150, L"gnome-colors-wise_32.png", L"32"},
      {767, 100, L"Marlow_16.png", L"16"},
      {768, 100, L"Kelstrom_24.png", L"24"},
      {1170, 100, L"Kelstrom_24.png", L"24"},  // 1920x1200 at 96 dots per inch
      {1170, 175, L"gnome-colors-human_48.png", L"48"},
  };
  for (const Case& c : cases) {
    ToolbarSkin skin = ChooseToolbarSkinFor(c.height, c.scale);
    EXPECT_STREQ(skin.skin, c.skin) << c.height << " " << c.scale;
    EXPECT_STREQ(skin.size, c.size) << c.height << " " << c.scale;
  }
}

// A settings file in a scratch folder, opened the way the installation hands it over.
class SettingsConversion {
 public:
  explicit SettingsConversion(const std::string& bytes) { lktest::WriteFileBytes(path, bytes); }
  bool Convert() { return ConvertSettingsToUnicode(path.c_str(), _wfopen(path.c_str(), L"rb")); }

  // What the folder holds besides the settings file: nothing, once the conversion is over.
  std::vector<std::wstring> Others() const {
    std::vector<std::wstring> names = lktest::ListFolder(temp.Path());
    names.erase(std::remove(names.begin(), names.end(), L"lk_main64.ini"), names.end());
    return names;
  }

  lktest::TempFolder temp;
  std::wstring path = temp / L"lk_main64.ini";
};

TEST(ConvertSettingsToUnicode, KeepsEveryLineEndAcrossPieces) {
  ASSERT_EQ(GetACP(), 1252u);
  // A line longer than one piece with umlauts on both sides of the piece border,
  // LF-only and CR LF line ends, and a last line without a line end.
  std::string longLine = "Long=" + std::string(2040, 'x') + "\xE4\xF6\xFC" + "yy\r\n";
  std::wstring longLineText =
      L"Long=" + std::wstring(2040, L'x') + L"\u00E4\u00F6\u00FC" + L"yy\r\n";
  SettingsConversion file("[Viewer]\nName=\xC4rger\r\n" + longLine + "Last=\x80");

  EXPECT_TRUE(file.Convert());

  EXPECT_EQ(lktest::ReadFileBytes(file.path),
            UnicodeFileBytes(L"[Viewer]\nName=\u00C4rger\r\n" + longLineText + L"Last=\u20AC"));
  EXPECT_TRUE(file.Others().empty());
}

// The copy is never written into a file or link that is there already: a name planted
// beside the settings file (the folder may be the user's) is left as it is.
TEST(ConvertSettingsToUnicode, CopyGoesToANewFileNeverToAPlantedOne) {
  SettingsConversion file("[Viewer]\r\nName=x\r\n");
  lktest::TempFolder elsewhere;
  const std::wstring victim = elsewhere / L"victim.txt";
  ASSERT_TRUE(lktest::WriteFileBytes(victim, "victim"));
  const std::wstring planted = file.temp / L"lk_main64.ini_temp";
  const lktest::ScopedSymbolicLink link(victim, planted);
  ASSERT_TRUE(link.Made());

  EXPECT_TRUE(file.Convert());

  EXPECT_EQ(lktest::ReadFileBytes(file.path), UnicodeFileBytes(L"[Viewer]\r\nName=x\r\n"));
  EXPECT_EQ("victim", lktest::ReadFileBytes(victim));
  EXPECT_EQ(std::vector<std::wstring>{L"lk_main64.ini_temp"}, file.Others());
}

// In an installation, the journal learns the copy's name before the copy exists and its
// identity once it does: the converted settings file is the very file the journal names
// under the copy's name, so a run killed while the copy lay beside the settings file leaves
// nothing the next run does not know to remove.
TEST(ConvertSettingsToUnicode, TheInstallationsJournalKnowsTheCopy) {
  SettingsConversion file("[Viewer]\r\nName=x\r\n");
  {
    // A run that ends without commit or rollback, as a killed one does.
    InstallTransaction killed(file.temp.Path().c_str());
    ASSERT_TRUE(killed.Begin());
    ASSERT_TRUE(ConvertSettingsToUnicode(file.path.c_str(), _wfopen(file.path.c_str(), L"rb"),
                                         &killed));
  }

  std::vector<CreatedEntry> created;
  ASSERT_TRUE(ReadInstallJournal(
      file.temp / (std::wstring(kSetAsideFolderName) + L"\\" + kJournalFileName), &created));
  ASSERT_EQ(1u, created.size());
  EXPECT_EQ(0u, created[0].name.rfind(L"lk_main64.ini_", 0)) << lktest::Narrow(created[0].name);
  EXPECT_TRUE(created[0].identified);
  lk::FileIdentity converted;
  ASSERT_TRUE(lk::QueryFileIdentity(file.path.c_str(), &converted));
  EXPECT_TRUE(created[0].identity == converted);
  EXPECT_EQ(Recovery::kDone, InstallTransaction::RecoverLeftovers(file.temp.Path().c_str()));
  EXPECT_TRUE(file.Others().empty());
}

// The copy's name fits wherever the fixed "lk_main64.ini_temp" of earlier versions did: in
// a folder that leaves exactly room for that name within MAX_PATH.
TEST(ConvertSettingsToUnicode, WorksInAFolderWithRoomForTheFixedTemporaryNameOnly) {
  lktest::TempFolder temp;
  const size_t room = MAX_PATH - 1 - wcslen(L"lk_main64.ini_temp");
  std::wstring folder = temp.Path();
  while (folder.size() < room) {
    const size_t remaining = room - folder.size();
    folder += std::wstring(remaining > 201 ? 100 : remaining - 1, L'f') + L"\\";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr)) << lktest::Narrow(folder);
  }
  ASSERT_EQ(folder.size() + wcslen(L"lk_main64.ini_temp"), static_cast<size_t>(MAX_PATH - 1));
  const std::wstring settingsFile = folder + L"lk_main64.ini";
  ASSERT_TRUE(lktest::WriteFileBytes(settingsFile, "[Viewer]\r\nName=x\r\n"));

  EXPECT_TRUE(ConvertSettingsToUnicode(settingsFile.c_str(),
                                       OpenSettingsFile(settingsFile.c_str())));

  EXPECT_EQ(lktest::ReadFileBytes(settingsFile), UnicodeFileBytes(L"[Viewer]\r\nName=x\r\n"));
  EXPECT_EQ(lktest::ListFolder(folder), std::vector<std::wstring>{L"lk_main64.ini"});
}

TEST(ConvertSettingsToUnicode, LeavesUnicodeAndEmptyFilesAloneAndClosesThem) {
  const std::string cases[] = {UnicodeFileBytes(L"[Language]\r\nLang=Deutsch\r\n"), ""};
  for (const std::string& bytes : cases) {
    SettingsConversion file(bytes);
    EXPECT_TRUE(file.Convert());
    EXPECT_EQ(lktest::ReadFileBytes(file.path), bytes);
    EXPECT_TRUE(file.Others().empty());
    EXPECT_TRUE(DeleteFileW(file.path.c_str())) << "settings file still open";
  }
}

// Hands out the first part of a settings file through a pipe and then breaks the pipe,
// so that reading fails midway, as it does from a failing disk or network share.
class BreakingPipe {
 public:
  explicit BreakingPipe(const std::string& firstPart) {
    std::wstring name = L"\\\\.\\pipe\\lk_settings_" + std::to_wstring(GetCurrentProcessId());
    server_ = CreateNamedPipeW(name.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1,
                               65536, 65536, 0, nullptr);
    HANDLE client = CreateFileW(name.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD written = 0;
    if (server_ == INVALID_HANDLE_VALUE || client == INVALID_HANDLE_VALUE ||
        !WriteFile(server_, firstPart.data(), static_cast<DWORD>(firstPart.size()), &written,
                   nullptr)) {
      return;
    }
    reader_ = _fdopen(_open_osfhandle(reinterpret_cast<intptr_t>(client), _O_RDONLY), "rb");
    // Once the reader has taken the first part, the pipe breaks.
    breaker_ = CreateThread(nullptr, 0, [](void* server) -> DWORD {
      FlushFileBuffers(server);
      DisconnectNamedPipe(server);
      return 0;
    }, server_, 0, nullptr);
  }
  ~BreakingPipe() {
    if (breaker_) {
      WaitForSingleObject(breaker_, INFINITE);
      CloseHandle(breaker_);
    }
    if (server_ != INVALID_HANDLE_VALUE) CloseHandle(server_);
  }
  // The reading end, for binary reading; its new owner closes it.
  FILE* Reader() const { return reader_; }

 private:
  HANDLE server_ = INVALID_HANDLE_VALUE;
  HANDLE breaker_ = nullptr;
  FILE* reader_ = nullptr;
};

TEST(ConvertSettingsToUnicode, KeepsTheSettingsWhenNoCompleteCopyCanBeMade) {
  std::string settings = "[Viewer]\r\n";
  for (int line = 0; settings.size() < 6000; ++line) {
    settings += "Recent" + std::to_string(line) + "=C:\\Bilder\\Urlaub\\Bild.jpg\r\n";
  }
  {
    SCOPED_TRACE("temporary file cannot be created: the folder is gone");
    SettingsConversion file(settings);
    const std::wstring gone = file.temp / L"gone\\lk_main64.ini";
    EXPECT_FALSE(ConvertSettingsToUnicode(gone.c_str(), _wfopen(file.path.c_str(), L"rb")));
    EXPECT_EQ(lktest::ReadFileBytes(file.path), settings);
    EXPECT_TRUE(file.Others().empty());
  }
  {
    SCOPED_TRACE("the copy cannot replace the settings file: it is open elsewhere");
    SettingsConversion file(settings);
    lk::ScopedFileHandle reader(CreateFileW(file.path.c_str(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(reader);
    EXPECT_FALSE(file.Convert());
    reader.Reset();
    EXPECT_EQ(lktest::ReadFileBytes(file.path), settings);
    EXPECT_TRUE(file.Others().empty());
  }
  {
    SCOPED_TRACE("settings file cannot be read to its end");
    SettingsConversion file(settings);
    BreakingPipe pipe(settings.substr(0, 3000));
    ASSERT_NE(pipe.Reader(), nullptr);
    EXPECT_FALSE(ConvertSettingsToUnicode(file.path.c_str(), pipe.Reader()));
    EXPECT_EQ(lktest::ReadFileBytes(file.path), settings);
    EXPECT_TRUE(file.Others().empty());
  }
}

}  // namespace
