// SPDX-License-Identifier: MIT
#ifndef HOLVANE_CLI_PROGRAM_H_
#define HOLVANE_CLI_PROGRAM_H_

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace holvane::cli {

// The path of the argument at a place among the arguments, made from the
// arguments as the system gave them (UTF-16 on Windows), not from their UTF-8.
using PathOf = std::function<std::filesystem::path(std::size_t argument)>;

// The status of a run that ended because standard output's reader went
// away: 128 + SIGPIPE's number, which main turns into SIGPIPE itself where
// there is one, so that a shell sees the run end as it sees cat end there.
inline constexpr int kReaderGoneStatus = 128 + 13;

// The program, from its arguments (UTF-8, for the options) to its exit
// status: parses them, runs, and checks that standard output was written.
int Main(const std::vector<std::string>& arguments, const PathOf& path_of);

// Runs `body` for the exit status. A file's failure is reported where it
// happens and the run goes on; what escapes `body` is what the program itself
// needs and could not get (memory, the signals' setup), before any file is
// touched or between two. It becomes one line and the status 1: no exception
// may end the program unannounced.
int ReportingWhatEscapes(const std::function<int()>& body) noexcept;

}  // namespace holvane::cli

#endif  // HOLVANE_CLI_PROGRAM_H_
