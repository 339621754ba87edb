// The output side of the entry walk on a thread of its own: the walk inflates the next
// blocks while a writer thread creates, writes, stamps and closes the files. The writer
// does every file-system step of the unpacking, one after another in the walk's order, so
// the output, with the installation's transaction behind it, is only ever touched there.
#pragma once

#include <windows.h>

#include <string>

#include "framework/scoped_handles.h"
#include "payload/entry_output.h"

// Longest path name of an entry, with its terminator, in UTF-16 units.
constexpr int kEntryPathUnits = 324;

class OutputPipeline {
 public:
  // Inflated data moves in blocks of this size through a ring of kBlocks of them.
  static constexpr DWORD kBlockBytes = 65536;
  static constexpr unsigned kBlocks = 4;

  explicit OutputPipeline(EntryOutput* output);
  OutputPipeline(const OutputPipeline&) = delete;
  OutputPipeline& operator=(const OutputPipeline&) = delete;
  // The writer is always waited for.
  ~OutputPipeline();

  // Starts the writer thread; false when it did not start.
  bool Start();

  // The walk's steps, in the one order they make sense:
  //   MakeFolder ... | BeginFile (NextBlock SendBlock)* [NextBlock] (EndFile | AbandonFile)
  // Each one that returns false or nullptr found the writer stopped by a failed write, or
  // was called out of that order (the walk state says where it is): the walk ends there,
  // and Finish reports the unpacking as failed.
  //
  // A folder entry: the folder is made unless a link lies on its way. Between files only.
  bool MakeFolder(const wchar_t* path);
  // Starts a file entry at path. When a link lies on its way, or the file cannot be
  // started even after folderPath (may be empty) was made, the entry is passed over: its
  // blocks are dropped. The file is handed on together with its first block.
  bool BeginFile(const wchar_t* path, const wchar_t* folderPath);
  // The block to fill next with up to kBlockBytes of the begun file's data. Asking again
  // before the block was sent gives the same block.
  char* NextBlock();
  // Hands on the block from NextBlock, filled with size bytes.
  bool SendBlock(DWORD size);
  // Hands on the file's last block: size bytes of the block from NextBlock, or none
  // (size 0) after SendBlock; the file is stamped with dosDateTime and closed.
  bool EndFile(DWORD size, DWORD dosDateTime);
  // The file's data is damaged: what was handed on is removed on rollback, a file not yet
  // handed on is never made. Without a begun file there is nothing to abandon.
  void AbandonFile();

  // Waits until the writer has carried out every step handed on; true when it wrote all of
  // them, false when it passed over an entry or a write failed.
  bool Finish();

 private:
  enum Step : unsigned { kFolder = 1, kBegin = 2, kEnd = 4, kAbandon = 8 };

  struct Block {
    unsigned steps;
    DWORD size;
    DWORD dosDateTime;
    wchar_t path[kEntryPathUnits];
    wchar_t folderPath[kEntryPathUnits];
    char* data;
  };

  // Where the walk is in its order of calls.
  enum class WalkState {
    kNoFile,     // between files: a folder or a new file may come
    kFileBegun,  // a file is begun; no block of it is being filled
    kBlockOpen,  // the block from NextBlock is being filled
  };

  // Walk side.
  Block* Reserve();
  void Send();
  // True when the walk is in one of the states; otherwise the order is broken for good.
  bool Expect(WalkState a, WalkState b);

  // Writer side.
  static DWORD WINAPI Run(void* self);
  void Drain();
  Block* NextToCarry();
  void Carried();
  void Carry(const Block& block);
  bool BeginOutputFile(const Block& block);
  void StopWriting();

  using ScopedThread = lk::ScopedHandle<HANDLE, lk::NullHandleTraits<HANDLE, CloseHandle>>;

  EntryOutput* output_;
  lk::ScopedMalloc<char> ring_;
  Block blocks_[kBlocks];

  // Shared, guarded by lock_.
  CRITICAL_SECTION lock_;
  CONDITION_VARIABLE filled_;  // a block was sent, or the walk is over
  CONDITION_VARIABLE freed_;   // a block was carried, or the writer stopped
  unsigned carried_ = 0;       // blocks the writer is done with
  unsigned sent_ = 0;          // blocks the walk handed on
  bool walkOver_ = false;
  bool stopped_ = false;       // set by the writer only

  // The walk's.
  WalkState state_ = WalkState::kNoFile;
  bool reserved_ = false;     // the block at sent_ is being filled
  bool fileHandedOn_ = false;  // the begun file's first block was sent
  bool orderBroken_ = false;  // a call came out of order
  bool finished_ = false;

  // The writer's; read by the walk once the writer ended.
  bool fileOpen_ = false;
  bool passedOver_ = false;

  ScopedThread thread_;
};
