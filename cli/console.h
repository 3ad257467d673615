// SPDX-License-Identifier: MIT
#ifndef HOLVANE_CLI_CONSOLE_H_
#define HOLVANE_CLI_CONSOLE_H_

#include <cstdio>
#include <string>
#include <string_view>

#include "conversion/record_stream.h"

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
// anything else (and on POSIX) as the bytes they are. A write a signal
// interrupts goes on; a failure is kept for StandardOutputError.
void WriteText(std::FILE* stream, std::string_view text);

// The line break the system's own tools write and look for in a text file:
// LF on POSIX systems, CR LF on Windows.
LineBreak SystemLineBreak();

// Flushes standard output; then the system's error number (errno) of the
// first write to it that failed, 0 when everything reached it. EPIPE stands
// for a reader gone away (the other end of a pipe closed) on every system.
int StandardOutputError();

// The width of terminal `stream` in columns, 80 where it does not tell.
int TerminalWidth(std::FILE* stream);

}  // namespace holvane::cli

#endif  // HOLVANE_CLI_CONSOLE_H_
