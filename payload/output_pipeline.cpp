#include "payload/output_pipeline.h"

#include <cstdlib>
#include <cwchar>

namespace {

// Holds the lock while it lives.
class Locked {
 public:
  explicit Locked(CRITICAL_SECTION* lock) : lock_(lock) { EnterCriticalSection(lock_); }
  ~Locked() { LeaveCriticalSection(lock_); }
  Locked(const Locked&) = delete;
  Locked& operator=(const Locked&) = delete;

 private:
  CRITICAL_SECTION* lock_;
};

void CopyPath(const wchar_t* from, wchar_t (&to)[kEntryPathUnits]) {
  wcsncpy(to, from, kEntryPathUnits - 1);
  to[kEntryPathUnits - 1] = L'\0';
}

}  // namespace

OutputPipeline::OutputPipeline(EntryOutput* output) : output_(output) {
  InitializeCriticalSection(&lock_);
  InitializeConditionVariable(&filled_);
  InitializeConditionVariable(&freed_);
}

OutputPipeline::~OutputPipeline() {
  Finish();
  DeleteCriticalSection(&lock_);
}

bool OutputPipeline::Start() {
  ring_.reset(static_cast<char*>(malloc(static_cast<size_t>(kBlocks) * kBlockBytes)));
  if (!ring_) return false;
  for (unsigned i = 0; i < kBlocks; ++i) blocks_[i].data = ring_.get() + i * kBlockBytes;
  thread_.Reset(CreateThread(nullptr, 0, Run, this, 0, nullptr));
  return static_cast<bool>(thread_);
}

// --- The walk's side ---

// The block at sent_, waited for while the ring is full; nullptr once the writer stopped.
OutputPipeline::Block* OutputPipeline::Reserve() {
  {
    Locked locked(&lock_);
    while (!stopped_ && sent_ - carried_ == kBlocks) {
      SleepConditionVariableCS(&freed_, &lock_, INFINITE);
    }
    if (stopped_) return nullptr;
  }
  Block* block = &blocks_[sent_ % kBlocks];
  if (!reserved_) {
    block->steps = 0;
    block->size = 0;
    reserved_ = true;
  }
  return block;
}

void OutputPipeline::Send() {
  {
    Locked locked(&lock_);
    ++sent_;
  }
  reserved_ = false;
  WakeConditionVariable(&filled_);
}

bool OutputPipeline::Expect(WalkState a, WalkState b) {
  if (!orderBroken_ && (state_ == a || state_ == b)) return true;
  orderBroken_ = true;
  return false;
}

bool OutputPipeline::MakeFolder(const wchar_t* path) {
  if (!Expect(WalkState::kNoFile, WalkState::kNoFile)) return false;
  Block* block = Reserve();
  if (!block) return false;
  block->steps = kFolder;
  CopyPath(path, block->path);
  Send();
  return true;
}

bool OutputPipeline::BeginFile(const wchar_t* path, const wchar_t* folderPath) {
  if (!Expect(WalkState::kNoFile, WalkState::kNoFile)) return false;
  Block* block = Reserve();
  if (!block) return false;
  block->steps = kBegin;
  CopyPath(path, block->path);
  CopyPath(folderPath, block->folderPath);
  state_ = WalkState::kFileBegun;
  fileHandedOn_ = false;
  return true;
}

char* OutputPipeline::NextBlock() {
  if (!Expect(WalkState::kFileBegun, WalkState::kBlockOpen)) return nullptr;
  Block* block = Reserve();
  if (!block) return nullptr;
  state_ = WalkState::kBlockOpen;
  return block->data;
}

bool OutputPipeline::SendBlock(DWORD size) {
  if (!Expect(WalkState::kBlockOpen, WalkState::kBlockOpen) || size > kBlockBytes) {
    orderBroken_ = true;
    return false;
  }
  blocks_[sent_ % kBlocks].size = size;
  Send();
  fileHandedOn_ = true;
  state_ = WalkState::kFileBegun;
  return true;
}

