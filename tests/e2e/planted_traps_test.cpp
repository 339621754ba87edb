// What an ordinary user of the machine can plant before an elevated run, tried on the real
// setup and uninstaller: links and hard links where they act, a planted set-aside folder,
// a log name that leads elsewhere. Each row checks what the run reported and that nothing
// outside changed, byte for byte and attribute for attribute.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "framework/protected_folder.h"
#include "framework/scoped_handles.h"
#include "support/expected_texts.h"
#include "support/install_log_entry.h"
#include "support/installation_state.h"
#include "support/installation_test.h"
#include "support/uninstaller_process.h"
#include "support/test_support.h"

namespace lktest {
namespace {

constexpr wchar_t kTools[] = L"C:\\Tools\\";
constexpr wchar_t kTarget[] = L"C:\\Tools\\Lumenkast\\";
constexpr DWORD kReadOnlyHidden = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;

// Every name under a folder with its attributes and, for a file, its bytes.
struct Item {
  DWORD attributes;
  std::string bytes;
  bool operator==(const Item& other) const {
    return attributes == other.attributes && bytes == other.bytes;
  }
};
using Snapshot = std::map<std::wstring, Item>;

Snapshot Snap(const std::wstring& root) {
  Snapshot snapshot;
  for (const std::wstring& name : ListTree(root)) {
    const std::wstring path = root + name;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    const bool file = name.back() != L'\\' && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    snapshot[name] = {attributes, file ? ReadFileBytes(path) : std::string()};
  }
  return snapshot;
}

std::string Describe(const Snapshot& snapshot) {
  std::string text;
  for (const auto& item : snapshot) {
    text += Narrow(item.first) + "(" + std::to_string(item.second.attributes) + "," +
            std::to_string(item.second.bytes.size()) + ") ";
  }
  return text;
}

bool WriteFileWith(const std::wstring& path, const std::string& bytes, DWORD attributes) {
  return WriteFileBytes(path, bytes) && SetFileAttributesW(path.c_str(), attributes);
}

// The outside a trap leads to: a plain file, a read-only hidden one, a settings folder
// with a settings file, a plug-in folder, and a folder of files dressed as set aside.
class Outside {
 public:
  Outside() {
    CreateDirectoryW((folder_ / L"Lumenkast").c_str(), nullptr);
    CreateDirectoryW((folder_ / L"Plugins").c_str(), nullptr);
    CreateDirectoryW((folder_ / L"previous").c_str(), nullptr);
    WriteFileBytes(folder_ / L"victim.txt", "outside");
    WriteFileWith(folder_ / L"readonly.txt", "read-only", kReadOnlyHidden);
    WriteFileWith(folder_ / L"readonly.ini", "[Viewer]\r\nSecret=outside\r\n", kReadOnlyHidden);
    WriteFileBytes(folder_ / L"Lumenkast\\lk_main64.ini", "[Viewer]\r\nSecret=outside\r\n");
    WriteFileBytes(folder_ / L"Plugins\\plugin.dll", "plugin");
    WriteFileBytes(folder_ / L"previous\\lk_main64.exe", "planted viewer");
  }
  std::wstring operator/(const std::wstring& relative) const { return folder_ / relative; }
  const std::wstring& Path() const { return folder_.Path(); }

