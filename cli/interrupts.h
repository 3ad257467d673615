// SPDX-License-Identifier: MIT
#ifndef HOLVANE_CLI_INTERRUPTS_H_
#define HOLVANE_CLI_INTERRUPTS_H_

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

}  // namespace holvane::cli

#endif  // HOLVANE_CLI_INTERRUPTS_H_
