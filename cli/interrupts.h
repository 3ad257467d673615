// SPDX-License-Identifier: MIT
#ifndef HOLVANE_CLI_INTERRUPTS_H_
#define HOLVANE_CLI_INTERRUPTS_H_

#include <array>
#include <atomic>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "common/file_system.h"

namespace holvane::cli {

// Turns SIGINT, SIGTERM and SIGHUP (on Windows the console's events: Ctrl+C
// as SIGINT, Ctrl+Break as SIGBREAK, closing the console, logging off and
// shutting down as SIGTERM) into a clean stop, wherever the conversion
// stands: its temporary file goes (when it made one), its text file ends
// where an entry ends, the line `report` gives goes to standard error, and
// the process exits at once with 128 + the signal's number (130, 149, 143 on
// Windows). Files converted before stay converted. Conversions must go
// through files(), which holds a stop back while a file is created, removed
// or renamed, or a text file written.
//
// Construct it before any other thread exists; one guard at a time, nothing
// else handling those signals meanwhile. The constructor throws
// std::system_error when the signals cannot be set up, std::bad_alloc when
// memory runs out; the signals are as they were then.
class InterruptGuard final {
 public:
  // The line, ending in a newline, that says the run was stopped by `signal`;
  // `file` is the input being converted, or nullptr between conversions. It
  // is asked for on the guard's thread while the conversion is held still, or
  // without that thread, beforehand, whenever a conversion begins or ends, for
  // each signal.
  using Report = std::function<std::string(int signal, const std::filesystem::path* file)>;

  // What a stop needs, shared with the platform's way of waiting for one.
  struct State;

  InterruptGuard(FileSystem& files, Report report);
  ~InterruptGuard();
  InterruptGuard(const InterruptGuard&) = delete;
  InterruptGuard& operator=(const InterruptGuard&) = delete;

  FileSystem& files();

  // Told, on the conversion's thread, that the conversion in progress waits
  // for another conversion of its input (true) before it can begin, and
  // that the wait is over (false). It is called under the guard's lock, so
  // a stop comes before or after a call, never during one, and it must not
  // call the guard.
  using Waiting = std::function<void(bool waiting)>;
  void OnWaiting(Waiting waiting);

  // The conversion of `input` starts or has ended; only one runs at a time.
  // A stop removes the temporary file it has made through files(): the one
  // its lock names (LockConversion), or one it made new (a pack's). Without
  // the guard's thread, Begin asks `report` for the lines a stop during the
  // conversion would print, so it may throw what `report` throws.
  void Begin(const std::filesystem::path& input);
  void End();

 private:
  class TrackingFileSystem;

  // Each system's own: starts catching the stops, or throws with everything
  // as it was; stops catching them, after which a stop takes its ordinary
  // effect.
  void Listen();
  void StopListening();
  // The guard's thread, where it has one.
  void Wait();

  std::shared_ptr<State> state_;
  std::unique_ptr<TrackingFileSystem> files_;
  std::thread waiter_;
};

// The name a stop's line gives `signal`: "SIGINT", "SIGTERM", "SIGHUP", or
// on Windows "Ctrl+Break" for SIGBREAK.
const char* SignalName(int signal);

// ---------------------------------------------------------------------------
// What the guard's shared part (interrupts.cc) and each system's way of
// catching a stop (interrupts_posix.cc, interrupts_win32.cc) share; nothing
// else uses it.

// The signals a stop answers, in the order of the lines prepared for them:
// SIGINT, SIGTERM, SIGHUP on POSIX; SIGINT, SIGBREAK, SIGTERM on Windows.
inline constexpr std::size_t kStopSignalCount = 3;
extern const std::array<int, kStopSignalCount> kStopSignals;
// Their names, as a stop's line gives them.
extern const std::array<const char*, kStopSignalCount> kStopSignalNames;

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

// The line a stop prints for each of kStopSignals, made beforehand for a
// handler, which may not format or allocate.
using StopLines = std::array<std::string, kStopSignalCount>;

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
  // The temporary file of the conversion in progress, as the conversion
  // named it to the file layer (its lock, or a file it made new), and
  // whether it is there for a stop to remove.
  std::filesystem::path temporary;
  bool temporary_created = false;
  bool stopping = false;
  // Without the guard's thread: what a stop prints between conversions, and
  // during the one in progress.
  bool on_converting_thread = false;
  StopLines idle_lines;
  StopLines converting_lines;
  std::atomic<bool> stopped{false};
  // What each system keeps of its own (the signals' mask and actions before
  // the guard, on POSIX); made and ended in that system's part.
  struct SystemPart;
  std::unique_ptr<SystemPart> system;

  State();
  ~State();
};

// Stops the run for `signal`, unless the guard has stopped listening. The
// mutex is held until the process ends, so the conversion cannot take
// another step once the stop has begun; the exit runs nothing more (no
// destructor could finish with the conversion held still).
void Stop(InterruptGuard::State& state, int signal);

// What a stop prints while `input` is converted, or between conversions when
// it is nullptr.
StopLines StopLinesFor(const InterruptGuard::Report& report, const std::filesystem::path* input);

// Each system's own: removes `path` at once, a failure ignored; ends the
// process at once with `status`, running nothing more.
void RemoveNow(const std::filesystem::path& path);
[[noreturn]] void ExitNow(int status);

}  // namespace holvane::cli

#endif  // HOLVANE_CLI_INTERRUPTS_H_
