#include "payload/archive_in_file.h"

#include <cstring>

#include "ioapi.h"

namespace {

SpanFile* StateOf(voidpf stream) { return static_cast<SpanFile*>(stream); }

// Reads up to size bytes at position (relative to the span) straight from the file; the
// file pointer moves only when the read does not continue the previous one.
DWORD ReadFromFile(SpanFile* state, ULONGLONG position, void* buffer, DWORD size) {
  const ULONGLONG at = state->span.offset + position;
  if (at != state->filePointer) {
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(at);
    if (!SetFilePointerEx(state->file, to, nullptr, FILE_BEGIN)) {
      state->failed = true;
      return 0;
    }
    state->filePointer = at;
  }
  DWORD got = 0;
  if (!ReadFile(state->file, buffer, size, &got, nullptr)) {
    state->failed = true;
    return 0;
  }
  state->filePointer += got;
  return got;
}

// Copies what the read-ahead buffer holds at the current position: the number of bytes.
DWORD TakeFromReadAhead(SpanFile* state, unsigned char* buffer, DWORD size) {
  if (state->position < state->aheadStart ||
      state->position >= state->aheadStart + state->aheadLength) {
    return 0;
  }
  const DWORD offset = static_cast<DWORD>(state->position - state->aheadStart);
  const DWORD count = size < state->aheadLength - offset ? size : state->aheadLength - offset;
  memcpy(buffer, state->ahead + offset, count);
  state->position += count;
  return count;
}

// Reads the file at path; the span says which part of it minizip sees as the whole file.
voidpf ZCALLBACK OpenSpan(voidpf opaque, const void* path, int mode) {
  if ((mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) != ZLIB_FILEFUNC_MODE_READ) return nullptr;
  SpanFile* state = StateOf(opaque);
  if (state->borrowed) return state;
  state->file = CreateFileW(static_cast<const wchar_t*>(path), GENERIC_READ, FILE_SHARE_READ,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (state->file == INVALID_HANDLE_VALUE) return nullptr;
  LARGE_INTEGER fileSize;
  if (state->span.size == kToEndOfFile && GetFileSizeEx(state->file, &fileSize)) {
    state->span.size = static_cast<ULONGLONG>(fileSize.QuadPart) - state->span.offset;
  }
  return state;
}

// Small reads (headers) go through the read-ahead buffer, large ones (entry data) straight
// into minizip's buffer.
uLong ZCALLBACK ReadSpan(voidpf, voidpf stream, void* buffer, uLong size) {
  SpanFile* state = StateOf(stream);
  if (state->position >= state->span.size) return 0;
  const ULONGLONG left = state->span.size - state->position;
  DWORD wanted = left < size ? static_cast<DWORD>(left) : size;
  unsigned char* out = static_cast<unsigned char*>(buffer);
  DWORD done = TakeFromReadAhead(state, out, wanted);
  if (done == wanted) return done;
  if (wanted - done >= kReadAheadBytes) {
    const DWORD got = ReadFromFile(state, state->position, out + done, wanted - done);
    state->position += got;
    return done + got;
  }
  const ULONGLONG rest = state->span.size - state->position;
  state->aheadStart = state->position;
  state->aheadLength = ReadFromFile(state, state->position, state->ahead,
                                    rest < kReadAheadBytes ? static_cast<DWORD>(rest)
                                                           : kReadAheadBytes);
  return done + TakeFromReadAhead(state, out + done, wanted - done);
}

uLong ZCALLBACK WriteSpan(voidpf, voidpf, const void*, uLong) { return 0; }

ZPOS64_T ZCALLBACK TellSpan(voidpf, voidpf stream) { return StateOf(stream)->position; }

long ZCALLBACK SeekSpan(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
  SpanFile* state = StateOf(stream);
  switch (origin) {
    case ZLIB_FILEFUNC_SEEK_SET: state->position = offset; return 0;
    case ZLIB_FILEFUNC_SEEK_CUR: state->position += offset; return 0;
    case ZLIB_FILEFUNC_SEEK_END: state->position = state->span.size + offset; return 0;
    default: return -1;
  }
}

int ZCALLBACK CloseSpan(voidpf, voidpf stream) {
  SpanFile* state = StateOf(stream);
  if (state->borrowed) return 0;
  const bool closed = CloseHandle(state->file) != 0;
  state->file = INVALID_HANDLE_VALUE;
  return closed ? 0 : -1;
}

int ZCALLBACK ErrorSpan(voidpf, voidpf stream) { return StateOf(stream)->failed ? 1 : 0; }

}  // namespace

namespace {

unzFile OpenArchive(const wchar_t* path, HANDLE file, const FileSpan& span, SpanFile* state) {
  state->file = file;
  state->borrowed = file != INVALID_HANDLE_VALUE;
  state->span = span;
  state->position = 0;
  // Nothing is known of where the file pointer is: the first read moves it.
  state->filePointer = ~0ull;
  state->aheadStart = 0;
  state->aheadLength = 0;
  state->failed = false;
  zlib_filefunc64_def functions = {OpenSpan, ReadSpan,  WriteSpan, TellSpan,
                                   SeekSpan, CloseSpan, ErrorSpan, state};
  return unzOpen2_64(path, &functions);
}

}  // namespace

unzFile OpenArchiveInFile(const wchar_t* path, const FileSpan& span, SpanFile* state) {
  if (!path || !path[0] || !state) return nullptr;
  return OpenArchive(path, INVALID_HANDLE_VALUE, span, state);
}

unzFile OpenArchiveOnHandle(HANDLE file, const FileSpan& span, SpanFile* state) {
  if (file == INVALID_HANDLE_VALUE || !file || !state) return nullptr;
  return OpenArchive(L"", file, span, state);
}

bool FindImageDataInFile(HMODULE module, const void* data, DWORD size, FileSpan* span) {
  const BYTE* image = reinterpret_cast<const BYTE*>(module);
  const BYTE* at = static_cast<const BYTE*>(data);
  if (!image || !at || at < image) return false;
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image);
  if (dos->e_magic != IMAGE_DOS_SIGNATURE) return false;
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(image + dos->e_lfanew);
  if (nt->Signature != IMAGE_NT_SIGNATURE) return false;
  const ULONGLONG rva = static_cast<ULONGLONG>(at - image);
  const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
  for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
    if (rva < section->VirtualAddress) continue;
    const ULONGLONG inSection = rva - section->VirtualAddress;
    if (inSection + size > section->SizeOfRawData) continue;
    *span = FileSpan{section->PointerToRawData + inSection, size};
    return true;
  }
  return false;
}
