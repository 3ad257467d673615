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

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

#include "cli/progress_line.h"
#include "conversion/convert_file.h"

namespace holvane::cli {

namespace {

// The signals a stop answers, in the order of the lines prepared for them.
#ifdef _WIN32
constexpr std::array kStopSignals = {SIGINT, SIGBREAK, SIGTERM};
#else
constexpr std::array kStopSignals = {SIGINT, SIGTERM, SIGHUP};
#endif

// The guard's mutex. It also tells a signal handler on the converting thread
// (where the guard has no thread of its own) whether that thread is inside a
// section the mutex guards: the handler cannot wait for the section to end, so
// it leaves its signal to be acted on when the section does.
class SectionMutex {
 public:
  void lock() {
    mutex_.lock();
    inside_.store(true);
  }

  // Acts on a signal left meanwhile, once the section is over.
  void unlock() {
    inside_.store(false);
    mutex_.unlock();
    if (const int signal = left_.exchange(0); signal != 0) on_left_(signal);
  }

  // For the handler: whether the thread it interrupted is inside a section,
  // and what to leave for the section's end. Lock-free atomics, which a
  // handler may touch.
  bool inside() const { return inside_.load(); }
  void Leave(int signal) { left_.store(signal); }

  // What unlock calls with a signal left; set before any handler runs.
  void OnLeft(void (*act)(int signal)) { on_left_ = act; }

 private:
  static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free);

  std::mutex mutex_;
  std::atomic<bool> inside_{false};
  std::atomic<int> left_{0};
  void (*on_left_)(int) = nullptr;
};

// What a handler writes and removes when it stops the run: made beforehand,
// since a handler may not format or allocate.
struct PreparedStop {
  std::array<std::string, kStopSignals.size()> lines;  // by kStopSignals
  std::filesystem::path temporary;                     // empty: none
};

}  // namespace

// What a stop needs. The mutex is held around every step that changes what a
// stop must undo (creating and removing files) and around every write to a
// text file, so that a stop never finds a text file in the middle of a write:
// each write ends at an entry's end, and a stop comes between two of them.
// A handler on the converting thread reads the fields only outside those
// sections, so it never sees them half changed.
struct InterruptGuard::State {
  SectionMutex mutex;
  Report report;
  std::optional<std::filesystem::path> input;
  bool temporary_created = false;
  bool stopping = false;
  // Without the guard's thread: what a stop prints and removes between
  // conversions, and during the one in progress.
  bool on_converting_thread = false;
  PreparedStop idle;
  PreparedStop converting;
  std::atomic<bool> stopped{false};
#ifndef _WIN32
  sigset_t signals{};
  sigset_t previous_mask{};
  std::array<struct sigaction, kStopSignals.size()> previous_actions{};
#endif
};

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
  void Close() override {
    const std::lock_guard lock(mutex_);
    file_->Close();
  }

 private:
  std::unique_ptr<WritableFile> file_;
  SectionMutex& mutex_;
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
  WriteText(stderr, state.report(signal, state.input ? &*state.input : nullptr));
  std::fflush(stderr);
#ifdef _WIN32
  if (state.temporary_created) ::DeleteFileW(TemporaryPathFor(*state.input).c_str());
  ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(128 + signal));
#else
  if (state.temporary_created) ::unlink(TemporaryPathFor(*state.input).c_str());
#endif
  ::_exit(128 + signal);
}

