// SPDX-License-Identifier: MIT
#ifndef HOLVANE_CLI_REPORT_H_
#define HOLVANE_CLI_REPORT_H_

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace holvane::cli {

// The lines the program prints on standard error, each beginning with its
// name. Every text that may hold a name goes through text::Escaped: names
// come from the command line and the disk, and may hold bytes that drive the
// terminal. Every line goes through WriteText, which a Windows console needs.

// Why a file that is there is not written over: what a person may have
// edited is replaced only when asked.
inline constexpr char kAlreadyThere[] = "файл уже есть; заменить его позволит -f (--force)";

// "holvane-convert: CAUSE". A cause is the program's own sentence, perhaps
// quoting what it read: its control characters are escaped, its backslashes
// left as they are. A name in it is escaped by whoever puts it there.
void Report(std::string_view cause);

// One file's failure, or a notice about it: the file once, then the cause.
void ReportFailure(const std::filesystem::path& path, std::string_view cause);

// How a run ended, as the last lines: `done` files on standard output, or
// on standard error when the texts themselves go to standard output
// (`done_line` makes the line; none for 0), then the `failed` ones, on
// standard error (none for 0). Nothing with `quiet`.
void ReportCounts(std::int64_t done, std::int64_t failed, bool text_on_stdout, bool quiet,
                  std::string (*done_line)(std::int64_t));

// A mistake on the command line, with the usage line and where to read more;
// returns the exit status for it, 2.
int UsageFailure(std::string_view message);

// The one line that says a run was stopped by `signal`, while `file` was
// converted (nullptr: between files), on a line of its own even when a
// progress line was being drawn.
std::string InterruptLine(int signal, const std::filesystem::path* file);

}  // namespace holvane::cli

#endif  // HOLVANE_CLI_REPORT_H_
