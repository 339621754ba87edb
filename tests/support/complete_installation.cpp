#include "support/complete_installation.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "support/expected_installation.h"
#include "support/expected_texts.h"
#include "support/payload_resource.h"
#include "support/test_support.h"

namespace lktest {

namespace {

// An entry's MS-DOS time, read as local time, as the file system keeps it.
FILETIME EntryTime(uint32_t dosDateTime) {
  FILETIME local = {}, utc = {};
  DosDateTimeToFileTime(static_cast<WORD>(dosDateTime >> 16),
                        static_cast<WORD>(dosDateTime & 0xFFFF), &local);
  LocalFileTimeToFileTime(&local, &utc);
  return utc;
}

bool SameTime(const FILETIME& a, const FILETIME& b) { return CompareFileTime(&a, &b) == 0; }

void ExpectPayloadFile(const std::wstring& folder, const ZipEntryLayout& entry) {
  const std::wstring path = EntryPath(folder, entry.name);
  SCOPED_TRACE(Narrow(path));
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  ASSERT_TRUE(GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data));
  EXPECT_EQ(0u, data.nFileSizeHigh);
  EXPECT_EQ(entry.size, data.nFileSizeLow);
  const FILETIME expected = EntryTime(entry.dosDateTime);
  EXPECT_TRUE(SameTime(expected, data.ftLastWriteTime));
  EXPECT_TRUE(SameTime(expected, data.ftCreationTime));
}

void ExpectSettingsFile(const std::wstring& folder) {
  const std::string bytes = ReadFileBytes(folder + L"lk_main64.ini");
  ASSERT_GE(bytes.size(), 2u) << Narrow(folder);
  EXPECT_EQ("\xFF\xFE", bytes.substr(0, 2));
  const std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data() + 2),
                          (bytes.size() - 2) / sizeof(wchar_t));
  EXPECT_EQ(0u, text.find(kSettingsHeader));
  EXPECT_NE(std::wstring::npos, text.find(L"[Language]"));
  EXPECT_NE(std::wstring::npos, text.find(L"DLL=DEUTSCH.DLL"));
  EXPECT_NE(std::wstring::npos, text.find(L"[Toolbar]"));
}

}  // namespace

std::vector<ZipEntryLayout> PayloadEntries() {
  ZipLayout layout;
  ReadZipLayout(ReadPayloadResource(LK_SETUP_EXE), &layout);
  return layout.entries;
}

std::wstring EntryPath(const std::wstring& folder, const std::string& storedName) {
  std::wstring path = folder;
  for (char c : storedName) path += c == '/' ? L'\\' : static_cast<wchar_t>(c);
  return path;
}

void ExpectCompleteInstallation(const std::wstring& folder) {
  const std::vector<ZipEntryLayout> entries = PayloadEntries();
  ASSERT_FALSE(entries.empty());
  for (const ZipEntryLayout& entry : entries) {
    if (entry.folder) {
      EXPECT_TRUE(FolderExists(EntryPath(folder, entry.name))) << entry.name;
    } else {
      ExpectPayloadFile(folder, entry);
    }
  }
  ExpectSettingsFile(folder);
  ExpectApplicationKeys(folder);
}

}  // namespace lktest
