#include "app/settings_file.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "app/target_folder.h"
#include "framework/deletion_mark.h"
#include "framework/file_links.h"
#include "framework/handle_rename.h"
#include "framework/path.h"
#include "framework/scoped_handles.h"
#include "framework/unique_file.h"
#include "payload/install_transaction.h"

namespace {

using lk::kSettingsFileName;
// The conversion's copy is "lk_main64.ini_" and a few unique characters: no longer than
// the fixed "lk_main64.ini_temp" of earlier versions, so that it fits in every folder
// where that did.
constexpr const wchar_t* kTempFileStem = lk::kSettingsTempFilePrefix;
static_assert(sizeof(lk::kSettingsTempFilePrefix) / sizeof(wchar_t) - 1 + lk::kUniqueNameChars <=
                  sizeof(L"lk_main64.ini_temp") / sizeof(wchar_t) - 1,
              "the copy's name must fit wherever the fixed name did");

// A settings file under a folder named like this belongs to a portable installation,
// whose viewer also reads the language and skin from its program folder.
constexpr const wchar_t* kPortableMarkers[] = {L"Lumenkast32_App", L"Lumenkast64_App"};

constexpr wchar_t kLanguageDll[] = L"DEUTSCH.DLL";
constexpr wchar_t kLanguageName[] = L"Deutsch";

// Skin rules, tried in order: the first that holds decides, else the default skin.
struct SkinRule {
  int heightAtLeast;
  int scaleAtLeast;
  int heightBelow;
  ToolbarSkin skin;
};
constexpr int kNever = 0x7fffffff;
constexpr SkinRule kSkinRules[] = {
    {1600, 170, 0, {L"gnome-colors-human_48.png", L"48"}},
    {1201, 150, 0, {L"gnome-colors-wise_32.png", L"32"}},
    {kNever, kNever, 768, {L"Marlow_16.png", L"16"}},
};
constexpr ToolbarSkin kDefaultSkin = {L"Kelstrom_24.png", L"24"};

constexpr int kDefaultScale = 100;
constexpr int kBaseDpi = 96;

constexpr char kUnicodeMark[] = "\xFF\xFE";
constexpr wchar_t kUnicodeHeader[] = L"; UNICODE FILE - edit with care ;-)\r\n\r\n";
constexpr size_t kPieceBytes = 2047;
constexpr size_t kPieceUnits = 2048;

using lk::JoinPath;
using lk::ScopedCFile;

bool FormProgramFolderSettingsFile(const wchar_t* targetFolder, wchar_t (&path)[MAX_PATH]) {
  wchar_t folder[MAX_PATH] = {};
  wcsncpy(folder, targetFolder, MAX_PATH - 1);
  TrimSpaces(folder);
  return JoinPath(folder, kSettingsFileName, path);
}

// Whether the folder can be used by an elevated run: it and the folders above it are
// plain folders or links an administrator made (the folder was chosen by whoever ran the
// setup; a user may have planted a link of its name before).
bool IsTrustedFolder(const wchar_t* folder) {
  const std::wstring full = lk::FullPathOf(folder);
  return !full.empty() && lk::IsReachableWithoutUntrustedLinks(full, full);
}

// The folder the settings folder text names, created. False when the text names no
// folder at all (spaces only, only references to undefined variables, or an expansion
// too long), the folder cannot be created, or it is reached through a link that an
// ordinary user could have made (checked before anything is created in it and again
// after): the settings then stay next to the viewer instead of landing in the Windows
// folder, where the profile functions put a file named without a folder, nowhere, or
// wherever the link leads.
bool ResolveSettingsFolder(const wchar_t* settingsFolder, wchar_t (&folder)[MAX_PATH]) {
  if (wcschr(settingsFolder, L'%')) {
    ExpandVariableReferences(settingsFolder, folder);
  } else {
    wcsncpy(folder, settingsFolder, MAX_PATH - 1);
    folder[MAX_PATH - 1] = L'\0';
  }
  TrimSpaces(folder);
  // A folder that cannot be created (no such drive, no rights) would leave the viewer
  // pointed at settings that are nowhere.
  return folder[0] != L'\0' && IsTrustedFolder(folder) && CreateFolderTree(folder) != 0 &&
         IsTrustedFolder(folder);
}

bool IsPortableSettingsFile(const wchar_t* settingsFile) {
  for (const wchar_t* marker : kPortableMarkers) {
    if (wcsstr(settingsFile, marker)) return true;
  }
  return false;
}

// Deletes the name, also when it is read-only, without changing the attributes of the file:
// a hard link shares them with a file elsewhere. Where the system cannot delete a read-only
// name as it is (before Windows 10 1809), the name stays.
bool DeleteName(const wchar_t* path) {
  if (DeleteFileW(path)) return true;
  lk::ScopedFileHandle name(CreateFileW(path, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE |
                                                      FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT,
                                        nullptr));
  return name && lk::MarkIgnoringReadOnly(name.Get(), lk::NameGoes::kWithLastHandle);
}

// A settings file that is a link (a hard link, or a symbolic link, junction or mount point)
// leads to a file that is not the viewer's: it is never read or written. Its name goes (for
// a hard link only the name here, never the other file), and the profile functions make a
// new file in its place as when there was none. False when the name cannot be made safe:
// it is still a link, or it cannot be looked at.
bool ReleaseLinkedSettingsFile(const wchar_t* path) {
  switch (lk::QueryLinkState(path)) {
    case lk::LinkState::kMissing:
    case lk::LinkState::kPlain:
      return true;
    case lk::LinkState::kLink:
      DeleteName(path);
      return lk::QueryLinkState(path) == lk::LinkState::kMissing;
    case lk::LinkState::kUnknown:
      break;
  }
  return false;
}

// One settings file as the profile functions see it, in the folder the installation chose
// for it (the target, or the settings folder); writes and reads nothing when the file is a
// link that could not be removed, or the way to it leads through a link that an ordinary
// user could have made.
class ProfileFile {
 public:
  ProfileFile(const wchar_t* chosenFolder, const wchar_t* path)
      : path_(path),
        usable_(IsReachable(chosenFolder, path) && ReleaseLinkedSettingsFile(path)) {}

