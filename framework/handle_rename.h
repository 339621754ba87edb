// Moving a file through the handle it was opened and checked with. On Windows the file moved
// is the one the handle refers to, and the folder it lands in the one the folder's handle
// refers to. Wine carries such a move out by the names the handles were opened with; the
// checks made through the handles before the move are what holds there.
#pragma once

#include <windows.h>

#include <string>

namespace lk {

// Renames what the open handle (opened with DELETE access) refers to, to destination (an
// absolute path); with replaceExisting it takes the place of a file of that name. What is
// moved is the very file the handle was checked for, whatever became of the names on the
// way to it since it was opened. False when the system refuses.
bool RenameOpened(HANDLE file, const std::wstring& destination, bool replaceExisting);

// The same into the folder an open handle refers to, under name (no separator): the move
// lands in that folder, whatever became of the names on the way to it.
bool RenameOpenedInto(HANDLE file, HANDLE folder, const std::wstring& name, bool replaceExisting);

}  // namespace lk
