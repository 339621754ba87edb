// The payload archive inside a setup executable: read it, or put another one into a copy
// of the executable, as a damaged or tampered download would carry it.
#pragma once

#include <string>

namespace lktest {

// The bytes of resource "ZIP" 210 of the executable; empty when it has none.
std::string ReadPayloadResource(const std::wstring& executable);

// Copies executable to copy and replaces the payload resource of the copy with archive
// (same type, name and language), with the digest resource made to match it, as a build
// would have made them; with keepDigest the digest stays the built one, as in a damaged
// download. False when a step fails.
bool CopySetupWithPayload(const std::wstring& executable, const std::wstring& copy,
                          const std::string& archive, bool keepDigest = false);

}  // namespace lktest
