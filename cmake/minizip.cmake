# minizip's unzip side with its Win32 file functions, compiled from Debian's
# zlib source package, which scripts/build unpacks under the build folder.
set(LK_ZLIB_SOURCE_DIR "${CMAKE_BINARY_DIR}/third_party/zlib" CACHE PATH
    "Unpacked zlib source tree (contrib/minizip)")
set(_minizip_dir "${LK_ZLIB_SOURCE_DIR}/contrib/minizip")
if(NOT EXISTS "${_minizip_dir}/unzip.c")
  message(FATAL_ERROR "minizip source not found in ${_minizip_dir}; run scripts/build")
endif()

find_library(LK_ZLIB_STATIC NAMES libz.a REQUIRED)
find_path(LK_ZLIB_INCLUDE zlib.h REQUIRED)

add_library(minizip STATIC
  "${_minizip_dir}/unzip.c"
  "${_minizip_dir}/ioapi.c"
  "${_minizip_dir}/iowin32.c")
target_include_directories(minizip SYSTEM PUBLIC "${_minizip_dir}" "${LK_ZLIB_INCLUDE}")
target_compile_definitions(minizip PUBLIC NOUNCRYPT)
target_compile_options(minizip PRIVATE -w)
target_link_libraries(minizip PUBLIC "${LK_ZLIB_STATIC}")