 private:
  TempFolder folder_;
};

bool Link(const std::wstring& target, const std::wstring& link) {
  return MakeSymbolicLink(target, link);
}
// A link to a name that does not exist: Wine shows no such link, so its being there shows
// only in what the run does.
bool LinkNowhere(const std::wstring& target, const std::wstring& link) {
  MakeSymbolicLink(target, link);
  return true;
}
bool HardLink(const std::wstring& target, const std::wstring& link) {
  DeleteFileW(link.c_str());
  return CreateHardLinkW(link.c_str(), target.c_str(), nullptr) != FALSE;
}

// Plants a trap; true when it is in place.
using Plant = std::function<bool(const Outside& outside, const std::wstring& cwd)>;

struct Trap {
  const char* name;
  Plant beforeSetup;
  const wchar_t* arguments;
  int setupExit;
  const wchar_t* logEntry;  // the one entry of a failed run; null: no log written
  Plant beforePurge;        // null: no uninstallation
  // What the purge must refuse and list (then it ends with 1); empty: it removes everything.
  std::vector<const wchar_t*> purgeRefuses;
};

const Trap kTraps[] = {
    {"a link in the target folder and a planted set-aside folder",
     [](const Outside& outside, const std::wstring&) {
       return CreateDirectoryW(kTarget, nullptr) &&
              Link(outside / L"Plugins", std::wstring(kTarget) + L"Plugins") &&
              Link(outside / L"previous", std::wstring(kTarget) + L".lk_setup_previous");
     },
     L"/silent /folder=C:\\Tools\\Lumenkast", 1, L"C:\\Tools\\Lumenkast\\: ", nullptr, {}},
    {"a settings folder that is a link",
     [](const Outside& outside, const std::wstring&) {
       return Link(outside / L"Lumenkast", L"C:\\Tools\\inilink");
     },
     L"/silent /folder=C:\\Tools\\Lumenkast /ini=C:\\Tools\\inilink", 0, nullptr,
     [](const Outside&, const std::wstring&) { return true; }, {}},
    {"a settings folder with a linked parent, and a settings folder linked before the purge",
     [](const Outside& outside, const std::wstring&) {
       return Link(outside.Path(), L"C:\\Tools\\iniparent");
     },
     L"/silent /folder=C:\\Tools\\Lumenkast /ini=C:\\Tools\\iniparent\\Lumenkast", 0, nullptr,
     [](const Outside& outside, const std::wstring&) {
       // The viewer's settings folder as the program folder names it, now a link.
       const std::wstring ini = std::wstring(kTarget) + L"lk_main64.ini";
       return WritePrivateProfileStringW(L"Others", L"INI_Folder", L"C:\\Tools\\Settings",
                                         ini.c_str()) &&
              Link(outside / L"Lumenkast", L"C:\\Tools\\Settings");
     },
     {L"C:\\Tools\\Settings\\lk_main64.ini"}},
    {"a log name that is a link",
     [](const Outside& outside, const std::wstring& cwd) {
       return Link(outside / L"victim.txt", cwd + L"Lumenkast_Install.log");
     },
     L"/silent /folder=", 1, nullptr, nullptr, {}},
    {"a payload file that is a hard link to a read-only hidden file",
     [](const Outside& outside, const std::wstring&) {
       return CreateDirectoryW(kTarget, nullptr) &&
              HardLink(outside / L"readonly.txt", std::wstring(kTarget) + L"lk_about.txt");
     },
     L"/silent /folder=C:\\Tools\\Lumenkast", 1, L"C:\\Tools\\Lumenkast\\: ", nullptr, {}},
    {"settings and payload files that are hard links to read-only hidden files, then purged",
     [](const Outside& outside, const std::wstring&) {
       return CreateDirectoryW(kTarget, nullptr) &&
              HardLink(outside / L"readonly.ini", std::wstring(kTarget) + L"lk_main64.ini");
     },
     L"/silent /folder=C:\\Tools\\Lumenkast", 0, nullptr,
     [](const Outside& outside, const std::wstring&) {
       return HardLink(outside / L"readonly.ini", std::wstring(kTarget) + L"lk_main64.ini") &&
              HardLink(outside / L"readonly.txt", std::wstring(kTarget) + L"lk_about.txt");
     },
     // Without the deletion that ignores the read-only attribute (Wine), a second name of a
     // read-only file can only stay: its attributes belong to the outside file too.
     {L"C:\\Tools\\Lumenkast\\lk_about.txt", L"C:\\Tools\\Lumenkast\\lk_main64.ini"}},
    {"a link that leads nowhere at a payload file's name",
     [](const Outside& outside, const std::wstring&) {
       return CreateDirectoryW(kTarget, nullptr) &&
              LinkNowhere(outside / L"missing.txt", std::wstring(kTarget) + L"lk_about.txt");
     },
     L"/silent /folder=C:\\Tools\\Lumenkast", 1, L"C:\\Tools\\Lumenkast\\: ", nullptr, {}},
};

using PlantedTraps = InstallationTest;

TEST_F(PlantedTraps, NothingOutsideChangesAndEachRunReportsWhatItRefused) {
  for (const Trap& trap : kTraps) {
    SCOPED_TRACE(trap.name);
    Clean();
    const TempFolder cwd;
    ASSERT_TRUE(CreateDirectoryW(kTools, nullptr));
    const Outside outside;
    ASSERT_TRUE(trap.beforeSetup(outside, cwd.Path()));
    const Snapshot before = Snap(outside.Path());

    EXPECT_EQ(lktest::RunSetup(trap.arguments, cwd.Path()), trap.setupExit);
    if (trap.logEntry) {
      EXPECT_TRUE(IsSingleLogEntry(ReadFileBytes(cwd / L"Lumenkast_Install.log"),
                                   std::wstring(trap.logEntry) + kInstallFailed));
    } else if (trap.setupExit == 0) {
      EXPECT_FALSE(FileExists(cwd / L"Lumenkast_Install.log"));
    }
    if (trap.beforePurge) {
      ASSERT_TRUE(trap.beforePurge(outside, cwd.Path()));
      DeleteFileW((cwd / L"Lumenkast_Install.log").c_str());
      EXPECT_EQ(RunUninstaller(kTarget, L"/silent /purge=1", cwd.Path()),
                trap.purgeRefuses.empty() ? 0 : 1)
          << ReadFileBytes(cwd / L"Lumenkast_Install.log");
      const std::string log = ReadFileBytes(cwd / L"Lumenkast_Install.log");
      for (const wchar_t* refused : trap.purgeRefuses) {
        EXPECT_NE(log.find(Narrow(refused)), std::string::npos) << Narrow(refused) << ": " << log;
      }
      // The uninstaller's copy leaves its folder to the next start of Windows: gone now, so
      // that no later test finds it.
      RemoveUninstallerCopies();
    }

    const Snapshot after = Snap(outside.Path());
    EXPECT_TRUE(after == before) << "before: " << Describe(before) << "\nafter: "
                                 << Describe(after);
    // A link that leads nowhere is not listed, so not removed with the folder.
    RemoveSymbolicLink(std::wstring(kTarget) + L"lk_about.txt");
    Clean();
  }
}

// Read back through a handle and compared with a folder made with that protection now on
// the same drive: Wine keeps only the Unix permission bits that the entries map to.
bool HasProgramFolderProtection(const std::wstring& folder) {
  const lk::ScopedFileHandle handle(CreateFileW(
      folder.c_str(), READ_CONTROL, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  return handle && lk::HasProtection(handle.Get(), lk::FolderProtection::kProgramFolder, L"C:\\");
}

// The top-most folder the setup makes outside the program folders is made as the program
// folder is; a folder that was there keeps its own permissions.
TEST_F(PlantedTraps, AFolderTheSetupMakesUnderADriveRootIsProtected) {
  ASSERT_EQ(RunSetup(L"/silent /folder=C:\\Tools\\Lumenkast"), 0);
  EXPECT_TRUE(HasProgramFolderProtection(kTools));

  Clean();
  ASSERT_TRUE(CreateDirectoryW(kTools, nullptr));
  ASSERT_EQ(RunSetup(L"/silent /folder=C:\\Tools\\Lumenkast"), 0);
  EXPECT_FALSE(HasProgramFolderProtection(kTools));
  EXPECT_TRUE(HasProgramFolderProtection(kTarget));
}

}  // namespace
}  // namespace lktest
