// SPDX-License-Identifier: MIT
#include "cli/progress_line.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <sys/ioctl.h>
#include <unistd.h>
#endif

#include <string>

#include "text/utf16.h"

namespace holvane::cli {

namespace {

#ifdef _WIN32
HANDLE ConsoleOf(std::FILE* stream) {
  return reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(stream)));
}

int TerminalWidth(std::FILE* stream) {
  CONSOLE_SCREEN_BUFFER_INFO info{};
  if (::GetConsoleScreenBufferInfo(ConsoleOf(stream), &info) &&
      info.srWindow.Right > info.srWindow.Left) {
    return info.srWindow.Right - info.srWindow.Left + 1;
  }
  return 80;
}
#else
int TerminalWidth(std::FILE* stream) {
  winsize size{};
  if (::ioctl(::fileno(stream), TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  return 80;
}
#endif

// At most `columns` characters of UTF-8 `text`: a line longer than the
// terminal would wrap, and "\r" could no longer take the cursor back to its
// start.
std::string Fit(std::string_view text, int columns) {
  std::string out;
  int used = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    const bool starts_character = (byte & 0xC0) != 0x80;
    if (starts_character && ++used > columns) break;
    out.push_back(text[i]);
  }
  return out;
}

}  // namespace

#ifdef _WIN32
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
#else
bool IsTerminal(std::FILE* stream) { return ::isatty(::fileno(stream)) == 1; }

std::string LineClearing(std::FILE*) { return "\r\033[K"; }

void WriteText(std::FILE* stream, std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stream);
}
#endif

ProgressLine::ProgressLine(std::FILE* stream, bool enabled) : stream_(stream), enabled_(enabled) {}

ProgressLine::~ProgressLine() { Clear(); }

void ProgressLine::Show(std::size_t number, std::size_t total, std::string_view name) {
  if (!enabled_) return;
  const std::string text =
      "[" + std::to_string(number) + "/" + std::to_string(total) + "] " + std::string(name);
  WriteText(stream_, LineClearing(stream_) + Fit(text, TerminalWidth(stream_) - 1));
  std::fflush(stream_);
  drawn_ = true;
}

void ProgressLine::Clear() {
  if (!drawn_) return;
  WriteText(stream_, LineClearing(stream_));
  std::fflush(stream_);
  drawn_ = false;
}

}  // namespace holvane::cli
