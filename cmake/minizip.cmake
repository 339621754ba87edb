# minizip's unzip side, compiled from Debian's zlib source package, which scripts/build
# unpacks under the build folder. The program supplies its own file functions
# (payload/archive_in_file.cpp).
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
  "${_minizip_dir}/ioapi.c")
target_include_directories(minizip SYSTEM PUBLIC "${_minizip_dir}" "${LK_ZLIB_INCLUDE}")
# Compressed data is read in blocks of 256 KB (minizip's default is 16 KB): fewer reads.
target_compile_definitions(minizip PUBLIC NOUNCRYPT UNZ_BUFSIZE=262144)
target_compile_options(minizip PRIVATE -w ${LK_SMALL_CODE_OPTIONS})
target_link_libraries(minizip PUBLIC "${LK_ZLIB_STATIC}")
