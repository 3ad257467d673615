// SPDX-License-Identifier: MIT
// A POSIX terminal: bytes as they are, escape sequences, the width ioctl tells.
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "cli/console.h"

namespace holvane::cli {

int TerminalWidth(std::FILE* stream) {
  winsize size{};
  if (::ioctl(::fileno(stream), TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  return 80;
}

LineBreak SystemLineBreak() { return LineBreak::kLf; }

bool IsTerminal(std::FILE* stream) { return ::isatty(::fileno(stream)) == 1; }

std::string LineClearing(std::FILE*) { return "\r\033[K"; }

namespace {

// The error number of the first write to standard output that failed.
int standard_output_error = 0;

}  // namespace

void WriteText(std::FILE* stream, std::string_view text) {
  // Straight to the descriptor, not through stdio: a write a signal
  // interrupts (a stop and continue, on NFS, FUSE or a FIFO) goes on where it
  // stopped, where stdio would drop what it could not write.
  std::fflush(stream);
  const int fd = ::fileno(stream);
  while (!text.empty()) {
    const ssize_t written = ::write(fd, text.data(), text.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      if (fd == STDOUT_FILENO && standard_output_error == 0) {
        standard_output_error = written < 0 ? errno : EIO;
      }
      return;
    }
    text.remove_prefix(static_cast<std::size_t>(written));
  }
}

int StandardOutputError() { return standard_output_error; }

}  // namespace holvane::cli
