#include "uninstall/uninstall_command_line.h"

#include <gtest/gtest.h>

namespace {

TEST(UninstallCommandLine, ReadsTheSwitches) {
  const struct {
    const wchar_t* line;
    int silent, purge, finish;
    ULONG_PTR parent;
    const wchar_t* exe;
  } cases[] = {
      {L"lk_uninstall.exe", 0, 0, 0, 0, L""},
      {L"\"C:\\P F\\lk_uninstall.exe\" /silent", 1, 0, 0, 0, L""},
      {L"lk_uninstall.exe /silent /purge=1", 1, 1, 0, 0, L""},
      {L"lk_uninstall.exe /purge=1", 0, 1, 0, 0, L""},
      {L"lk_uninstall.exe /purge=0 /purge=2", 0, 0, 0, 0, L""},
      // Switches are whole arguments, matched with their case.
      {L"lk_uninstall.exe /SILENT /silentx /purge=1x", 0, 0, 0, 0, L""},
      {L"x.exe /finish=124 /id=0000abcd-00000001-fedc0002 "
       L"\"/exe=C:\\Program Files\\Lumenkast\\lk_uninstall.exe\"",
       0, 0, 1, 124, L"C:\\Program Files\\Lumenkast\\lk_uninstall.exe"},
      // The copy's work needs a numeric handle, the file and the file's identity.
      {L"x.exe /finish=124", 0, 0, 0, 124, L""},
      {L"x.exe /finish=124 /exe=C:\\a.exe", 0, 0, 0, 124, L"C:\\a.exe"},
      {L"x.exe /finish=124 /id=0000abcd-00000001 /exe=C:\\a.exe", 0, 0, 0, 124, L"C:\\a.exe"},
      {L"x.exe /finish=124 /id=0000abcd-00000001-fedc000x /exe=C:\\a.exe", 0, 0, 0, 124,
       L"C:\\a.exe"},
      {L"x.exe /finish=12a /exe=C:\\a.exe", 0, 0, 0, 0, L"C:\\a.exe"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.line)));
    const UninstallCommand command = ParseUninstallCommandLine(c.line);
    EXPECT_EQ(c.silent, command.silent);
    EXPECT_EQ(c.purge, command.purge);
    EXPECT_EQ(c.finish, command.finish);
    EXPECT_EQ(c.parent, reinterpret_cast<ULONG_PTR>(command.parent));
    EXPECT_EQ(std::wstring(c.exe), command.exePath);
    if (c.finish) {
      const lk::FileIdentity expected{0xabcd, 1, 0xfedc0002};
      EXPECT_TRUE(expected == command.identity);
    }
  }
}

}  // namespace
