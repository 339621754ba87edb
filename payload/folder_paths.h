// Creation of a folder path with its missing parents.
#pragma once

class InstallTransaction;

// Creates a folder path with every missing parent: 1 when it exists afterwards (or creation
// stopped for another reason than a missing parent), 0 for an empty path or a missing parent.
// Each folder it creates is recorded in created, when given.
int MakeDirectoryPath(const wchar_t* path, InstallTransaction* created = nullptr);
