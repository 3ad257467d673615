// SPDX-License-Identifier: MIT
// The guard's part every system shares: what a stop must undo, tracked
// through the file layer, and the stop itself. How a stop is caught is each
// system's (interrupts_posix.cc, interrupts_win32.cc).
#include "cli/interrupts.h"

#include <cstdio>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/console.h"

namespace holvane::cli {

namespace {

// Writes under the guard's mutex, so that a stop sees the file between two
// whole writes.
class GuardedWritableFile final : public WritableFile {
 public:
  GuardedWritableFile(std::unique_ptr<WritableFile> file, SectionMutex& mutex)
      : file_(std::move(file)), mutex_(mutex) {}

  void AppendPieces(std::span<const std::string_view> pieces) override {
    const std::lock_guard lock(mutex_);
    file_->AppendPieces(pieces);
  }
  void Sync() override { file_->Sync(); }
  void Close() override {
    const std::lock_guard lock(mutex_);
    file_->Close();
  }

 private:
  std::unique_ptr<WritableFile> file_;
  SectionMutex& mutex_;
};

}  // namespace

void Stop(InterruptGuard::State& state, int signal) {
  state.mutex.lock();
  if (state.stopping) {
    state.mutex.unlock();
    return;
  }
  WriteText(stderr, state.report(signal, state.input ? &*state.input : nullptr));
  std::fflush(stderr);
  if (state.temporary_created) RemoveNow(state.temporary);
  ExitNow(128 + signal);
}

const char* SignalName(int signal) {
  for (std::size_t i = 0; i < kStopSignalCount; ++i) {
    if (kStopSignals[i] == signal) return kStopSignalNames[i];
  }
  return "?";
}

StopLines StopLinesFor(const InterruptGuard::Report& report, const std::filesystem::path* input) {
  StopLines lines;
  for (std::size_t i = 0; i < kStopSignals.size(); ++i) lines[i] = report(kStopSignals[i], input);
  return lines;
}

namespace {

// Under the guard's mutex: the file layer made `temporary`, the conversion's
// temporary file, or the lock found it there; a stop removes it from here on.
void TemporaryMade(InterruptGuard::State& state, const std::filesystem::path& temporary) {
  if (!state.input) return;
  state.temporary = temporary;
  state.temporary_created = true;
}

// Under the guard's mutex: the file `path` was removed, or given another
// name; when it was the temporary file a stop would remove, it no longer is.
void FileGone(InterruptGuard::State& state, const std::filesystem::path& path) {
  if (state.temporary_created && path == state.temporary) state.temporary_created = false;
}

// The lock of the conversion in progress, through which its temporary file
// is made and removed: the guard learns of them here, under its mutex. The
// temporary file's long write is not held under the mutex: a stop removes
// the file, so a stop in the middle of it loses nothing.
class TrackedLock final : public ConversionLock {
 public:
  TrackedLock(std::unique_ptr<ConversionLock> lock, std::filesystem::path temporary,
              InterruptGuard::State& state)
      : lock_(std::move(lock)), temporary_(std::move(temporary)), state_(state) {}

  bool CreatedTemporary() const override { return lock_->CreatedTemporary(); }

  std::unique_ptr<WritableFile> CreateTemporary(std::filesystem::perms permissions) override {
    const std::lock_guard lock(state_.mutex);
    auto file = lock_->CreateTemporary(permissions);
    TemporaryMade(state_, temporary_);
    return file;
  }

  std::unique_ptr<ReadableFile> OpenTemporary() override { return lock_->OpenTemporary(); }

  void RemoveTemporary() override {
    const std::lock_guard lock(state_.mutex);
    lock_->RemoveTemporary();
    FileGone(state_, temporary_);
  }

 private:
  std::unique_ptr<ConversionLock> lock_;
  std::filesystem::path temporary_;
  InterruptGuard::State& state_;
};

}  // namespace

// Passes every call on to the file layer below, and holds a stop back
// while a file is created, removed or renamed, or an output written. The
// conversion names its temporary files to the layer itself: the one its lock
// concerns (LockConversion), and any file it makes new (CreateNewForWriting,
// a pack's), which are the files a stop removes.
class InterruptGuard::TrackingFileSystem final : public FileSystem {
 public:
  TrackingFileSystem(FileSystem& files, State& state) : files_(files), state_(state) {}

  std::unique_ptr<ReadableFile> OpenForReading(const std::filesystem::path& path) override {
    return files_.OpenForReading(path);
  }

