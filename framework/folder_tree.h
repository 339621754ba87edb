// Making a folder together with the folders above it that are missing.
#pragma once

#include <string>

namespace lk {

// Makes one folder; false, with the system's last error, when it was not made (one that
// exists already is not made either). Refers to the caller's function object for the
// length of the call it is passed to, without a copy: std::function would bring the C++
// library's exception support into the executable for its empty-call error alone.
class FolderMaker {
 public:
  // Not explicit: callers pass a lambda where a FolderMaker is asked for.
  template <typename Function>
  FolderMaker(const Function& function)
      : function_(&function), call_(&Call<Function>) {}
  bool operator()(const std::wstring& folder) const { return call_(function_, folder); }

 private:
  template <typename Function>
  static bool Call(const void* function, const std::wstring& folder) {
    return (*static_cast<const Function*>(function))(folder);
  }

  const void* function_;
  bool (*call_)(const void* function, const std::wstring& folder);
};

// Offers each folder of path to makeFolder from the top down: the path up to each separator
// after the first character (a network path's leading "\\" is no folder of its own), then
// the whole path. Stops with false at the first that could not be made because a folder
// above it is missing; true otherwise, whether or not it existed before. Whether the folder
// can be used afterwards is the caller's to check.
bool MakeFolderTree(const std::wstring& path, const FolderMaker& makeFolder);

}  // namespace lk