// What a stop prints and removes while `input` is converted, or between
// conversions when it is nullptr.
PreparedStop Prepared(const InterruptGuard::Report& report, const std::filesystem::path* input) {
  PreparedStop prepared;
  for (std::size_t i = 0; i < kStopSignals.size(); ++i) {
    prepared.lines[i] = report(kStopSignals[i], input);
  }
  if (input != nullptr) prepared.temporary = TemporaryPathFor(*input);
  return prepared;
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
#else
// The guard whose signals are caught on the converting thread; one at a time.
std::atomic<InterruptGuard::State*> caught_here{nullptr};

// Stops the run from the converting thread, with what was prepared for the
// stop and nothing a signal handler may not call. A stop already under way
// (a signal that interrupts the one acting on a signal left) is left to
// finish.
void StopHere(InterruptGuard::State& state, int signal) {
  if (state.stopped.exchange(true)) return;
  const PreparedStop& prepared = state.input ? state.converting : state.idle;
  std::size_t index = 0;
  while (index + 1 < kStopSignals.size() && kStopSignals[index] != signal) ++index;
  const std::string& line = prepared.lines[index];
  for (std::size_t done = 0; done < line.size();) {
    const ssize_t wrote = ::write(STDERR_FILENO, line.data() + done, line.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) break;
    done += static_cast<std::size_t>(wrote);
  }
  if (state.temporary_created) ::unlink(prepared.temporary.c_str());
  ::_exit(128 + signal);
}

// Outside a section the run stops at once, inside one when the section ends.
void OnSignal(int signal) {
  InterruptGuard::State* const state = caught_here.load();
  if (state == nullptr) return;
  if (state->mutex.inside()) {
    state->mutex.Leave(signal);
    return;
  }
  StopHere(*state, signal);
}

void StopLeft(int signal) {
  if (InterruptGuard::State* const state = caught_here.load()) StopHere(*state, signal);
}

// Puts back the actions the first `count` signals had before the guard's.
void PutBackActions(InterruptGuard::State& state, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    ::sigaction(kStopSignals[i], &state.previous_actions[i], nullptr);
  }
  caught_here.store(nullptr);
}

// Catches the signals on this, the converting thread, for want of a thread
// of the guard's own. They are still blocked here, and stay blocked should
// this fail.
void CatchHere(InterruptGuard::State& state) {
  state.idle = Prepared(state.report, nullptr);
  state.on_converting_thread = true;
  state.mutex.OnLeft(StopLeft);
  caught_here.store(&state);
  struct sigaction action {};
  action.sa_handler = OnSignal;
  // One stop at a time. No SA_RESTART: outside a section the handler never
  // returns, and inside one a call it interrupts fails with EINTR, which the
  // file layer goes round.
  action.sa_mask = state.signals;
  action.sa_flags = 0;
  for (std::size_t i = 0; i < kStopSignals.size(); ++i) {
    if (::sigaction(kStopSignals[i], &action, &state.previous_actions[i]) != 0) {
      const int error = errno;
      PutBackActions(state, i);
      throw std::system_error(error, std::generic_category(), "sigaction");
    }
  }
  if (const int error = ::pthread_sigmask(SIG_UNBLOCK, &state.signals, nullptr); error != 0) {
    PutBackActions(state, kStopSignals.size());
    throw std::system_error(error, std::generic_category(), "pthread_sigmask");
  }
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
  for (const int signal : kStopSignals) sigaddset(&state_->signals, signal);
  if (const int error = ::pthread_sigmask(SIG_BLOCK, &state_->signals, &state_->previous_mask);
      error != 0) {
    throw std::system_error(error, std::generic_category(), "pthread_sigmask");
  }
  try {
    waiter_ = std::thread([this] { Wait(); });
    return;
  } catch (const std::system_error&) {
    // No thread to be had (the process limit reached): caught here instead.
  }
  try {
    CatchHere(*state_);
  } catch (...) {
    ::pthread_sigmask(SIG_SETMASK, &state_->previous_mask, nullptr);
    throw;
  }
}

InterruptGuard::~InterruptGuard() {
  {
    const std::lock_guard lock(state_->mutex);
    state_->stopping = true;
  }
  if (waiter_.joinable()) {
    ::pthread_kill(waiter_.native_handle(), SIGHUP);
    waiter_.join();
  } else {
    // Held back while the actions they had before are put back.
    ::pthread_sigmask(SIG_BLOCK, &state_->signals, nullptr);
    PutBackActions(*state_, kStopSignals.size());
  }
  // A signal that came after the guard stopped listening now takes its
  // ordinary effect.
  ::pthread_sigmask(SIG_SETMASK, &state_->previous_mask, nullptr);
}

#endif

FileSystem& InterruptGuard::files() { return *files_; }

void InterruptGuard::OnWaiting(Waiting waiting) { files_->SetWaiting(std::move(waiting)); }

void InterruptGuard::Begin(const std::filesystem::path& input) {
  PreparedStop converting;
  if (state_->on_converting_thread) converting = Prepared(state_->report, &input);
  const std::lock_guard lock(state_->mutex);
  state_->input = input;
  state_->temporary_created = false;
  state_->converting = std::move(converting);
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
