// SPDX-License-Identifier: MIT
// A POSIX terminal: bytes as they are, escape sequences, the width ioctl tells.
#include <sys/ioctl.h>
#include <unistd.h>

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
  std::fwrite(text.data(), 1, text.size(), stream);
}

}  // namespace holvane::cli
