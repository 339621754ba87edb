#include "integration/registry_names.h"

#include <gtest/gtest.h>

#include <string>

#include "support/test_support.h"

namespace {

// The one test of "the viewer's own type", which the setup (never saved as the replaced
// default) and the uninstaller (never given back) share.
TEST(IsOwnIdentifier, TheViewersIdentifierOrADottedNameBelowItInAnyCase) {
  const struct {
    const wchar_t* identifier;
    bool own;
  } cases[] = {
      {L"Lumenkast.jpg", true},
      {L"LUMENKAST.JPG", true},
      {L"lumenkast.Bmp", true},
      {L"Lumenkast", true},
      {L"lumenkast", true},
      {L"Lumenkast.", true},
      {L"Lumenkast.jpg.1", true},
      {L"", false},
      {L"Lumenkas", false},
      {L"Lumenkasten.jpg", false},
      {L"Lumenkast_Backup", false},
      {L"LumenkastPro.jpg", false},
      {L" Lumenkast.jpg", false},
      {L"Fremd.Lumenkast.jpg", false},
      {L"jpegfile", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.own, lk::IsOwnIdentifier(c.identifier)) << lktest::Narrow(c.identifier);
  }
}

}  // namespace