  std::unique_ptr<WritableFile> CreateForWriting(const std::filesystem::path& path,
                                                 std::filesystem::perms permissions) override {
    const std::lock_guard lock(state_.mutex);
    return std::make_unique<GuardedWritableFile>(files_.CreateForWriting(path, permissions),
                                                 state_.mutex);
  }

  // A file made new during a conversion is its temporary file: a stop
  // removes it, so its writes need not hold a stop back.
  std::unique_ptr<WritableFile> CreateNewForWriting(const std::filesystem::path& path,
                                                    std::filesystem::perms permissions) override {
    const std::lock_guard lock(state_.mutex);
    auto file = files_.CreateNewForWriting(path, permissions);
    if (!state_.input) return std::make_unique<GuardedWritableFile>(std::move(file), state_.mutex);
    TemporaryMade(state_, path);
    return file;
  }

  void Remove(const std::filesystem::path& path) override {
    const std::lock_guard lock(state_.mutex);
    files_.Remove(path);
    FileGone(state_, path);
  }

  bool RemoveUnlessHeld(const std::filesystem::path& path) override {
    const std::lock_guard lock(state_.mutex);
    const bool removed = files_.RemoveUnlessHeld(path);
    if (removed) FileGone(state_, path);
    return removed;
  }

  std::vector<std::filesystem::path> ListFolder(const std::filesystem::path& folder) override {
    return files_.ListFolder(folder);
  }

  // A temporary file renamed is no longer there to remove on a stop.
  void Rename(const std::filesystem::path& from, const std::filesystem::path& to,
              RenameMode mode) override {
    const std::lock_guard lock(state_.mutex);
    files_.Rename(from, to, mode);
    FileGone(state_, from);
  }

  // Waits for another conversion of the same input outside the mutex, which
  // must not hold a stop back meanwhile, and tells of the wait before and
  // after. Until this run holds the lock, the temporary file is not its own
  // to remove on a stop, even one it made: the run it waits for may be
  // writing it. (A stop in the moment between the wait's end and the mutex
  // leaves an empty one the wait made, which the next conversion takes on.)
  std::unique_ptr<ConversionLock> LockConversion(const std::filesystem::path& input,
                                                 const std::filesystem::path& temporary,
                                                 LockWait wait) override {
    {
      const std::lock_guard lock(state_.mutex);
      auto taken = files_.LockConversion(input, temporary, LockWait::kDontWait);
      if (taken != nullptr) return Tracked(std::move(taken), temporary);
      if (wait == LockWait::kDontWait) return nullptr;
      if (waiting_) waiting_(true);
    }
    auto taken = files_.LockConversion(input, temporary, LockWait::kWait);
    const std::lock_guard lock(state_.mutex);
    if (waiting_) waiting_(false);
    return Tracked(std::move(taken), temporary);
  }

  void SetWaiting(Waiting waiting) { waiting_ = std::move(waiting); }

 private:
  // Under the mutex: the lock just taken on the conversion whose temporary
  // file is `temporary`. One that taking the lock made is removed on a stop
  // from here on, as one this run writes is.
  std::unique_ptr<ConversionLock> Tracked(std::unique_ptr<ConversionLock> taken,
                                          const std::filesystem::path& temporary) {
    if (state_.input) {
      state_.temporary = temporary;
      if (taken->CreatedTemporary()) TemporaryMade(state_, temporary);
    }
    return std::make_unique<TrackedLock>(std::move(taken), temporary, state_);
  }

  FileSystem& files_;
  State& state_;
  Waiting waiting_;
};

InterruptGuard::InterruptGuard(FileSystem& files, Report report)
    : state_(std::make_shared<State>()),
      files_(std::make_unique<TrackingFileSystem>(files, *state_)) {
  state_->report = std::move(report);
  Listen();
}

InterruptGuard::~InterruptGuard() {
  {
    const std::lock_guard lock(state_->mutex);
    state_->stopping = true;
  }
  StopListening();
}

FileSystem& InterruptGuard::files() { return *files_; }

void InterruptGuard::OnWaiting(Waiting waiting) { files_->SetWaiting(std::move(waiting)); }

void InterruptGuard::Begin(const std::filesystem::path& input) {
  StopLines converting_lines;
  if (state_->on_converting_thread) converting_lines = StopLinesFor(state_->report, &input);
  const std::lock_guard lock(state_->mutex);
  state_->input = input;
  state_->temporary.clear();
  state_->temporary_created = false;
  state_->converting_lines = std::move(converting_lines);
}

void InterruptGuard::End() {
  const std::lock_guard lock(state_->mutex);
  state_->input.reset();
  state_->temporary_created = false;
}

}  // namespace holvane::cli
