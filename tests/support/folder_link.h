// Links between folders for tests of code that must not follow them. Wine cannot make
// junctions or symbolic links through the Windows calls, but it shows a Unix symbolic
// link to a folder as a folder with FILE_ATTRIBUTE_REPARSE_POINT, as Windows shows a
// junction.
#pragma once

#include <string>

namespace lktest {

// Makes link (a path that does not exist yet) a link to the existing folder target.
// True when the link is in place and shows as a reparse point.
bool MakeFolderLink(const std::wstring& link, const std::wstring& target);

// Removes such a link (not what it points to).
void RemoveFolderLink(const std::wstring& link);

}  // namespace lktest
