// SPDX-License-Identifier: MIT
#ifndef HOLVANE_CLI_CONSOLE_H_
#define HOLVANE_CLI_CONSOLE_H_

#include <cstdio>
#include <string>
#include <string_view>

#include "conversion/text_form.h"

// The terminal holvane-convert writes to: a POSIX terminal or a Windows
// console. Each system has its own (console_posix.cc, console_win32.cc).
namespace holvane::cli {

// Whether `stream` is a terminal (on Windows a console), on which a
// progress line belongs.
bool IsTerminal(std::FILE* stream);

// What takes the cursor of terminal `stream` back to the start of an emptied
// line: "\r\033[K", or on Windows, whose console may not take escape
// sequences, "\r", a line of spaces and "\r".
std::string LineClearing(std::FILE* stream);

// Writes UTF-8 `text` to `stream`: to a Windows console as UTF-16 through
// WriteConsoleW, so that Cyrillic reads right whatever its code page; to
// anything else (and on POSIX) as the bytes they are. A failure is left flagged
// on the stream (std::ferror); a write a signal interrupts goes on.
void WriteText(std::FILE* stream, std::string_view text);

// The line break the system's own tools write and look for in a text file:
// LF on POSIX systems, CR LF on Windows.
LineBreak SystemLineBreak();

// The width of terminal `stream` in columns, 80 where it does not tell.
int TerminalWidth(std::FILE* stream);

}  // namespace holvane::cli

#endif  // HOLVANE_CLI_CONSOLE_H_
