// Giving back the earlier state from a set-aside folder: what its journal says the run
// created is removed, the set-aside files are put back, the folder goes. Used by the
// rollback of a failed run and by the next run after a killed one.
#pragma once

#include <string>
#include <vector>

#include "payload/install_transaction.h"

// target: the target folder with its trailing backslash. Only a set-aside folder that is
// not a link and still has the protection the setup gives it is used. Every move goes to a
// place reached without following a link below the target folder.
Recovery RecoverFromSetAsideFolder(const std::wstring& target,
                                   std::vector<std::wstring>* notRestored);

// Deletes the discard folders a commit left in target (never restored from, links inside
// never followed).
void DeleteDiscardFolders(const std::wstring& target);
