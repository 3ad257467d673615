// SPDX-License-Identifier: MIT
// Stops caught on Windows: the console's events (Ctrl+C, Ctrl+Break, closing
// the console, logging off, shutting down), which the console hands to a
// handler on a thread of its own.
#include <windows.h>

#include <csignal>
#include <memory>
#include <mutex>
#include <system_error>

#include "cli/interrupts.h"

namespace holvane::cli {

const std::array<int, kStopSignalCount> kStopSignals = {SIGINT, SIGBREAK, SIGTERM};

const std::array<const char*, kStopSignalCount> kStopSignalNames = {"SIGINT", "Ctrl+Break",
                                                                    "SIGTERM"};

void RemoveNow(const std::filesystem::path& path) { ::DeleteFileW(path.c_str()); }

void ExitNow(int status) {
  ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(status));
  ::_exit(status);
}

// The console's handler keeps nothing of the guard's to put back.
struct InterruptGuard::State::SystemPart {};

InterruptGuard::State::State() = default;

InterruptGuard::State::~State() = default;

namespace {

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

}  // namespace

void InterruptGuard::Listen() {
  {
    const std::lock_guard lock(guarded_mutex);
    guarded = state_;
  }
  if (!::SetConsoleCtrlHandler(OnConsoleEvent, TRUE)) {
    throw std::system_error(static_cast<int>(::GetLastError()), std::system_category(),
                            "SetConsoleCtrlHandler");
  }
}

void InterruptGuard::StopListening() {
  ::SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
  const std::lock_guard lock(guarded_mutex);
  guarded.reset();
}

// The console calls its handler on a thread of its own: there is no waiting
// to do here.
void InterruptGuard::Wait() {}

}  // namespace holvane::cli
