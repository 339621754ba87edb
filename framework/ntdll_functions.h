// The file functions of ntdll this program calls directly, where the Win32 layer does not
// pass on what they can do. Looked up at run time: the import table names only DLLs of the
// known set, and MinGW's import library for ntdll is not linked.
#pragma once

#include <windows.h>
#include <winternl.h>

namespace lk {

using NtFileInformationFunction =
    NTSTATUS(NTAPI*)(HANDLE, PIO_STATUS_BLOCK, PVOID, ULONG, FILE_INFORMATION_CLASS);

// The information classes used, as the system numbers them.
constexpr auto kFileInternalInformation = static_cast<FILE_INFORMATION_CLASS>(6);
constexpr auto kFileRenameInformation = static_cast<FILE_INFORMATION_CLASS>(10);

// NtQueryInformationFile or NtSetInformationFile by name; null when ntdll lacks it.
inline NtFileInformationFunction NtFileInformation(const char* name) {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll ? reinterpret_cast<NtFileInformationFunction>(
                     reinterpret_cast<void*>(GetProcAddress(ntdll, name)))
               : nullptr;
}

}  // namespace lk
