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

struct FileHandleTraits {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(HANDLE h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
  static void Close(HANDLE h) { CloseHandle(h); }
};
using ScopedFileHandle = ScopedHandle<HANDLE, FileHandleTraits>;

struct KeyTraits {
  static HKEY Invalid() { return nullptr; }
  static bool IsValid(HKEY k) { return k != nullptr; }
  static void Close(HKEY k) { RegCloseKey(k); }
};

struct ModuleTraits {
  static HMODULE Invalid() { return nullptr; }
  static bool IsValid(HMODULE m) { return m != nullptr; }
  static void Close(HMODULE m) { FreeLibrary(m); }
};
using ScopedModule = ScopedHandle<HMODULE, ModuleTraits>;

struct GdiObjectTraits {
  static HGDIOBJ Invalid() { return nullptr; }
  static bool IsValid(HGDIOBJ o) { return o != nullptr; }
  static void Close(HGDIOBJ o) { DeleteObject(o); }
};
using ScopedGdiObject = ScopedHandle<HGDIOBJ, GdiObjectTraits>;

struct DcTraits {
  static HDC Invalid() { return nullptr; }
  static bool IsValid(HDC d) { return d != nullptr; }
  static void Close(HDC d) { DeleteDC(d); }
};
// A device context made with CreateDCW / CreateCompatibleDC.
using ScopedCreatedDc = ScopedHandle<HDC, DcTraits>;

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

// Memory from LocalAlloc / CoTaskMemAlloc style allocators.
struct CoTaskMemTraits {
  static void* Invalid() { return nullptr; }
  static bool IsValid(void* p) { return p != nullptr; }
  static void Close(void* p) { CoTaskMemFree(p); }
};
using ScopedCoTaskMem = ScopedHandle<void*, CoTaskMemTraits>;

// A handle that is null when invalid and closed by CloseFunction, for handle types of
// libraries (for example an archive of minizip).
template <typename T, auto CloseFunction>
struct NullHandleTraits {
  static T Invalid() { return nullptr; }
  static bool IsValid(T h) { return h != nullptr; }
  static void Close(T h) { CloseFunction(h); }
};

// A C runtime stream that is closed with fclose.
using ScopedCFile = ScopedHandle<FILE*, NullHandleTraits<FILE*, fclose>>;

// Memory from malloc / calloc, released with free.
struct FreeDeleter {
  void operator()(void* p) const { free(p); }
};
template <typename T>
using ScopedMalloc = std::unique_ptr<T, FreeDeleter>;

}  // namespace lk
