// SPDX-License-Identifier: MIT
#ifndef HOLVANE_CLI_PROGRESS_LINE_H_
#define HOLVANE_CLI_PROGRESS_LINE_H_

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

namespace holvane::cli {

// One line of progress on a terminal, redrawn in place: "[3/10] name". It
// draws nothing unless enabled, so a pipe or a file never receives it.
class ProgressLine {
 public:
  ProgressLine(std::FILE* stream, bool enabled);
  ~ProgressLine();
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  void Show(std::size_t number, std::size_t total, std::string_view name);

  // Removes the line, so that what is printed next starts on a clean one.
  void Clear();

 private:
  std::FILE* stream_;
  bool enabled_;
  bool drawn_ = false;
};

// Whether `stream` is a terminal (on Windows a console), on which a
// progress line belongs.
bool IsTerminal(std::FILE* stream);

// What takes the cursor of terminal `stream` back to the start of an emptied
// line: "\r\033[K", or on Windows, whose console may not take escape
// sequences, "\r", a line of spaces and "\r".
std::string LineClearing(std::FILE* stream);

// Writes UTF-8 `text` to `stream`: to a Windows console as UTF-16 through
// WriteConsoleW, so that Cyrillic reads right whatever its code page; to
// anything else (and on POSIX) as the bytes they are.
void WriteText(std::FILE* stream, std::string_view text);

}  // namespace holvane::cli

#endif  // HOLVANE_CLI_PROGRESS_LINE_H_
