// SPDX-License-Identifier: MIT
#include "cli/interrupts.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <span>
#include <string_view>
#include <system_error>
#include <utility>

#include "conversion/convert_file.h"

namespace holvane::cli {

// What the guard's thread needs to stop a conversion cleanly. The mutex is
// held around every step that changes what a stop must undo (creating and
// removing files) and around every write to a text file, so that a stop never
// finds a text file in the middle of a write: each write ends at an entry's
// end, and a stop comes between two of them.
struct InterruptGuard::State {
  std::mutex mutex;
  Report report;
  std::optional<std::filesystem::path> input;
  bool temporary_created = false;
  bool stopping = false;
  sigset_t signals{};
  sigset_t previous_mask{};
};

namespace {

// Writes under the guard's mutex, so that a stop sees the file between two
// whole writes.
class GuardedWritableFile final : public WritableFile {
 public:
  GuardedWritableFile(std::unique_ptr<WritableFile> file, std::mutex& mutex)
      : file_(std::move(file)), mutex_(mutex) {}

  void AppendPieces(std::span<const std::string_view> pieces) override {
    const std::lock_guard lock(mutex_);
    file_->AppendPieces(pieces);
  }
  void Close() override {
    const std::lock_guard lock(mutex_);
    file_->Close();
  }

 private:
  std::unique_ptr<WritableFile> file_;
  std::mutex& mutex_;
};

}  // namespace

class InterruptGuard::TrackingFileSystem final : public FileSystem {
 public:
  TrackingFileSystem(FileSystem& files, State& state) : files_(files), state_(state) {}

  std::unique_ptr<ReadableFile> OpenForReading(const std::filesystem::path& path) override {
    return files_.OpenForReading(path);
  }

  std::unique_ptr<WritableFile> CreateForWriting(const std::filesystem::path& path,
                                                 std::filesystem::perms permissions) override {
    const std::lock_guard lock(state_.mutex);
    auto file = files_.CreateForWriting(path, permissions);
    // The temporary file is removed on a stop, so its one long write need
    // not hold a stop back.
    if (IsTemporary(path)) {
      state_.temporary_created = true;
      return file;
    }
    return std::make_unique<GuardedWritableFile>(std::move(file), state_.mutex);
  }

  void Remove(const std::filesystem::path& path) override {
    const std::lock_guard lock(state_.mutex);
    files_.Remove(path);
    if (IsTemporary(path)) state_.temporary_created = false;
  }

  // Not under the mutex: waiting here for another conversion of the same
  // input must not hold a stop back.
  std::unique_ptr<InputLock> LockInput(const std::filesystem::path& input) override {
    return files_.LockInput(input);
  }

 private:
  bool IsTemporary(const std::filesystem::path& path) const {
    return state_.input && path == TemporaryPathFor(*state_.input);
  }

  FileSystem& files_;
  State& state_;
};

InterruptGuard::InterruptGuard(FileSystem& files, Report report)
    : state_(std::make_shared<State>()),
      files_(std::make_unique<TrackingFileSystem>(files, *state_)) {
  state_->report = std::move(report);
  sigemptyset(&state_->signals);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&state_->signals, signal);
  if (const int error = ::pthread_sigmask(SIG_BLOCK, &state_->signals, &state_->previous_mask);
      error != 0) {
    throw std::system_error(error, std::generic_category(), "pthread_sigmask");
  }
  waiter_ = std::thread([this] { Wait(); });
}

InterruptGuard::~InterruptGuard() {
  {
    const std::lock_guard lock(state_->mutex);
    state_->stopping = true;
  }
  ::pthread_kill(waiter_.native_handle(), SIGHUP);
  waiter_.join();
  // A signal that came after the guard stopped listening now takes its
  // ordinary effect.
  ::pthread_sigmask(SIG_SETMASK, &state_->previous_mask, nullptr);
}

FileSystem& InterruptGuard::files() { return *files_; }

void InterruptGuard::Begin(const std::filesystem::path& input) {
  const std::lock_guard lock(state_->mutex);
  state_->input = input;
  state_->temporary_created = false;
}

void InterruptGuard::End() {
  const std::lock_guard lock(state_->mutex);
  state_->input.reset();
  state_->temporary_created = false;
}

void InterruptGuard::Wait() {
  for (;;) {
    int signal = 0;
    if (::sigwait(&state_->signals, &signal) != 0) continue;
    // Held until the process ends, so the conversion cannot take another
    // step once the stop has begun.
    state_->mutex.lock();
    if (state_->stopping) {
      state_->mutex.unlock();
      return;
    }
    state_->report(signal, state_->input ? &*state_->input : nullptr);
    if (state_->temporary_created) ::unlink(TemporaryPathFor(*state_->input).c_str());
    ::_exit(128 + signal);
  }
}

}  // namespace holvane::cli
