#include "payload/install_journal.h"

#include <cwchar>
#include <set>

#include "framework/file_links.h"
#include "framework/path.h"

namespace {

constexpr wchar_t kWillCreateFile = L'+';
constexpr wchar_t kWillCreateFolder = L'/';
constexpr wchar_t kCreated = L'=';
constexpr wchar_t kNotCreated = L'-';
// "=", three identity fields of eight hexadecimal digits, a blank.
constexpr size_t kIdentityUnits = 1 + 3 * 8 + 1;
// A journal larger than this was not written by the setup.
constexpr LONGLONG kLargestJournal = 64LL << 20;

// A name below the target folder: relative, without a drive, a stream or a way up.
bool IsNameBelowTarget(const std::wstring& name) {
  if (name.empty() || lk::IsPathSeparator(name[0]) || name.find(L':') != std::wstring::npos) {
    return false;
  }
  size_t start = 0;
  for (size_t end = 0; end <= name.size(); ++end) {
    if (end < name.size() && !lk::IsPathSeparator(name[end])) continue;
    if (name.compare(start, end - start, L"..") == 0) return false;
    start = end + 1;
  }
  return true;
}

bool ParseHex(const wchar_t* text, DWORD* value) {
  *value = 0;
  for (int i = 0; i < 8; ++i) {
    const wchar_t c = text[i];
    int digit = -1;
    if (c >= L'0' && c <= L'9') digit = c - L'0';
    if (c >= L'a' && c <= L'f') digit = c - L'a' + 10;
    if (digit < 0) return false;
    *value = (*value << 4) | static_cast<DWORD>(digit);
  }
  return true;
}

// One "=" record without its line end; false when it is not one.
bool ParseCreated(const std::wstring& line, CreatedEntry* entry) {
  if (line.size() <= kIdentityUnits || line[0] != kCreated || line[kIdentityUnits - 1] != L' ') {
    return false;
  }
  entry->name = line.substr(kIdentityUnits);
  return ParseHex(&line[1], &entry->identity.volumeSerial) &&
         ParseHex(&line[9], &entry->identity.indexHigh) &&
         ParseHex(&line[17], &entry->identity.indexLow) && IsNameBelowTarget(entry->name);
}

// A "+" or "-" record of a file: an entry without identity.
bool ParseFileName(const std::wstring& line, CreatedEntry* entry) {
  if (line.size() < 2 || (line[0] != kWillCreateFile && line[0] != kNotCreated)) return false;
  entry->name = line.substr(1);
  entry->identified = false;
  return IsNameBelowTarget(entry->name);
}

// Names compared as the file system compares them.
std::wstring Folded(std::wstring name) {
  if (!name.empty()) CharUpperBuffW(&name[0], static_cast<DWORD>(name.size()));
  return name;
}

// The last identity of each name counts, in the place of its last creation.
// A name whose latest record says it was not created is left out.
std::vector<CreatedEntry> LatestOfEachName(const std::vector<CreatedEntry>& records,
                                           const std::vector<bool>& withdrawn) {
  std::vector<CreatedEntry> latest;
  std::set<std::wstring> seen;
  for (size_t i = records.size(); i-- > 0;) {
    if (seen.insert(Folded(records[i].name)).second && !withdrawn[i]) {
      latest.push_back(records[i]);
    }
  }
  return std::vector<CreatedEntry>(latest.rbegin(), latest.rend());
}

bool ReadWhole(HANDLE file, std::wstring* text) {
  LARGE_INTEGER size = {};
  if (!GetFileSizeEx(file, &size) || size.QuadPart > kLargestJournal) return false;
  text->assign(static_cast<size_t>(size.QuadPart) / sizeof(wchar_t), L'\0');
  DWORD read = 0;
  const DWORD bytes = static_cast<DWORD>(text->size() * sizeof(wchar_t));
  return bytes == 0 || (ReadFile(file, &(*text)[0], bytes, &read, nullptr) && read == bytes);
}

}  // namespace

bool InstallJournal::Create(const std::wstring& path) {
  file_.Reset(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  return IsOpen();
}

bool InstallJournal::Append(const std::wstring& record) {
  const DWORD bytes = static_cast<DWORD>(record.size() * sizeof(wchar_t));
  DWORD written = 0;
  return file_ && WriteFile(file_.Get(), record.data(), bytes, &written, nullptr) &&
         written == bytes;
}

bool InstallJournal::WillCreateFile(const std::wstring& name) {
  return Append(kWillCreateFile + name + L'\n');
}

bool InstallJournal::WillCreateFolder(const std::wstring& name) {
  return Append(kWillCreateFolder + name + L'\n');
}

bool InstallJournal::NotCreated(const std::wstring& name) {
  return Append(kNotCreated + name + L'\n');
}

bool InstallJournal::Created(const std::wstring& name, const lk::FileIdentity& identity) {
  wchar_t fields[kIdentityUnits + 1] = {};
  _snwprintf(fields, kIdentityUnits, L"%c%08lx%08lx%08lx ", kCreated, identity.volumeSerial,
             identity.indexHigh, identity.indexLow);
  return Append(fields + name + L'\n');
}

bool ReadInstallJournal(const std::wstring& path, std::vector<CreatedEntry>* created) {
  created->clear();
  lk::ScopedFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file || lk::QueryLinkState(file.Get()) != lk::LinkState::kPlain) return false;
  std::wstring text;
  if (!ReadWhole(file.Get(), &text)) return false;
  // Only whole lines count: the last one may have been cut short.
  std::vector<CreatedEntry> records;
  std::vector<bool> withdrawn;
  size_t start = 0;
  for (size_t end = text.find(L'\n'); end != std::wstring::npos;
       start = end + 1, end = text.find(L'\n', start)) {
    const std::wstring line = text.substr(start, end - start);
    CreatedEntry entry;
    if (ParseCreated(line, &entry) || ParseFileName(line, &entry)) {
      records.push_back(entry);
      withdrawn.push_back(line[0] == kNotCreated);
    }
  }
  *created = LatestOfEachName(records, withdrawn);
  return true;
}
