#include "support/installation_test.h"

#include "support/installation_state.h"

namespace lktest {

void InstallationTest::Clean() {
  CloseViewerWindows();
  RemoveRegistration();
  RemoveShortcuts();
  RemoveTree(L"C:\\Tools");
}

int InstallationTest::RunSetup(const std::wstring& arguments) const {
  return lktest::RunSetup(arguments, cwd_.Path());
}

}  // namespace lktest
