// SPDX-License-Identifier: MIT
// A Windows console: written in UTF-16 through WriteConsoleW, measured by its
// screen buffer.
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "cli/console.h"
#include "text/unicode.h"

namespace holvane::cli {

namespace {

HANDLE ConsoleOf(std::FILE* stream) {
  return reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(stream)));
}

}  // namespace

int TerminalWidth(std::FILE* stream) {
  CONSOLE_SCREEN_BUFFER_INFO info{};
  if (::GetConsoleScreenBufferInfo(ConsoleOf(stream), &info) &&
      info.srWindow.Right > info.srWindow.Left) {
    return info.srWindow.Right - info.srWindow.Left + 1;
  }
  return 80;
}

LineBreak SystemLineBreak() { return LineBreak::kCrLf; }

// _isatty says yes for any character device (NUL among them): only a
// console answers GetConsoleMode.
bool IsTerminal(std::FILE* stream) {
  DWORD mode = 0;
  return ::_isatty(::_fileno(stream)) != 0 && ::GetConsoleMode(ConsoleOf(stream), &mode);
}

std::string LineClearing(std::FILE* stream) {
  return "\r" + std::string(static_cast<std::size_t>(TerminalWidth(stream) - 1), ' ') + "\r";
}

void WriteText(std::FILE* stream, std::string_view text) {
  if (!IsTerminal(stream) || text.empty()) {
    std::fwrite(text.data(), 1, text.size(), stream);
    return;
  }
  std::fflush(stream);
  const std::wstring wide = text::Utf16FromUtf8(text);
  DWORD written = 0;
  ::WriteConsoleW(ConsoleOf(stream), wide.data(), static_cast<DWORD>(wide.size()), &written,
                  nullptr);
}

int StandardOutputError() {
  if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return 0;
  // What WriteFile said under the C library's write, which the library
  // turns into errno less exactly. Wine says the pipe is no longer
  // connected where Windows says it is being closed.
  const DWORD error = ::GetLastError();
  if (error == ERROR_NO_DATA || error == ERROR_BROKEN_PIPE || error == ERROR_PIPE_NOT_CONNECTED) {
    return EPIPE;
  }
  return errno != 0 ? errno : EIO;
}

}  // namespace holvane::cli