  void Write(const wchar_t* section, const wchar_t* key, const wchar_t* value) const {
    if (usable_) WritePrivateProfileStringW(section, key, value, path_);
  }

  bool HasToolbarSkin() const {
    wchar_t skin[MAX_PATH] = {};
    if (usable_) GetPrivateProfileStringW(L"Toolbar", L"Skin", L"", skin, MAX_PATH, path_);
    return skin[0] != L'\0';
  }

 private:
  static bool IsReachable(const wchar_t* chosenFolder, const wchar_t* path) {
    const std::wstring folder = lk::FullPathOf(chosenFolder);
    const std::wstring file = lk::FullPathOf(path);
    return !folder.empty() && !file.empty() && lk::IsReachableWithoutUntrustedLinks(folder, file);
  }

  const wchar_t* path_;
  bool usable_;
};

// One piece of the file: up to kPieceBytes bytes, ending after a line feed if one comes
// first. Returns its length; 0 at the end of the file or on a read error.
size_t ReadPiece(FILE* file, char (&piece)[kPieceBytes]) {
  size_t length = 0;
  int c;
  while (length < kPieceBytes && (c = getc(file)) != EOF) {
    piece[length++] = static_cast<char>(c);
    if (c == '\n') break;
  }
  return length;
}

bool WriteBytes(HANDLE file, const void* bytes, size_t count) {
  DWORD written = 0;
  return WriteFile(file, bytes, static_cast<DWORD>(count), &written, nullptr) &&
         written == count;
}

bool WriteUnits(HANDLE file, const wchar_t* text, size_t count) {
  return WriteBytes(file, text, count * sizeof(wchar_t));
}

// Writes the mark, the header and the whole of source, converted from the ANSI code page,
// into target. pieces receives the number of pieces read. False on any read or write error.
bool WriteUnicodeCopy(FILE* source, HANDLE target, int& pieces) {
  pieces = 0;
  if (!WriteBytes(target, kUnicodeMark, 2)) return false;
  if (!WriteUnits(target, kUnicodeHeader, wcslen(kUnicodeHeader))) return false;
  char piece[kPieceBytes];
  wchar_t wide[kPieceUnits];
  while (size_t length = ReadPiece(source, piece)) {
    ++pieces;
    int units = MultiByteToWideChar(CP_ACP, 0, piece, static_cast<int>(length), wide,
                                    static_cast<int>(kPieceUnits));
    if (units <= 0 || !WriteUnits(target, wide, static_cast<size_t>(units))) return false;
  }
  return !ferror(source);
}

// The expansion being built. A text that does not fit into MAX_PATH would name another
// folder than the viewer expands the same text to: it becomes empty (no folder) instead.
class ExpandedText {
 public:
  explicit ExpandedText(wchar_t (&buffer)[MAX_PATH]) : buffer_(buffer) { buffer_[0] = L'\0'; }
  void Append(const wchar_t* text, size_t count) {
    if (overflow_) return;
    if (length_ + count >= MAX_PATH) return Overflow();
    wmemcpy(buffer_ + length_, text, count);
    length_ += count;
    buffer_[length_] = L'\0';
  }
  void Overflow() {
    overflow_ = true;
    buffer_[0] = L'\0';
  }

