// The viewer's settings file lk_main64.ini: location, language, toolbar skin, UTF-16 form.
#pragma once

#include <windows.h>

#include <cstdio>

#include "app/product_info.h"

class InstallTransaction;

// Writes the settings keys and returns the settings file's path in settingsFile (MAX_PATH).
// A settings folder text that names no folder once expanded and trimmed, a folder that
// cannot be created, or one reached through a link that an ordinary user could have made
// (the folder and those above it may be links only when an administrator, SYSTEM or
// TrustedInstaller owns them), counts as empty: the settings then stay in the program
// folder.
// A settings file (either one) that is a hard link or a symbolic link, junction or mount
// point is neither read nor written: its name is deleted and a new file is made in its
// place, as when there was none (a read-only hard link where the system cannot delete it
// as it is: nothing is written). Its attributes are never changed.
void PrepareSettingsFile(const wchar_t* targetFolder, const wchar_t* settingsFolder,
                         wchar_t (&settingsFile)[MAX_PATH]);

// Replaces each %NAME% reference by the variable's value (nothing when undefined).
// An expansion that does not fit into MAX_PATH - 1 characters gives an empty text.
void ExpandVariableReferences(const wchar_t* text, wchar_t (&expanded)[MAX_PATH]);

struct ToolbarSkin {
  const wchar_t* skin;  // file name in the Toolbars folder
  const wchar_t* size;  // pixel size as text
};

// The skin that suits a screen of the given full-screen client height and scale (percent).
ToolbarSkin ChooseToolbarSkinFor(int screenHeight, int scale);
// The skin that suits the current display.
ToolbarSkin ChooseToolbarSkin();

// Opens the settings file for binary reading as ConvertSettingsToUnicode needs it: the name
// itself, never what a link points to, and shared for reading only. Null when there is no
// such file; also when it is a link, whose name is then deleted, as there is no settings
// file of the viewer's to convert, and when what was opened does not lie at that name in
// a folder reached without a link that an ordinary user could have made.
FILE* OpenSettingsFile(const wchar_t* settingsFile);

// Rewrites the settings file as UTF-16 with the header; file is the settings file opened
// for binary reading, and is closed here. A file already in UTF-16, or an empty one, is
// left alone (true). The copy is written to a new file of a unique name beside it, once
// its handle shows that it lies there, and is moved over the settings file through that
// handle. False when the copy cannot be written completely or the move fails; the settings
// file then
// keeps its former content and no copy is left behind. A file that turns out to be a hard
// link is not read: its name is deleted instead (true when it is gone). transaction
// (optional) is the installation's: its journal learns the copy's name before the copy is
// made, so that a run killed in between leaves nothing the next run does not remove.
bool ConvertSettingsToUnicode(const wchar_t* settingsFile, FILE* file,
                              InstallTransaction* transaction = nullptr);
