// Generated command lines through the option parsing: every switch gets the value the
// option value rule gives it, absent switches change nothing, and nothing is written
// beyond the install options.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/command_line.h"
#include "app/install_options.h"
#include "support/command_line_generator.h"
#include "support/fuzz_budget.h"
#include "support/test_support.h"

namespace lktest {
namespace {

constexpr wchar_t kProgram[] = L"\"C:\\Program Files\\lumenkast_setup_x64.exe\" /silent";
// The longest command line whose every option the program sees (the rest is cut off).
constexpr size_t kSeenLength = 519;
constexpr wchar_t kFolderBefore[] = L"C:\\Vorher\\";
constexpr wchar_t kSettingsBefore[] = L"%VORHER%";
constexpr int kFlagBefore = 7;
constexpr int kSelectionBefore = 5;

// A numeric value as the rule reads it: leading white space, an optional sign, decimal
// digits. Only whether it is 0, 1, 2 or something else matters here.
enum class Number { kZero, kOne, kTwo, kOther };

Number ReadNumber(const std::wstring& text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == L' ' || text[i] == L'\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
  while (i < text.size() && text[i] == L'0') ++i;  // leading zeros
  std::wstring digits;
  while (i < text.size() && text[i] >= L'0' && text[i] <= L'9') digits += text[i++];
  if (digits.empty()) return Number::kZero;
  if (negative || digits.size() > 1) return Number::kOther;
  return digits == L"1" ? Number::kOne : digits == L"2" ? Number::kTwo : Number::kOther;
}

// The install options with guard words on both sides.
struct GuardedOptions {
  unsigned char before[64];
  InstallOptions options;
  unsigned char after[64];
};

void Prepare(GuardedOptions* guarded) {
  memset(guarded->before, 0xA5, sizeof(guarded->before));
  memset(guarded->after, 0x5A, sizeof(guarded->after));
  InstallOptions& o = guarded->options;
  wcscpy(o.targetFolder, kFolderBefore);
  wcscpy(o.settingsFolder, kSettingsBefore);
  o.startMenuGroup = o.desktopShortcut = o.thumbnailsShortcut = o.allUsers = kFlagBefore;
  for (int& chosen : o.formatSelection) chosen = kSelectionBefore;
  o.associateFormats = kFlagBefore;
}

bool GuardsIntact(const GuardedOptions& guarded) {
  for (unsigned char b : guarded.before) {
    if (b != 0xA5) return false;
  }
  for (unsigned char b : guarded.after) {
    if (b != 0x5A) return false;
  }
  return true;
}

void ExpectPath(const std::wstring& line, const wchar_t* name, const wchar_t* field,
                const wchar_t* before) {
  const RuleValue rule = OptionValueByRule(line, name);
  const std::wstring expected =
      !rule.found ? before : rule.text.empty() ? L"" : UnquotedByRule(rule.text);
  EXPECT_EQ(Narrow(expected), Narrow(field)) << Narrow(name);
}

void ExpectFlag(const std::wstring& line, const wchar_t* name, int field) {
  const RuleValue rule = OptionValueByRule(line, name);
  if (!rule.found) {
    EXPECT_EQ(kFlagBefore, field) << Narrow(name);
  } else {
    EXPECT_EQ(ReadNumber(rule.text) != Number::kZero, field != 0) << Narrow(name);
  }
}

void ExpectAssociations(const std::wstring& line, const InstallOptions& options) {
  const RuleValue rule = OptionValueByRule(line, L"/assoc=");
  int chosen = 0;
  for (int flag : options.formatSelection) chosen += flag != 0;
  if (!rule.found) {
    EXPECT_EQ(kFlagBefore, options.associateFormats);
    EXPECT_EQ(FormatCount, chosen);
    return;
  }
  const Number number = ReadNumber(rule.text);
  const int expected = number == Number::kOne   ? ImageFormatCount
                       : number == Number::kTwo ? FormatCount
                                                : 0;
  EXPECT_EQ(expected, chosen);
  EXPECT_EQ(expected != 0, options.associateFormats != 0);
  for (int i = 0; i < expected; ++i) EXPECT_NE(0, options.formatSelection[i]) << i;
}

TEST(CommandLineFuzz, GeneratedCommandLinesFollowTheOptionValueRule) {
  CommandLineGenerator generator(FuzzSeed(20261210));
  const unsigned count = FuzzCount(5000);
  const std::wstring program = kProgram;
  for (unsigned n = 0; n < count; ++n) {
    const std::wstring line = program + generator.Next(kSeenLength - program.size());
    SCOPED_TRACE(testing::Message() << "command line " << n << ": " << Narrow(line));
    GuardedOptions guarded;
    Prepare(&guarded);
    ApplyCommandLineOptions(line.c_str(), guarded.options);

    const InstallOptions& o = guarded.options;
    ASSERT_TRUE(GuardsIntact(guarded));
    ExpectPath(line, L"/folder=", o.targetFolder, kFolderBefore);
    ExpectPath(line, L"/ini=", o.settingsFolder, kSettingsBefore);
    ExpectFlag(line, L"/desktop=", o.desktopShortcut);
    ExpectFlag(line, L"/thumbs=", o.thumbnailsShortcut);
    ExpectFlag(line, L"/group=", o.startMenuGroup);
    ExpectFlag(line, L"/allusers=", o.allUsers);
    ExpectAssociations(line, o);
    EXPECT_EQ(0, o.unattended);
    if (HasFailure()) break;  // one failing line tells the story
  }
}

}  // namespace
}  // namespace lktest