 private:
  wchar_t (&buffer_)[MAX_PATH];
  size_t length_ = 0;
  bool overflow_ = false;
};

// The settings file's drive and folder.
void FolderOf(const wchar_t* settingsFile, wchar_t (&folder)[MAX_PATH]) {
  wchar_t drive[_MAX_DRIVE] = {};
  wchar_t directory[_MAX_DIR] = {};
  _wsplitpath(settingsFile, drive, directory, nullptr, nullptr);
  _snwprintf(folder, MAX_PATH - 1, L"%ls%ls", drive, directory);
  folder[MAX_PATH - 1] = L'\0';
}

// Whether the opened file lies at path: in its folder's real location, reached from that
// folder's name without a link a user could have made, under path's own name.
bool IsAtItsName(HANDLE file, const wchar_t* path) {
  const std::wstring full = lk::FullPathOf(path);
  const std::wstring folder = lk::FolderOfPath(full);
  return !folder.empty() && lk::IsReachableWithoutUntrustedLinks(folder, full) &&
         lk::IsOpenedAt(file, folder, full);
}

// The installation's journal as the record of the names the conversion's copy is tried at.
class JournalRecord final : public lk::CreationRecord {
 public:
  explicit JournalRecord(InstallTransaction* transaction) : transaction_(transaction) {}
  bool WillCreate(const wchar_t* path) override { return transaction_->WillCreateFile(path); }
  void NotCreated(const wchar_t* path) override { transaction_->NotCreated(path); }

 private:
  InstallTransaction* transaction_;
};

// The conversion's own copy, deleted by its name when the name is still that file's.
void DeleteMadeFile(const wchar_t* path) {
  lk::ScopedFileHandle made = lk::OpenFileItself(path, DELETE);
  if (!made || lk::QueryLinkState(made.Get()) != lk::LinkState::kPlain) return;
  lk::SetDeletionMark(made.Get(), true);
}

// Moves the complete copy over the settings file through a handle on the copy that was
// checked to be the one at its name: the name it takes replaces whatever has it (a link
// as the name itself), and nothing is moved in from elsewhere.
bool MoveOverSettingsFile(const wchar_t* copy, const wchar_t* settingsFile) {
  lk::ScopedFileHandle made(CreateFileW(copy, DELETE | FILE_READ_ATTRIBUTES, 0, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!made || lk::QueryLinkState(made.Get()) != lk::LinkState::kPlain ||
      !IsAtItsName(made.Get(), copy)) {
    return false;
  }
  return lk::RenameOpened(made.Get(), lk::FullPathOf(settingsFile), true);
}

}  // namespace

void ExpandVariableReferences(const wchar_t* text, wchar_t (&expanded)[MAX_PATH]) {
  ExpandedText output(expanded);
  for (const wchar_t* p = text; *p; ++p) {
    if (*p != L'%') {
      output.Append(p, 1);
      continue;
    }
    const wchar_t* nameEnd = wcschr(p + 1, L'%');
    size_t nameLength = nameEnd ? static_cast<size_t>(nameEnd - p - 1) : wcslen(p + 1);
    wchar_t name[MAX_PATH] = {};
    wcsncpy(name, p + 1, nameLength < MAX_PATH ? nameLength : MAX_PATH - 1);
    wchar_t value[MAX_PATH] = {};
    DWORD valueLength = GetEnvironmentVariableW(name, value, MAX_PATH);
    if (valueLength >= MAX_PATH) {
      output.Overflow();
    } else {
      output.Append(value, valueLength);
    }
    if (!nameEnd) break;
    p = nameEnd;
  }
}

ToolbarSkin ChooseToolbarSkinFor(int screenHeight, int scale) {
  for (const SkinRule& rule : kSkinRules) {
    if (screenHeight >= rule.heightAtLeast || scale >= rule.scaleAtLeast ||
        screenHeight < rule.heightBelow) {
      return rule.skin;
    }
  }
  return kDefaultSkin;
}

ToolbarSkin ChooseToolbarSkin() {
  int scale = kDefaultScale;
  lk::ScopedCreatedDc display(CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr));
  if (display) scale = GetDeviceCaps(display.Get(), LOGPIXELSX) * 100 / kBaseDpi;
  return ChooseToolbarSkinFor(GetSystemMetrics(SM_CYFULLSCREEN), scale);
}

