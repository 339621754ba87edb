// A ZIP archive that is one stretch of a larger file (the payload inside the setup's own
// executable), opened through minizip without copying it anywhere.
#pragma once

#include <windows.h>

#include "unzip.h"

// Where an archive lies in a file: its first byte and its length.
struct FileSpan {
  ULONGLONG offset;
  ULONGLONG size;
};

// A span size that means: up to the end of the file.
constexpr ULONGLONG kToEndOfFile = ~0ull;

// Bytes read ahead at once: minizip reads headers a few bytes at a time.
constexpr DWORD kReadAheadBytes = 8192;

// The file state minizip reads through; it must outlive the archive opened on it.
struct SpanFile {
  HANDLE file;
  FileSpan span;
  ULONGLONG position;     // where minizip reads next, relative to span.offset
  ULONGLONG filePointer;  // the file's own position, absolute
  ULONGLONG aheadStart;   // what the read-ahead buffer holds, relative to span.offset
  DWORD aheadLength;
  bool failed;
  bool borrowed;  // the file belongs to the caller: opened and closed there
  unsigned char ahead[kReadAheadBytes];
};

// Opens the archive that fills span of the file at path (read access, read sharing);
// nullptr when the file does not open or holds no archive there. Close it with unzClose.
unzFile OpenArchiveInFile(const wchar_t* path, const FileSpan& span, SpanFile* state);

// Opens the archive that fills span of file, an open handle with read access that stays
// the caller's (unzClose leaves it open); nullptr when it holds no archive there.
unzFile OpenArchiveOnHandle(HANDLE file, const FileSpan& span, SpanFile* state);

// Where size bytes of data, a resource inside module's mapped image, lie in module's file:
// from the section headers; false when they are not within one section's file data.
bool FindImageDataInFile(HMODULE module, const void* data, DWORD size, FileSpan* span);
