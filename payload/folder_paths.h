// Creation of a folder path with its missing parents.
#pragma once

// Creates a folder path with every missing parent: 1 when it exists afterwards (or creation
// stopped for another reason than a missing parent), 0 for an empty path or a missing parent.
int MakeDirectoryPath(const wchar_t* path);
