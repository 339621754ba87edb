#include "support/registry_text.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <utility>

#include "framework/scoped_handles.h"
#include "support/test_support.h"

namespace lktest {

namespace {

constexpr char kHeader[] = "WINE REGISTRY Version 2";

// A position in the text and its end.
struct Cursor {
  const char* at;
  const char* end;

  bool Done() const { return at >= end; }
  char Peek() const { return at < end ? *at : '\0'; }
  // Consumes literal when the text goes on with it.
  bool Take(const char* literal) {
    const size_t length = strlen(literal);
    if (static_cast<size_t>(end - at) < length || memcmp(at, literal, length) != 0) return false;
    at += length;
    return true;
  }
  void SkipLine() {
    while (at < end && *at++ != '\n') {
    }
  }
};

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The number in up to maxDigits digits of base; 0 when no digit follows (callers that need
// digits count them by the cursor).
unsigned ReadNumber(Cursor* c, int base, int maxDigits) {
  unsigned value = 0;
  for (int n = 0; n < maxDigits && !c->Done(); ++n) {
    const int digit = DigitValue(*c->at);
    if (digit < 0 || digit >= base) break;
    value = value * base + digit;
    ++c->at;
  }
  return value;
}

// The character after a backslash: a C escape, \x and up to four hex digits, up to three
// octal digits, or the character itself (a backslash, a quote, a bracket).
wchar_t ReadEscape(Cursor* c) {
  const char ch = *c->at;
  if (ch >= '0' && ch <= '7') return static_cast<wchar_t>(ReadNumber(c, 8, 3));
  ++c->at;
  switch (ch) {
    case 'a': return L'\a';
    case 'b': return L'\b';
    case 'e': return 0x1B;
    case 'f': return L'\f';
    case 'n': return L'\n';
    case 'r': return L'\r';
    case 't': return L'\t';
    case 'v': return L'\v';
    case 'x':
      if (DigitValue(c->Peek()) < 0) return L'x';
      return static_cast<wchar_t>(ReadNumber(c, 16, 4));
    default: return static_cast<unsigned char>(ch);
  }
}

// An escaped string up to its closing character, which is consumed. The writer escapes
// every character outside printable ASCII, so the string stays on its line.
bool ReadEscaped(Cursor* c, char close, std::wstring* out) {
  while (!c->Done() && *c->at != '\n') {
    const char ch = *c->at++;
    if (ch == close) return true;
    if (ch != '\\') {
      out->push_back(static_cast<unsigned char>(ch));
    } else if (!c->Done()) {
      out->push_back(ReadEscape(c));
    }
  }
  return false;
}

// "hex:" data: bytes as two hex digits each, separated by commas; a long value goes on
// after a backslash on the next line, indented.
bool ReadHexBytes(Cursor* c, std::vector<BYTE>* data) {
  if (c->Done() || c->Peek() == '\n') return true;  // no bytes
  for (;;) {
    const char* start = c->at;
    const unsigned byte = ReadNumber(c, 16, 2);
    if (c->at - start != 2) return false;
    data->push_back(static_cast<BYTE>(byte));
    if (!c->Take(",")) return c->Done() || c->Peek() == '\n';
    if (c->Take("\\\n")) {
      while (c->Peek() == ' ') ++c->at;
    }
  }
}

// The type in "hex(7):" or "str(2):", after its opening parenthesis.
bool ReadType(Cursor* c, DWORD* type) {
  if (DigitValue(c->Peek()) < 0) return false;
  *type = ReadNumber(c, 16, 8);
  return c->Take("):");
}

bool ReadData(Cursor* c, SnapshotValue* value) {
  if (c->Take("dword:")) {
    const char* start = c->at;
    const DWORD number = ReadNumber(c, 16, 8);
    if (c->at - start != 8) return false;
    value->type = REG_DWORD;
    const BYTE* bytes = reinterpret_cast<const BYTE*>(&number);
    value->data.assign(bytes, bytes + sizeof(number));
    return true;
  }
  if (c->Take("hex:")) {
    value->type = REG_BINARY;
    return ReadHexBytes(c, &value->data);
  }
  if (c->Take("hex(")) return ReadType(c, &value->type) && ReadHexBytes(c, &value->data);
  // A string (REG_SZ, or the type in "str(...)"), stored with its terminating zero, which
  // the writer leaves out.
  value->type = REG_SZ;
  if (c->Take("str(") && !ReadType(c, &value->type)) return false;
  std::wstring text;
  if (!c->Take("\"") || !ReadEscaped(c, '"', &text)) return false;
  text.push_back(L'\0');
  const BYTE* bytes = reinterpret_cast<const BYTE*>(text.data());
  value->data.assign(bytes, bytes + text.size() * sizeof(wchar_t));
  return true;
}

// "name"=data, or @=data for the default value.
bool ReadValue(Cursor* c, SnapshotValues* values) {
  std::wstring name;
  if (!c->Take("@=") && !(c->Take("\"") && ReadEscaped(c, '"', &name) && c->Take("="))) {
    return false;
  }
  SnapshotValue value;
  if (!ReadData(c, &value)) return false;
  (*values)[name] = std::move(value);
  return true;
}

// The key and those of its ancestors not added yet, which the text names only through it.
SnapshotValues* AddKey(const std::wstring& name, SnapshotKeys* keys) {
  for (size_t slash = name.rfind(L'\\'); slash != std::wstring::npos;
       slash = name.rfind(L'\\', slash - 1)) {
    if (!keys->emplace(name.substr(0, slash), SnapshotValues()).second || slash == 0) break;
  }
  return &(*keys)[name];
}

// A character as names are compared without regard to case: its lower case.
wchar_t Folded(wchar_t c) {
  if (c < 128) return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + (L'a' - L'A')) : c;
  return static_cast<wchar_t>(towlower(c));
}

// Enables a privilege of this process while it lives.
class ScopedPrivilege {
 public:
  explicit ScopedPrivilege(const wchar_t* name) {
    TOKEN_PRIVILEGES wanted = {};
    wanted.PrivilegeCount = 1;
    wanted.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    DWORD size = sizeof(previous_);
    enabled_ = OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY,
                                token_.Receive()) &&
               LookupPrivilegeValueW(nullptr, name, &wanted.Privileges[0].Luid) &&
               AdjustTokenPrivileges(token_.Get(), FALSE, &wanted, sizeof(previous_), &previous_,
                                     &size) &&
               GetLastError() == ERROR_SUCCESS;
  }
  ~ScopedPrivilege() {
    if (enabled_) AdjustTokenPrivileges(token_.Get(), FALSE, &previous_, 0, nullptr, nullptr);
  }
  ScopedPrivilege(const ScopedPrivilege&) = delete;
  ScopedPrivilege& operator=(const ScopedPrivilege&) = delete;

