// SPDX-License-Identifier: MIT
// Stops caught on POSIX: the signals blocked in the thread that makes the
// guard, so in every thread started afterwards too, and waited for on a
// thread of the guard's own; or, where no thread can be had (a process limit
// reached), caught by a handler on the converting thread, with the same
// outcome: a signal that comes inside a section the guard's mutex guards is
// acted on when the section ends.
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <string>
#include <system_error>
#include <thread>
#include <utility>

#include "cli/console.h"
#include "cli/interrupts.h"

namespace holvane::cli {

const std::array<int, kStopSignalCount> kStopSignals = {SIGINT, SIGTERM, SIGHUP};

const std::array<const char*, kStopSignalCount> kStopSignalNames = {"SIGINT", "SIGTERM", "SIGHUP"};

void RemoveNow(const std::filesystem::path& path) { ::unlink(path.c_str()); }

void ExitNow(int status) { ::_exit(status); }

struct InterruptGuard::State::SystemPart {
  sigset_t signals{};
  sigset_t previous_mask{};
  std::array<struct sigaction, kStopSignalCount> previous_actions{};
};

InterruptGuard::State::State() : system(std::make_unique<SystemPart>()) {}

InterruptGuard::State::~State() = default;

namespace {

// The guard whose signals are caught on the converting thread; one at a time.
std::atomic<InterruptGuard::State*> caught_here{nullptr};

// Stops the run from the converting thread, with what was prepared for the
// stop and nothing a signal handler may not call. A stop already under way
// (a signal that interrupts the one acting on a signal left) is left to
// finish.
void StopHere(InterruptGuard::State& state, int signal) {
  if (state.stopped.exchange(true)) return;
  const StopLines& lines = state.input ? state.converting_lines : state.idle_lines;
  std::size_t index = 0;
  while (index + 1 < kStopSignals.size() && kStopSignals[index] != signal) ++index;
  const std::string& line = lines[index];
  for (std::size_t done = 0; done < line.size();) {
    const ssize_t wrote = ::write(STDERR_FILENO, line.data() + done, line.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) break;
    done += static_cast<std::size_t>(wrote);
  }
  if (state.temporary_created) ::unlink(state.temporary.c_str());
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
    ::sigaction(kStopSignals[i], &state.system->previous_actions[i], nullptr);
  }
  caught_here.store(nullptr);
}

// Catches the signals on this, the converting thread, for want of a thread
// of the guard's own. They are still blocked here, and stay blocked should
// this fail.
void CatchHere(InterruptGuard::State& state) {
  state.idle_lines = StopLinesFor(state.report, nullptr);
  state.on_converting_thread = true;
  state.mutex.OnLeft(StopLeft);
  caught_here.store(&state);
  struct sigaction action {};
  action.sa_handler = OnSignal;
  // One stop at a time. No SA_RESTART: outside a section the handler never
  // returns, and inside one a call it interrupts fails with EINTR, which the
  // file layer goes round.
  action.sa_mask = state.system->signals;
  action.sa_flags = 0;
  for (std::size_t i = 0; i < kStopSignals.size(); ++i) {
    if (::sigaction(kStopSignals[i], &action, &state.system->previous_actions[i]) != 0) {
      const int error = errno;
      PutBackActions(state, i);
      throw std::system_error(error, std::generic_category(), "sigaction");
    }
  }
  if (const int error = ::pthread_sigmask(SIG_UNBLOCK, &state.system->signals, nullptr);
      error != 0) {
    PutBackActions(state, kStopSignals.size());
    throw std::system_error(error, std::generic_category(), "pthread_sigmask");
  }
}

}  // namespace

void InterruptGuard::Listen() {
  sigemptyset(&state_->system->signals);
  for (const int signal : kStopSignals) sigaddset(&state_->system->signals, signal);
  if (const int error =
          ::pthread_sigmask(SIG_BLOCK, &state_->system->signals, &state_->system->previous_mask);
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
    // Whatever failed (a system call, memory for the lines), the signals are
    // put back as they were and the same failure goes on.
    ::pthread_sigmask(SIG_SETMASK, &state_->system->previous_mask, nullptr);
    throw;
  }
}

void InterruptGuard::StopListening() {
  if (waiter_.joinable()) {
    ::pthread_kill(waiter_.native_handle(), SIGHUP);
    waiter_.join();
  } else {
    // Held back while the actions they had before are put back.
    ::pthread_sigmask(SIG_BLOCK, &state_->system->signals, nullptr);
    PutBackActions(*state_, kStopSignals.size());
  }
  // A signal that came after the guard stopped listening now takes its
  // ordinary effect.
  ::pthread_sigmask(SIG_SETMASK, &state_->system->previous_mask, nullptr);
}

void InterruptGuard::Wait() {
  for (;;) {
    int signal = 0;
    if (::sigwait(&state_->system->signals, &signal) != 0) continue;
    Stop(*state_, signal);
    return;
  }
}

}  // namespace holvane::cli
