// Owners for the Windows handles the program opens, so that every path releases them.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <utility>

namespace lk {

// Generic owner of a handle-like value with a close function.
template <typename T, typename Traits>
class ScopedHandle {
 public:
  ScopedHandle() = default;
  explicit ScopedHandle(T value) : value_(value) {}
  ~ScopedHandle() { Reset(); }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  ScopedHandle(ScopedHandle&& other) noexcept : value_(other.Release()) {}
  ScopedHandle& operator=(ScopedHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }

  T Get() const { return value_; }
  bool IsValid() const { return Traits::IsValid(value_); }
  explicit operator bool() const { return IsValid(); }
  T* Receive() {
    Reset();
    return &value_;
  }
  T Release() { return std::exchange(value_, Traits::Invalid()); }
  void Reset(T value = Traits::Invalid()) {
    if (Traits::IsValid(value_)) Traits::Close(value_);
    value_ = value;
  }

 private:
  T value_ = Traits::Invalid();
};

// A handle that is null when invalid and closed by CloseFunction.
template <typename T, auto CloseFunction>
struct NullHandleTraits {
  static T Invalid() { return nullptr; }
  static bool IsValid(T h) { return h != nullptr; }
  static void Close(T h) { CloseFunction(h); }
};

struct FileHandleTraits {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(HANDLE h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
  static void Close(HANDLE h) { CloseHandle(h); }
};
using ScopedFileHandle = ScopedHandle<HANDLE, FileHandleTraits>;

// A search of FindFirstFileW / FindFirstFileExW, ended with FindClose.
struct FindHandleTraits {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(HANDLE h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
  static void Close(HANDLE h) { FindClose(h); }
};
using ScopedFindHandle = ScopedHandle<HANDLE, FindHandleTraits>;

using KeyTraits = NullHandleTraits<HKEY, RegCloseKey>;
using ScopedModule = ScopedHandle<HMODULE, NullHandleTraits<HMODULE, FreeLibrary>>;
using ScopedGdiObject = ScopedHandle<HGDIOBJ, NullHandleTraits<HGDIOBJ, DeleteObject>>;
// A device context made with CreateDCW / CreateCompatibleDC.
using ScopedCreatedDc = ScopedHandle<HDC, NullHandleTraits<HDC, DeleteDC>>;

// A COM interface pointer that is released when it goes out of scope.
template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() { Reset(); }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;

  T* Get() const { return ptr_; }
  T* operator->() const { return ptr_; }
  explicit operator bool() const { return ptr_ != nullptr; }
  void** ReceiveVoid() {
    Reset();
    return reinterpret_cast<void**>(&ptr_);
  }
  void Reset() {
    if (ptr_) ptr_->Release();
    ptr_ = nullptr;
  }

 private:
  T* ptr_ = nullptr;
};

// CoInitialize for the lifetime of the object (single-threaded apartment).
class ScopedComApartment {
 public:
  ScopedComApartment() : result_(CoInitialize(nullptr)) {}
  ~ScopedComApartment() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ScopedComApartment(const ScopedComApartment&) = delete;
  ScopedComApartment& operator=(const ScopedComApartment&) = delete;

 private:
  HRESULT result_;
};

// Memory from CoTaskMemAlloc (item lists of the shell, for example).
using ScopedCoTaskMem = ScopedHandle<void*, NullHandleTraits<void*, CoTaskMemFree>>;

// A C runtime stream that is closed with fclose; an archive of minizip is owned the same way.
using ScopedCFile = ScopedHandle<FILE*, NullHandleTraits<FILE*, fclose>>;

// Memory from malloc / calloc, released with free.
struct FreeDeleter {
  void operator()(void* p) const { free(p); }
};
template <typename T>
using ScopedMalloc = std::unique_ptr<T, FreeDeleter>;

}  // namespace lk