 private:
  lk::ScopedFileHandle token_;
  TOKEN_PRIVILEGES previous_ = {};
  bool enabled_ = false;
};

// A new name for a saved branch, in the Windows folder's Temp (a test may have taken the
// process's temporary folder away), and the file removed with the object.
class SaveFile {
 public:
  SaveFile() {
    wchar_t folder[MAX_PATH] = {};
    wchar_t name[MAX_PATH] = {};
    const UINT length = GetWindowsDirectoryW(folder, MAX_PATH);
    if (length == 0 || length + 6 >= MAX_PATH) return;
    wcscat(folder, L"\\Temp");
    // The name is made unique by creating the file, which the save must not find.
    if (GetTempFileNameW(folder, L"lkr", 0, name) == 0) return;
    DeleteFileW(name);
    path_ = name;
  }
  ~SaveFile() {
    if (!path_.empty()) DeleteFileW(path_.c_str());
  }
  SaveFile(const SaveFile&) = delete;
  SaveFile& operator=(const SaveFile&) = delete;
  const std::wstring& Path() const { return path_; }

 private:
  std::wstring path_;
};

}  // namespace

// The order of _wcsicmp, without its cost per character for the ASCII names that most are.
bool NoCaseLess::operator()(const std::wstring& a, const std::wstring& b) const {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [](wchar_t x, wchar_t y) { return Folded(x) < Folded(y); });
}

bool ParseRegistryText(const std::string& text, const std::wstring& rootName, SnapshotKeys* keys) {
  Cursor c = {text.data(), text.data() + text.size()};
  if (!c.Take(kHeader)) return false;
  keys->emplace(rootName, SnapshotValues());
  SnapshotValues* current = nullptr;
  for (c.SkipLine(); !c.Done(); c.SkipLine()) {
    const char first = c.Peek();
    if (first == '[') {
      ++c.at;
      std::wstring path;
      if (!ReadEscaped(&c, ']', &path)) return false;
      current = AddKey(path.empty() ? rootName : rootName + L"\\" + path, keys);
    } else if (first == '"' || first == '@') {
      if (!current || !ReadValue(&c, current)) return false;
    }
    // Anything else is a comment, the key's time or class, or the mark of a link.
  }
  return true;
}

bool ReadSavedBranch(HKEY root, const std::wstring& rootName, SnapshotKeys* keys) {
  // The server saves a branch only for a process that holds the backup privilege.
  const ScopedPrivilege backup(SE_BACKUP_NAME);
  const SaveFile file;
  return !file.Path().empty() &&
         RegSaveKeyW(root, file.Path().c_str(), nullptr) == ERROR_SUCCESS &&
         ParseRegistryText(ReadFileBytes(file.Path()), rootName, keys);
}

}  // namespace lktest
