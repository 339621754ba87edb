// A GUI program linked like the setup with the program's handlers for the C++ library's
// failures. The argument picks the failure; every one must end the process at once as a
// failed installation, without a window. Returning from main means the failure was missed.
#include <windows.h>

#include <cstring>
#include <exception>
#include <string>
#include <vector>

namespace {

volatile size_t g_huge = static_cast<size_t>(-1) / 4;
char* volatile g_block = nullptr;

void Fail(const char* which) {
  std::wstring text = L"abc";
  std::vector<int> numbers;
  if (!strcmp(which, "string_at")) text.at(text.size() + 1) = L'x';
  if (!strcmp(which, "string_length")) text.reserve(text.max_size() + 1);
  if (!strcmp(which, "string_substr")) text = text.substr(text.size() + 1);
  if (!strcmp(which, "vector_length")) numbers.reserve(numbers.max_size() + 1);
  if (!strcmp(which, "new")) g_block = new char[g_huge];
  if (!strcmp(which, "terminate")) std::terminate();
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  Fail(commandLine);
  return 0;
}
