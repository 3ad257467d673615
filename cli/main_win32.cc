// SPDX-License-Identifier: MIT
// holvane-convert on Windows: converts *.wvl files from the command line, for
// scripts and machines without a display. Each file goes through the same
// ConvertFile as in the window, so its text is byte for byte the window's.
#include <filesystem>
#include <vector>

#include "cli/options.h"
#include "cli/program.h"
#include "text/unicode.h"

// The arguments come as UTF-16, the paths made from them as they are; their
// UTF-8 serves the options only. (Standard output's reader gone away ends
// the run quietly with kReaderGoneStatus, the status a POSIX shell shows for
// SIGPIPE: Windows has no such signal.)
int wmain(int argc, wchar_t** argv) {
  return holvane::cli::ReportingWhatEscapes([&] {
    std::vector<holvane::cli::Argument> arguments;
    for (int i = 1; i < argc; ++i) {
      arguments.push_back({holvane::text::Utf8FromUtf16(argv[i]), std::filesystem::path(argv[i])});
    }
    return holvane::cli::Main(arguments);
  });
}
