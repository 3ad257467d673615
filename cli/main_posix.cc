// SPDX-License-Identifier: MIT
// holvane-convert: converts *.wvl files from the command line, for scripts and
// machines without a display. Each file goes through the same ConvertFile as
// in the window, so its text is byte for byte the window's.
#include <csignal>
#include <string>
#include <vector>

#include "cli/program.h"

int main(int argc, char** argv) {
  // A closed pipe on standard output is a write error (EPIPE), not the end
  // of the process: the run stops at the text no one reads, cleans up as
  // ever, and only then ends by SIGPIPE, as cat ends.
  std::signal(SIGPIPE, SIG_IGN);
  const int status = holvane::cli::ReportingWhatEscapes([&] {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return holvane::cli::Main(arguments, [&](std::size_t argument) {
      return std::filesystem::path(arguments[argument]);
    });
  });
  if (status == holvane::cli::kReaderGoneStatus) {
    std::signal(SIGPIPE, SIG_DFL);
    std::raise(SIGPIPE);
  }
  return status;
}
