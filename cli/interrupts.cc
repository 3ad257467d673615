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
#include "cli/interrupts_detail.h"
#include "conversion/convert_file.h"

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

PreparedStop Prepared(const InterruptGuard::Report& report, const std::filesystem::path* input,
                      const std::filesystem::path& temporary) {
  PreparedStop prepared;
  for (std::size_t i = 0; i < kStopSignals.size(); ++i) {
    prepared.lines[i] = report(kStopSignals[i], input);
  }
  if (input != nullptr) prepared.temporary = temporary;
  return prepared;
}

class InterruptGuard::TrackingFileSystem final : public FileSystem {
 public:
  TrackingFileSystem(FileSystem& files, State& state) : files_(files), state_(state) {}

  std::unique_ptr<ReadableFile> OpenForReading(const std::filesystem::path& path) override {
    return files_.OpenForReading(path);
  }

  std::unique_ptr<WritableFile> CreateForWriting(const std::filesystem::path& path,
                                                 std::filesystem::perms permissions) override {
    const std::lock_guard lock(state_.mutex);
    return Tracked(path, files_.CreateForWriting(path, permissions));
  }

  std::unique_ptr<WritableFile> CreateNewForWriting(const std::filesystem::path& path,
                                                    std::filesystem::perms permissions) override {
    const std::lock_guard lock(state_.mutex);
    return Tracked(path, files_.CreateNewForWriting(path, permissions));
  }

  // As CreateForWriting: the temporary file is this run's to remove on a
  // stop from the moment it is emptied for writing.
  std::unique_ptr<WritableFile> CreateTemporary(ConversionLock& held,
                                                const std::filesystem::path& temporary,
                                                std::filesystem::perms permissions) override {
    const std::lock_guard lock(state_.mutex);
    auto file = files_.CreateTemporary(held, temporary, permissions);
    if (IsTemporary(temporary)) state_.temporary_created = true;
    return file;
  }

  std::unique_ptr<ReadableFile> OpenTemporary(ConversionLock& held,
                                              const std::filesystem::path& temporary) override {
    return files_.OpenTemporary(held, temporary);
  }

  void Remove(const std::filesystem::path& path) override {
    const std::lock_guard lock(state_.mutex);
    files_.Remove(path);
    if (IsTemporary(path)) state_.temporary_created = false;
  }

  bool RemoveUnlessHeld(const std::filesystem::path& path) override {
    const std::lock_guard lock(state_.mutex);
    const bool removed = files_.RemoveUnlessHeld(path);
    if (removed && IsTemporary(path)) state_.temporary_created = false;
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
    if (IsTemporary(from)) state_.temporary_created = false;
  }

  // Waits for another conversion of the same input outside the mutex, which
  // must not hold a stop back meanwhile, and tells of the wait before and
  // after. Until this run holds the lock, the temporary file is not its own
  // to remove on a stop, even one it made: the run it waits for may be
  // writing it. (A stop in the moment between the wait's end and the mutex
  // leaves an empty one the wait made, which the next conversion takes on.)
  std::unique_ptr<ConversionLock> LockConversion(const std::filesystem::path& input,
                                                 LockWait wait) override {
    {
      const std::lock_guard lock(state_.mutex);
      auto held = files_.LockConversion(input, LockWait::kDontWait);
      if (held != nullptr) return Held(std::move(held));
      if (wait == LockWait::kDontWait) return nullptr;
      if (waiting_) waiting_(true);
    }
    auto held = files_.LockConversion(input, LockWait::kWait);
    const std::lock_guard lock(state_.mutex);
    if (waiting_) waiting_(false);
    return Held(std::move(held));
  }

  void SetWaiting(Waiting waiting) { waiting_ = std::move(waiting); }

 private:
  bool IsTemporary(const std::filesystem::path& path) const {
    return state_.input && path == state_.temporary;
  }

  // Under the mutex: the file `path` just made for writing. The temporary
  // file is removed on a stop, so its one long write need not hold a stop
  // back.
  std::unique_ptr<WritableFile> Tracked(const std::filesystem::path& path,
                                        std::unique_ptr<WritableFile> file) {
    if (IsTemporary(path)) {
      state_.temporary_created = true;
      return file;
    }
    return std::make_unique<GuardedWritableFile>(std::move(file), state_.mutex);
  }

  // Under the mutex: a temporary file that taking the lock made is removed
  // on a stop from here on, as one this run writes is.
  std::unique_ptr<ConversionLock> Held(std::unique_ptr<ConversionLock> lock) {
    if (lock->CreatedTemporary()) state_.temporary_created = true;
    return lock;
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

void InterruptGuard::Begin(const std::filesystem::path& input,
                           std::optional<std::filesystem::path> temporary) {
  const std::filesystem::path made = temporary ? *temporary : TemporaryPathFor(input);
  PreparedStop converting;
  if (state_->on_converting_thread) converting = Prepared(state_->report, &input, made);
  const std::lock_guard lock(state_->mutex);
  state_->input = input;
  state_->temporary = made;
  state_->temporary_created = false;
  state_->converting = std::move(converting);
}

void InterruptGuard::End() {
  const std::lock_guard lock(state_->mutex);
  state_->input.reset();
  state_->temporary_created = false;
}

}  // namespace holvane::cli
