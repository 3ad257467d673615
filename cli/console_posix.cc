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

void WriteText(std::FILE* stream, std::string_view text) {
  // A write that a signal interrupted (a stop and continue, on NFS, FUSE or a
  // FIFO) goes on where it stopped. The streams are unbuffered (main sees to
  // standard output), so what fwrite says it wrote has reached the system;
  // a buffered stream would drop the rest of its buffer. Any other failure
  // stays flagged on the stream for the check at the end, and so does one
  // flagged before.
  const bool failed_before = std::ferror(stream) != 0;
  while (!text.empty()) {
    text.remove_prefix(std::fwrite(text.data(), 1, text.size(), stream));
    if (text.empty() || failed_before || errno != EINTR) return;
    std::clearerr(stream);
  }
}

}  // namespace holvane::cli
