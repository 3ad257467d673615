// SPDX-License-Identifier: MIT
#include "cli/interrupts.h"

#ifdef _WIN32
#include <windows.h>

#include <csignal>
#else
#include <pthread.h>
#include <signal.h>
#include <unistd.h>
#endif

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
#ifndef _WIN32
  sigset_t signals{};
  sigset_t previous_mask{};
#endif
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

// Stops the run for `signal`, unless the guard has stopped listening. The
// mutex is held until the process ends, so the conversion cannot take
// another step once the stop has begun; the exit runs nothing more (no
// destructor could finish with the conversion held still).
void Stop(InterruptGuard::State& state, int signal) {
  state.mutex.lock();
  if (state.stopping) {
    state.mutex.unlock();
    return;
  }
  state.report(signal, state.input ? &*state.input : nullptr);
#ifdef _WIN32
  if (state.temporary_created) ::DeleteFileW(TemporaryPathFor(*state.input).c_str());
  ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(128 + signal));
#else
  if (state.temporary_created) ::unlink(TemporaryPathFor(*state.input).c_str());
#endif
  ::_exit(128 + signal);
}

#ifdef _WIN32
// The guard's state for the console's handler, which takes no argument.
std::mutex guarded_mutex;
std::shared_ptr<InterruptGuard::State> guarded;

BOOL WINAPI OnConsoleEvent(DWORD event) {
  std::shared_ptr<InterruptGuard::State> state;
  {
    const std::lock_guard lock(guarded_mutex);
    state = guarded;
  }
  if (state == nullptr) return FALSE;
  Stop(*state, event == CTRL_C_EVENT ? SIGINT : event == CTRL_BREAK_EVENT ? SIGBREAK : SIGTERM);
  // The guard stopped listening: the event takes its ordinary effect.
  return FALSE;
}
#endif

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
    return state_.input && path == TemporaryPathFor(*state_.input);
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

#ifdef _WIN32
InterruptGuard::InterruptGuard(FileSystem& files, Report report)
    : state_(std::make_shared<State>()),
      files_(std::make_unique<TrackingFileSystem>(files, *state_)) {
  state_->report = std::move(report);
  {
    const std::lock_guard lock(guarded_mutex);
    guarded = state_;
  }
  if (!::SetConsoleCtrlHandler(OnConsoleEvent, TRUE)) {
    throw std::system_error(static_cast<int>(::GetLastError()), std::system_category(),
                            "SetConsoleCtrlHandler");
  }
}

InterruptGuard::~InterruptGuard() {
  {
    const std::lock_guard lock(state_->mutex);
    state_->stopping = true;
  }
  ::SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
  const std::lock_guard lock(guarded_mutex);
  guarded.reset();
}
#else
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

#endif

FileSystem& InterruptGuard::files() { return *files_; }

void InterruptGuard::OnWaiting(Waiting waiting) { files_->SetWaiting(std::move(waiting)); }

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
#ifndef _WIN32
  for (;;) {
    int signal = 0;
    if (::sigwait(&state_->signals, &signal) != 0) continue;
    Stop(*state_, signal);
    return;
  }
#endif
}

}  // namespace holvane::cli
