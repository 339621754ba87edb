// Unattended command lines made up from a seed, for fuzzing the option parsing: the switch
// names and near misses of them, '=', quotes, slashes, blanks, non-Latin characters, very
// long values and repeated switches.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace lktest {

// The value an option (its name with '=') has in a command line by the option value rule:
// the characters after the name up to the next '/', the end, or position 260 counted from
// the name's first character. found is false when the name does not occur.
struct RuleValue {
  bool found = false;
  std::wstring text;
};
RuleValue OptionValueByRule(const std::wstring& commandLine, const std::wstring& name);

// A path value as the rule leaves it: trailing blanks, one closing quote, one opening quote
// and trailing blanks again removed.
std::wstring UnquotedByRule(std::wstring value);

class CommandLineGenerator {
 public:
  // Path values begin with one of a few folder bases (absolute, relative, quoted, with
  // variables), or with one of folderBases when they are given.
  explicit CommandLineGenerator(uint32_t seed, std::vector<std::wstring> folderBases = {});

  // The switches of one command line (without the program's path), at most maxLength
  // characters long.
  std::wstring Next(size_t maxLength);

 private:
  std::wstring Switch();
  std::wstring Number();
  std::wstring Path();
  std::wstring Blanks();
  size_t Below(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random_); }

  std::mt19937 random_;
  std::vector<std::wstring> folderBases_;
};

}  // namespace lktest
