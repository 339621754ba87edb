// Whether a name in the file system is a link: a hard link (a file with more than one name)
// or a name-surrogate reparse point (symbolic link, junction, mount point). Files that
// Windows compressed, deduplicated or keeps in the cloud carry reparse points of other kinds;
// they are files, not links.
#pragma once

#include <windows.h>

#include <string>

#include "framework/scoped_handles.h"

namespace lk {

// Every kind of sharing: a handle that only looks at a name stands in nobody's way.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The name itself opened with access, file or folder, never what a link leads to; every
// kind of sharing.
ScopedFileHandle OpenNameItself(const std::wstring& path, DWORD access);

// The same for a file only: a folder of that name does not open (no backup semantics).
ScopedFileHandle OpenFileItself(const std::wstring& path, DWORD access);

// A folder held as a current directory is: opened for traversal without delete sharing, so
// that while the handle lives nobody renames or removes it. (A handle with attribute access
// alone takes no part in the sharing checks, and so would hold nothing.)
ScopedFileHandle HoldFolder(const std::wstring& folder);

enum class LinkState {
  kMissing,  // nothing of that name, or its folder does not exist
  kPlain,    // a file or folder that is not a link
  kLink,     // a hard link or a name-surrogate reparse point
  kUnknown,  // it could not be looked at (no access, a sharing violation, a device): treat it
             // as unsafe
};

// Looks at path itself, never at what a link points to.
LinkState QueryLinkState(const wchar_t* path);

// The same for a handle opened with FILE_FLAG_OPEN_REPARSE_POINT (and
// FILE_FLAG_BACKUP_SEMANTICS for a folder); kUnknown when it cannot be queried.
LinkState QueryLinkState(HANDLE file);

// True for the reparse tags that redirect a name to another place.
bool IsNameSurrogateTag(DWORD reparseTag);

// Links that an elevated run may follow: those whose owner is the Administrators group,
// SYSTEM or TrustedInstaller, as the system's redirection trust has it. Any other owner
// may be an ordinary user of the machine.
bool IsTrustedLinkOwner(PSID owner);
// The same for the owner of an opened name; false when it cannot be read.
bool HasTrustedOwner(HANDLE file);

// Whether every folder on the way to path can be used without following a link that an
// ordinary user could have made. chosen is the folder the installation was told to use
// (the target, the settings folder, the current directory for the log): it and the
// folders above it may be links only when HasTrustedOwner; below it no link is followed
// at all, and path itself must not be a link. Missing folders at the end are fine (they
// are yet to be made); a name that cannot be looked at is not. Both paths are absolute,
// path lies in or below chosen (else false).
bool IsReachableWithoutUntrustedLinks(const std::wstring& chosen, const std::wstring& path);

// The path of what an open handle refers to, after every link, in its plain form
// (C:\... or \\server\share\...); empty when it cannot be read.
std::wstring FinalPathOf(HANDLE file);

// True when the final path of the open handle is expected (a final path as FinalPathOf
// gives it), case and trailing separators aside; false when it cannot be read.
bool HasFinalPath(HANDLE file, const std::wstring& expected);

// True when the open handle refers to the file at path once the links of path's
// folders that IsReachableWithoutUntrustedLinks allowed are followed: the final path of
// folder (opened now) joined with the rest of path. For checking a handle after it was
// opened, before it is written through, renamed or marked for deletion.
bool IsOpenedAt(HANDLE file, const std::wstring& folder, const std::wstring& path);

}  // namespace lk
