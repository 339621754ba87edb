#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "app/install_log.h"
#include "app/string_table.h"
#include "res/resource.h"
#include "support/test_support.h"

namespace {

const std::string kSeparator = std::string(48, '-') + "\r\n";

class InstallLogTest : public testing::Test {
 protected:
  void SetUp() override { SetCurrentDirectoryW(folder_.Path().c_str()); }
  std::string Log() const { return lktest::ReadFileBytes(folder_ / L"Lumenkast_Install.log"); }

  lktest::CurrentDirectoryGuard guard_;
  lktest::TempFolder folder_;
};

std::string ShortDate() {
  wchar_t date[256] = {};
  GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, date, 256);
  return lktest::Narrow(date);
}

TEST_F(InstallLogTest, EntryIsDateTimeMessageThenSeparatorInLatin1WithCrLf) {
  std::wstring message = LoadResString(IDS_INVALID_FOLDER) + L": ";
  AppendInstallLog(message.c_str());

  const std::string expected_message = "Ung\xFCltiges Zielverzeichnis!: ";
  std::regex entry("(.+) - (\\d\\d):(\\d\\d):(\\d\\d): (.*)\r\n");
  std::string log = Log();
  ASSERT_GT(log.size(), kSeparator.size());
  std::string line = log.substr(0, log.size() - kSeparator.size());
  std::smatch match;
  ASSERT_TRUE(std::regex_match(line, match, entry)) << line;
  EXPECT_EQ(ShortDate(), match[1].str());
  EXPECT_LT(std::stoi(match[2].str()), 24);
  EXPECT_EQ(expected_message, match[5].str());
  EXPECT_EQ(kSeparator, log.substr(log.size() - kSeparator.size()));
}

TEST_F(InstallLogTest, EntriesAppendAndLineBreaksContinueOnNewLines) {
  AppendInstallLog(L"erste");
  AppendInstallLog(LoadResString(IDS_VIEWER_RUNNING).c_str());
  std::string log = Log();

  size_t second = log.find(kSeparator) + kSeparator.size();
  EXPECT_NE(std::string::npos, log.find(": erste\r\n" + kSeparator));
  EXPECT_NE(std::string::npos,
            log.find(": Warnung: Lumenkast l\xE4uft!\r\nBeenden Sie bitte Lumenkast bevor Sie mit "
                     "der Installation fortsetzen!\r\n" + kSeparator, second));
  EXPECT_EQ(log.size(), log.rfind(kSeparator) + kSeparator.size());
  EXPECT_EQ(std::string::npos, log.find("\n\n"));
}

TEST_F(InstallLogTest, CharactersBeyondLatin1BecomeQuestionMarks) {
  AppendInstallLog(L"C:\\\x0141\x00F3" L"d\x017A\\\x20AC");
  EXPECT_NE(std::string::npos, Log().find(": C:\\?\xF3" "d?\\?\r\n"));
}

TEST_F(InstallLogTest, UnopenableLogLosesTheEntrySilently) {
  ASSERT_TRUE(CreateDirectoryW((folder_ / L"Lumenkast_Install.log").c_str(), nullptr));
  AppendInstallLog(L"verloren");
  EXPECT_TRUE(lktest::FolderExists(folder_ / L"Lumenkast_Install.log"));
}

// The log appends to no file but its own: a name that is a link, or a current directory
// reached through one (every link is a user's under Wine), drops the entry, and the file
// outside keeps its bytes; a link that leads nowhere makes no file there either.
TEST(InstallLogLinks, ALinkedLogOrDirectoryDropsTheEntry) {
  enum class Trap { kSymbolicLink, kHardLink, kDanglingLink, kLinkedDirectory };
  for (Trap trap : {Trap::kSymbolicLink, Trap::kHardLink, Trap::kDanglingLink,
                    Trap::kLinkedDirectory}) {
    SCOPED_TRACE(static_cast<int>(trap));
    lktest::CurrentDirectoryGuard guard;
    lktest::TempFolder folder;
    lktest::TempFolder outside;
    const std::wstring victim = outside / L"victim.txt";
    ASSERT_TRUE(lktest::WriteFileBytes(victim, "outside"));
    const std::wstring log = folder / L"Lumenkast_Install.log";
    std::wstring directory = folder.Path();
    bool made = true;
    switch (trap) {
      case Trap::kSymbolicLink: made = lktest::MakeSymbolicLink(victim, log); break;
      case Trap::kHardLink: made = CreateHardLinkW(log.c_str(), victim.c_str(), nullptr); break;
      case Trap::kDanglingLink: made = lktest::MakeSymbolicLink(outside / L"missing", log); break;
      case Trap::kLinkedDirectory:
        directory = folder / L"linked";
        made = lktest::MakeSymbolicLink(outside.Path(), directory);
        break;
    }
    ASSERT_TRUE(made || trap == Trap::kDanglingLink);
    ASSERT_TRUE(SetCurrentDirectoryW(directory.c_str()));

    AppendInstallLog(L"verloren");

    SetCurrentDirectoryW(folder.Path().c_str());
    EXPECT_EQ(lktest::ReadFileBytes(victim), "outside");
    EXPECT_EQ(lktest::ListFolder(outside.Path()), std::vector<std::wstring>{L"victim.txt"});
    if (trap == Trap::kLinkedDirectory) {
      lktest::RemoveSymbolicLink(directory);
    } else if (trap != Trap::kHardLink) {
      lktest::RemoveSymbolicLink(log);
    }
  }
}

}  // namespace
