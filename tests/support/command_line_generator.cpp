#include "support/command_line_generator.h"

#include <iterator>
#include <utility>

namespace lktest {

namespace {

constexpr size_t kValueLimit = 260;

constexpr const wchar_t* kNumericSwitches[] = {L"/desktop=", L"/thumbs=", L"/group=",
                                               L"/allusers=", L"/assoc="};
constexpr const wchar_t* kPathSwitches[] = {L"/folder=", L"/ini="};
// Near misses that must not count as switches, and bare words.
constexpr const wchar_t* kNoise[] = {
    L"/SILENT", L"/Silent", L"/folder", L"/Folder=", L"folder=", L"/desktop", L"/DESKTOP=1",
    L"/", L"//", L"=", L"\"", L"/assoc==2", L"-silent", L"/silent", L"/silentx", L"x/silent",
    L"/ini", L"/group=/thumbs=1",
};
constexpr const wchar_t* kNumbers[] = {
    L"0", L"1", L"2", L"3", L"-1", L"+1", L" 1", L"\t2", L"01", L"1x", L"yes", L"", L"0x1",
    L"00000000000000000001", L"2147483647", L"2147483648", L"4294967296", L"4294967297",
    L"-2147483649", L"99999999999999999999", L"+", L"-", L" ", L"1 ",
};
constexpr const wchar_t* kFolderBases[] = {
    L"C:\\", L"\"C:\\Program Files\\", L"%ProgramFiles%\\", L"\\\\server\\share\\", L"",
    L"D:", L"\\", L"..\\",
};
constexpr const wchar_t* kNameParts[] = {
    L"Lumenkast", L"a b", L"  ", L"\u00C4rger \u00FC\u00DF", L"\u4E2D\u6587",
    L"\u0416\u0438\u0442\u044C", L"\U0001F600", L"x.", L"\"", L"\\", L"\\\\", L".", L"..",
    L"%APPDATA%", L"%NOSUCHVARIABLE%", L"name\u00A0", L"tab\tbed",
};

}  // namespace

RuleValue OptionValueByRule(const std::wstring& commandLine, const std::wstring& name) {
  RuleValue value;
  const size_t at = commandLine.find(name);
  if (at == std::wstring::npos) return value;
  value.found = true;
  for (size_t position = name.size();
       at + position < commandLine.size() && commandLine[at + position] != L'/' &&
       position < kValueLimit;
       ++position) {
    value.text += commandLine[at + position];
  }
  return value;
}

std::wstring UnquotedByRule(std::wstring value) {
  auto trimBlanks = [&value] {
    while (!value.empty() && value.back() == L' ') value.pop_back();
  };
  trimBlanks();
  if (!value.empty() && value.back() == L'"') value.pop_back();
  if (!value.empty() && value.front() == L'"') value.erase(0, 1);
  trimBlanks();
  return value;
}

CommandLineGenerator::CommandLineGenerator(uint32_t seed, std::vector<std::wstring> folderBases)
    : random_(seed), folderBases_(std::move(folderBases)) {}

std::wstring CommandLineGenerator::Next(size_t maxLength) {
  std::wstring line;
  const size_t switches = 1 + Below(8);
  for (size_t i = 0; i < switches; ++i) line += Blanks() + Switch();
  if (line.size() > maxLength) line.resize(maxLength);
  return line;
}

std::wstring CommandLineGenerator::Switch() {
  switch (Below(5)) {
    case 0:
      return kNoise[Below(std::size(kNoise))];
    case 1:
    case 2:
      return kNumericSwitches[Below(std::size(kNumericSwitches))] + Number();
    default:
      return kPathSwitches[Below(std::size(kPathSwitches))] + Path();
  }
}

std::wstring CommandLineGenerator::Number() { return kNumbers[Below(std::size(kNumbers))]; }

std::wstring CommandLineGenerator::Path() {
  if (Below(10) == 0) return L"";
  std::wstring path = folderBases_.empty() ? kFolderBases[Below(std::size(kFolderBases))]
                                           : folderBases_[Below(folderBases_.size())];
  const size_t parts = Below(5);
  for (size_t i = 0; i < parts; ++i) {
    path += kNameParts[Below(std::size(kNameParts))];
    path += L'\\';
  }
  // Now and then a very long value: beyond the value limit and beyond MAX_PATH.
  if (Below(8) == 0) path += std::wstring(100 + Below(300), L"abcdefg\u00E9"[Below(8)]);
  if (Below(4) == 0) path += L"\"";
  if (Below(4) == 0) path += L"  ";
  return path;
}

std::wstring CommandLineGenerator::Blanks() {
  static constexpr const wchar_t* kBlanks[] = {L" ", L" ", L"  ", L"", L"\t", L" \" "};
  return kBlanks[Below(std::size(kBlanks))];
}

}  // namespace lktest
