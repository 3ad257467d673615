// SPDX-License-Identifier: MIT
// What the guard's shared part (interrupts.cc) and each system's way of
// catching a stop (interrupts_posix.cc, interrupts_win32.cc) share. Only
// they include this.
#ifndef HOLVANE_CLI_INTERRUPTS_DETAIL_H_
#define HOLVANE_CLI_INTERRUPTS_DETAIL_H_

#ifndef _WIN32
#include <signal.h>
#endif

#include <array>
#include <atomic>
#include <cstddef>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>

#include "cli/interrupts.h"

namespace holvane::cli {

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
#ifndef _WIN32
  sigset_t signals{};
  sigset_t previous_mask{};
  std::array<struct sigaction, kStopSignalCount> previous_actions{};
#endif
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

#endif  // HOLVANE_CLI_INTERRUPTS_DETAIL_H_
