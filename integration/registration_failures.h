// The registry keys and shortcuts that the registration could not write.
#pragma once

#include <windows.h>

#include <string>

// "HKEY_LOCAL_MACHINE\<path>" and so on: a key as the log and the messages name it.
std::wstring RegistryKeyName(HKEY root, const std::wstring& path);

// Collects the writes of one registration that failed; remembers the first by name.
class RegistrationFailures {
 public:
  // A registry write under root\path with its status; anything but ERROR_SUCCESS is noted.
  // Returns status.
  LONG NoteKey(HKEY root, const std::wstring& path, LONG status);
  // The save of a shortcut file (saved 1) or its failure (saved 0). Returns saved.
  int NoteLink(const std::wstring& linkPath, int saved);

  bool Any() const { return count_ > 0; }
  int Count() const { return count_; }
  // The first failed key ("HKEY_LOCAL_MACHINE\SOFTWARE\...") or link path; empty if none.
  const std::wstring& First() const { return first_; }

 private:
  void Note(const std::wstring& name);

  std::wstring first_;
  int count_ = 0;
};

// The same for callers that may pass no collector (null): then nothing is noted.
LONG NoteKeyWrite(RegistrationFailures* failures, HKEY root, const std::wstring& path,
                  LONG status);
int NoteLinkSave(RegistrationFailures* failures, const std::wstring& linkPath, int saved);

// Sets the default value of root\path (lk::SetDefaultValue); a failure is noted.
LONG SetNotedDefaultValue(RegistrationFailures* failures, HKEY root, const std::wstring& path,
                          const std::wstring& data);
