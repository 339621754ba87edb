// Whether an icon library installed earlier stays in place of the shipped one.
#pragma once

// 1 when the icon library installed at iconLibraryPath is to be kept (newer than 4.30,
// 4.30 of another size, or not the maker's), 0 when the shipped one replaces it.
int IconLibraryDecision(const wchar_t* iconLibraryPath);