bool OutputPipeline::EndFile(DWORD size, DWORD dosDateTime) {
  const WalkState allowed = size == 0 ? WalkState::kFileBegun : WalkState::kBlockOpen;
  if (!Expect(allowed, WalkState::kBlockOpen) || size > kBlockBytes) {
    orderBroken_ = true;
    return false;
  }
  // After SendBlock no block is reserved yet: the end travels in a block of its own.
  Block* block = Reserve();
  if (!block) return false;
  block->size = size;
  block->steps |= kEnd;
  block->dosDateTime = dosDateTime;
  Send();
  state_ = WalkState::kNoFile;
  return true;
}

void OutputPipeline::AbandonFile() {
  if (state_ == WalkState::kNoFile) return;
  state_ = WalkState::kNoFile;
  if (!fileHandedOn_) {
    // Never handed on: the file was not made, so there is nothing to take back.
    reserved_ = false;
    return;
  }
  Block* block = Reserve();
  if (!block) return;
  block->steps = kAbandon;
  block->size = 0;
  Send();
}

bool OutputPipeline::Finish() {
  if (!finished_) {
    finished_ = true;
    {
      Locked locked(&lock_);
      walkOver_ = true;
    }
    WakeConditionVariable(&filled_);
    if (thread_) WaitForSingleObject(thread_.Get(), INFINITE);
  }
  return thread_ && !stopped_ && !passedOver_ && !orderBroken_;
}

// --- The writer's side ---

DWORD WINAPI OutputPipeline::Run(void* self) {
  static_cast<OutputPipeline*>(self)->Drain();
  return 0;
}

// Carries out the blocks in the order they were sent until the walk is over; after a failed
// write it only makes room, so that the walk is never left waiting.
void OutputPipeline::Drain() {
  for (Block* block = NextToCarry(); block; block = NextToCarry()) {
    if (!stopped_) Carry(*block);
    Carried();
  }
  // A walk that ended inside a file leaves it to the rollback.
  output_->AbandonFile();
}

OutputPipeline::Block* OutputPipeline::NextToCarry() {
  Locked locked(&lock_);
  while (carried_ == sent_ && !walkOver_) SleepConditionVariableCS(&filled_, &lock_, INFINITE);
  return carried_ == sent_ ? nullptr : &blocks_[carried_ % kBlocks];
}

void OutputPipeline::Carried() {
  {
    Locked locked(&lock_);
    ++carried_;
  }
  WakeConditionVariable(&freed_);
}

void OutputPipeline::Carry(const Block& block) {
  // A link or junction inside the target would carry the entry somewhere else.
  if (block.steps & (kFolder | kBegin) && output_->LeadsThroughLink(block.path)) {
    passedOver_ = true;
    return;
  }
  if (block.steps & kFolder) output_->MakeFolder(block.path);
  if (block.steps & kBegin) {
    fileOpen_ = BeginOutputFile(block);
    if (!fileOpen_) passedOver_ = true;
  }
  if (!fileOpen_) return;
  if (block.size != 0 && !output_->Write(block.data, block.size)) {
    output_->AbandonFile();
    fileOpen_ = false;
    StopWriting();
    return;
  }
  if (block.steps & kEnd) output_->EndFile(block.dosDateTime);
  if (block.steps & kAbandon) output_->AbandonFile();
  if (block.steps & (kEnd | kAbandon)) fileOpen_ = false;
}

// Starts the output file; when that fails for a name in a folder, makes the folder path and
// tries once more.
bool OutputPipeline::BeginOutputFile(const Block& block) {
  if (output_->BeginFile(block.path)) return true;
  if (block.folderPath[0] == L'\0') return false;
  output_->MakeFolderPath(block.folderPath);
  return output_->BeginFile(block.path);
}

void OutputPipeline::StopWriting() {
  {
    Locked locked(&lock_);
    stopped_ = true;
  }
  WakeConditionVariable(&freed_);
}
