#include "framework/file_links.h"

#include <aclapi.h>
#include <sddl.h>

#include "framework/path.h"
#include "framework/scoped_handles.h"

namespace lk {

bool IsNameSurrogateTag(DWORD reparseTag) { return (reparseTag & 0x20000000u) != 0; }

// Asked through the attribute-tag and standard classes only: the by-handle information
// also reports the volume's serial number, which Wine fetches from its mount manager
// process, a round trip of a dozen requests for every name checked.
LinkState QueryLinkState(HANDLE file) {
  FILE_ATTRIBUTE_TAG_INFO tag = {};
  if (!GetFileInformationByHandleEx(file, FileAttributeTagInfo, &tag, sizeof(tag))) {
    return LinkState::kUnknown;
  }
  if ((tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && IsNameSurrogateTag(tag.ReparseTag)) {
    return LinkState::kLink;
  }
  if (tag.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) return LinkState::kPlain;
  FILE_STANDARD_INFO standard = {};
  if (!GetFileInformationByHandleEx(file, FileStandardInfo, &standard, sizeof(standard))) {
    return LinkState::kUnknown;
  }
  return standard.NumberOfLinks > 1 ? LinkState::kLink : LinkState::kPlain;
}

LinkState QueryLinkState(const wchar_t* path) {
  ScopedFileHandle file(CreateFileW(
      path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS,
      nullptr));
  if (!file) {
    return IsNotFoundError(GetLastError()) ? LinkState::kMissing : LinkState::kUnknown;
  }
  const LinkState state = QueryLinkState(file.Get());
  if (state != LinkState::kPlain) return state;
  // Wine shows a Unix symbolic link as a reparse point by the name's attributes only, while
  // the handle describes what it leads to. A name marked as a reparse point whose tag does
  // not say otherwise counts as a link.
  const DWORD attributes = GetFileAttributesW(path);
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    return state;
  }
  FILE_ATTRIBUTE_TAG_INFO tag = {};
  const bool otherTag =
      GetFileInformationByHandleEx(file.Get(), FileAttributeTagInfo, &tag, sizeof(tag)) &&
      (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && !IsNameSurrogateTag(tag.ReparseTag);
  return otherTag ? LinkState::kPlain : LinkState::kLink;
}

}  // namespace lk

namespace lk {

namespace {

// The service SID of TrustedInstaller (NT SERVICE\TrustedInstaller).
constexpr wchar_t kTrustedInstallerSid[] =
    L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";

bool IsWellKnown(PSID sid, WELL_KNOWN_SID_TYPE type) { return IsWellKnownSid(sid, type) != FALSE; }

bool IsTrustedInstaller(PSID sid) {
  PSID trustedInstaller = nullptr;
  if (!ConvertStringSidToSidW(kTrustedInstallerSid, &trustedInstaller)) return false;
  const bool same = EqualSid(sid, trustedInstaller) != FALSE;
  LocalFree(trustedInstaller);
  return same;
}

// Where the parts of an absolute path begin: after "C:\" or "\\server\share\"; 0 when
// path is neither.
size_t RootLength(const std::wstring& path) {
  if (path.size() >= 3 && path[1] == L':' && IsPathSeparator(path[2])) return 3;
  if (path.size() < 3 || !IsPathSeparator(path[0]) || !IsPathSeparator(path[1])) return 0;
  const size_t server = path.find_first_of(L"\\/", 2);
  if (server == std::wstring::npos) return 0;
  const size_t share = path.find_first_of(L"\\/", server + 1);
  return share == std::wstring::npos ? 0 : share + 1;
}

// Whether path (without a trailing separator) may be used on the way: true for a plain
// folder or file, and for a link when trustedLinkAllowed and its owner is trusted.
// missing is set when nothing has that name.
bool IsUsableComponent(const std::wstring& path, bool trustedLinkAllowed, bool* missing) {
  *missing = false;
  switch (QueryLinkState(path.c_str())) {
    case LinkState::kMissing:
      *missing = true;
      return true;
    case LinkState::kPlain:
      return true;
    case LinkState::kUnknown:
      return false;
    case LinkState::kLink:
      break;
  }
  ScopedFileHandle name = OpenNameItself(path, FILE_READ_ATTRIBUTES | READ_CONTROL);
  if (!name) return false;
  // A file with a second name is no redirection of the way: what it is used for is up to
  // the caller.
  FILE_ATTRIBUTE_TAG_INFO tag = {};
  if (GetFileInformationByHandleEx(name.Get(), FileAttributeTagInfo, &tag, sizeof(tag)) &&
      !(tag.FileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
      return true;
    }
  }
  return trustedLinkAllowed && HasTrustedOwner(name.Get());
}

}  // namespace

bool IsTrustedLinkOwner(PSID owner) {
  if (!owner || !IsValidSid(owner)) return false;
  return IsWellKnown(owner, WinBuiltinAdministratorsSid) ||
         IsWellKnown(owner, WinLocalSystemSid) || IsTrustedInstaller(owner);
}

bool HasTrustedOwner(HANDLE file) {
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                      nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
    return false;
  }
  const bool trusted = IsTrustedLinkOwner(owner);
  LocalFree(descriptor);
  return trusted;
}

bool IsReachableWithoutUntrustedLinks(const std::wstring& chosen, const std::wstring& path) {
  const std::wstring folder = WithoutTrailingSeparators(chosen);
  const std::wstring full = WithoutTrailingSeparators(path);
  const size_t root = RootLength(full);
  if (root == 0 || full.size() < folder.size() ||
      !SamePathText(full.substr(0, folder.size()), folder) ||
      (full.size() > folder.size() && !IsPathSeparator(full[folder.size()]) &&
       folder.size() != root)) {
    return false;
  }
  // Each part in turn, from the one below the root to path itself.
  for (size_t end = root; end <= full.size(); ++end) {
    if (end < full.size() && !IsPathSeparator(full[end])) continue;
    if (end == root || IsPathSeparator(full[end - 1])) continue;
    bool missing = false;
    if (!IsUsableComponent(full.substr(0, end), end <= folder.size(), &missing)) return false;
    if (missing) return true;
  }
  return true;
}

std::wstring FinalPathOf(HANDLE file) {
  wchar_t buffer[1024] = {};
  const DWORD length = GetFinalPathNameByHandleW(file, buffer, 1024, FILE_NAME_NORMALIZED);
  if (length == 0 || length >= 1024) return std::wstring();
  std::wstring path(buffer, length);
  if (path.compare(0, 8, L"\\\\?\\UNC\\") == 0) return L"\\\\" + path.substr(8);
  if (path.compare(0, 4, L"\\\\?\\") == 0) return path.substr(4);
  return path;
}

bool HasFinalPath(HANDLE file, const std::wstring& expected) {
  const std::wstring real = FinalPathOf(file);
  return !real.empty() && !expected.empty() &&
         SamePathText(WithoutTrailingSeparators(real), WithoutTrailingSeparators(expected));
}

ScopedFileHandle OpenNameItself(const std::wstring& path, DWORD access) {
  return ScopedFileHandle(CreateFileW(path.c_str(), access, kShareAll, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS,
                                      nullptr));
}

ScopedFileHandle OpenFileItself(const std::wstring& path, DWORD access) {
  return ScopedFileHandle(CreateFileW(path.c_str(), access, kShareAll, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

ScopedFileHandle HoldFolder(const std::wstring& folder) {
  return ScopedFileHandle(CreateFileW(folder.c_str(), FILE_TRAVERSE | FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

bool IsOpenedAt(HANDLE file, const std::wstring& folder, const std::wstring& path) {
  const std::wstring base = WithoutTrailingSeparators(folder);
  if (path.size() < base.size() || !SamePathText(path.substr(0, base.size()), base)) {
    return false;
  }
  ScopedFileHandle opened(CreateFileW(base.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!opened) return false;
  const std::wstring finalFolder = FinalPathOf(opened.Get());
  return !finalFolder.empty() && HasFinalPath(file, finalFolder + path.substr(base.size()));
}

}  // namespace lk
