// SPDX-License-Identifier: MIT
#ifndef HOLVANE_CLI_REPORT_H_
#define HOLVANE_CLI_REPORT_H_

#include <filesystem>
#include <string>
#include <string_view>

namespace holvane::cli {

// The lines the program prints on standard error, each beginning with its
// name. Every text that may hold a name goes through text::Escaped: names
// come from the command line and the disk, and may hold bytes that drive the
// terminal. Every line goes through WriteText, which a Windows console needs.

// "holvane-convert: CAUSE".
void Report(std::string_view cause);

// One file's failure: the file once, then the cause.
void ReportFailure(const std::filesystem::path& path, std::string_view cause);

// A mistake on the command line, with the usage line and where to read more;
// returns the exit status for it, 2.
int UsageFailure(std::string_view message);

// The one line that says a run was stopped by `signal`, while `file` was
// converted (nullptr: between files), on a line of its own even when a
// progress line was being drawn.
std::string InterruptLine(int signal, const std::filesystem::path* file);

}  // namespace holvane::cli

#endif  // HOLVANE_CLI_REPORT_H_
