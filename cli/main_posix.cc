// SPDX-License-Identifier: MIT
// holvane-convert: converts *.wvl files from the command line, for scripts and
// machines without a display. Each file goes through the same ConvertFile as
// in the window, so its text is byte for byte the window's.
#include <csignal>
#include <vector>

#include "cli/console.h"
#include "cli/options.h"
#include "cli/program.h"

int main(int argc, char** argv) {
  // A closed pipe on standard output is a write error (EPIPE), not the end
  // of the process: the run stops at the text no one reads, cleans up as
  // ever, and only then ends by SIGPIPE, as cat ends.
  std::signal(SIGPIPE, SIG_IGN);
  const int status = holvane::cli::ReportingWhatEscapes([&] {
    // A name is its bytes, for the options and the files alike.
    std::vector<holvane::cli::Argument> arguments;
    for (int i = 1; i < argc; ++i) arguments.push_back({argv[i], argv[i]});
    return holvane::cli::Main(arguments);
  });
  if (status == holvane::cli::kReaderGoneStatus) {
    std::signal(SIGPIPE, SIG_DFL);
    std::raise(SIGPIPE);
  }
  return status;
}