void PrepareSettingsFile(const wchar_t* targetFolder, const wchar_t* settingsFolder,
                         wchar_t (&settingsFile)[MAX_PATH]) {
  settingsFile[0] = L'\0';
  wchar_t programFile[MAX_PATH] = {};
  // Without room for the file name there is no settings file to write to.
  if (!FormProgramFolderSettingsFile(targetFolder, programFile)) return;

  wchar_t folder[MAX_PATH] = {};
  bool separateFolder = settingsFolder[0] != L'\0' &&
                        ResolveSettingsFolder(settingsFolder, folder) &&
                        JoinPath(folder, kSettingsFileName, settingsFile);
  if (!separateFolder) wcscpy(settingsFile, programFile);
  // Each file in the folder chosen for it: the target, or the settings folder.
  const ProfileFile program(lk::FolderOfPath(programFile).c_str(), programFile);
  const ProfileFile settings(lk::FolderOfPath(settingsFile).c_str(), settingsFile);
  program.Write(L"Others", L"INI_Folder", separateFolder ? settingsFolder : nullptr);
  bool portable = separateFolder && IsPortableSettingsFile(settingsFile);

  settings.Write(L"Language", L"DLL", kLanguageDll);
  settings.Write(L"Language", L"Lang", kLanguageName);
  if (portable) {
    program.Write(L"Language", L"DefaultLang", kLanguageDll);
    program.Write(L"Language", L"Lang", kLanguageName);
  }

  if (!settings.HasToolbarSkin()) {
    ToolbarSkin skin = ChooseToolbarSkin();
    settings.Write(L"Toolbar", L"Skin", skin.skin);
    settings.Write(L"Toolbar", L"Size", skin.size);
    if (portable) {
      program.Write(L"Toolbar", L"Skin", kDefaultSkin.skin);
      program.Write(L"Toolbar", L"Size", kDefaultSkin.size);
    }
  }
}

FILE* OpenSettingsFile(const wchar_t* settingsFile) {
  // The name itself, never what a link points to; nobody may change it while it is read.
  lk::ScopedFileHandle handle(CreateFileW(settingsFile, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING,
                                          FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_SEQUENTIAL_SCAN,
                                          nullptr));
  if (!handle) return nullptr;
  const lk::LinkState state = lk::QueryLinkState(handle.Get());
  if (state != lk::LinkState::kPlain) {
    handle.Reset();
    if (state == lk::LinkState::kLink) DeleteName(settingsFile);
    return nullptr;
  }
  // What was opened lies at the name, in a folder reached without a user's link.
  if (!IsAtItsName(handle.Get(), settingsFile)) return nullptr;
  const int descriptor =
      _open_osfhandle(reinterpret_cast<intptr_t>(handle.Get()), _O_RDONLY | _O_BINARY);
  if (descriptor == -1) return nullptr;
  handle.Release();
  FILE* file = _fdopen(descriptor, "rb");
  if (!file) _close(descriptor);
  return file;
}

bool ConvertSettingsToUnicode(const wchar_t* settingsFile, FILE* file,
                              InstallTransaction* transaction) {
  if (!file) return false;
  ScopedCFile source(file);
  // A settings file that turned out to be a link is neither read nor copied; its name goes.
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
  if (lk::QueryLinkState(handle) == lk::LinkState::kLink) {
    source.Reset();
    return DeleteName(settingsFile);
  }
  unsigned char mark[2] = {};
  if (fread(mark, 1, 2, file) == 2 && mark[0] == 0xFF && mark[1] == 0xFE) return true;
  rewind(file);

  // The copy is made beside the settings file, under a new name of its own: the folder may
  // be one the user can write to, and this process may run elevated. It is written only
  // once it is known to lie there.
  wchar_t folder[MAX_PATH] = {};
  FolderOf(settingsFile, folder);
  if (!IsTrustedFolder(folder)) return false;
  // The installation's journal learns the copy's name before it exists, and its identity
  // once it does: a run killed while the copy is there leaves nothing the next run does not
  // know to remove.
  wchar_t tempFile[MAX_PATH] = {};
  JournalRecord record(transaction);
  lk::ScopedFileHandle target =
      lk::CreateUniqueFile(folder, kTempFileStem, L"", FILE_ATTRIBUTE_NORMAL, tempFile, MAX_PATH,
                           transaction ? &record : nullptr);
  if (!target) return false;
  if (!IsAtItsName(target.Get(), tempFile) ||
      (transaction && !transaction->RecordCreatedFile(tempFile, target.Get()))) {
    target.Reset();
    DeleteMadeFile(tempFile);
    return false;
  }

  int pieces = 0;
  bool written = WriteUnicodeCopy(file, target.Get(), pieces);
  source.Reset();
  written = CloseHandle(target.Release()) && written;
  // A copy that is incomplete must never replace the settings file.
  bool converted = written && (pieces == 0 || MoveOverSettingsFile(tempFile, settingsFile));
  if (!converted || pieces == 0) DeleteMadeFile(tempFile);
  return converted;
}
