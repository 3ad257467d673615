// SPDX-License-Identifier: MIT
#ifndef HOLVANE_CLI_RUN_H_
#define HOLVANE_CLI_RUN_H_

#include <filesystem>
#include <vector>

#include "cli/options.h"

namespace holvane::cli {

// One run of the program, as the README tells it: the files the PATHs stand
// for are collected, each once; each is converted beside itself (or onto
// standard output), a failure reported and the next one taken; a progress
// line on a terminal; an interrupt stops it cleanly; the count of converted
// files at the end. `paths` are the options' PATHs as the system gave them,
// to open. Returns the exit status: 0 when every file was converted, 1 when
// any failed.
int Run(const Options& options, const std::vector<std::filesystem::path>& paths);

}  // namespace holvane::cli

#endif  // HOLVANE_CLI_RUN_H_
