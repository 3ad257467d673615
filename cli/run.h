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

// A run of --pack (pack.cc): each of `paths`, an editable text ("-" standard
// input), is read and packed into the *.wvl file it describes, written to
// `output` (-o), into the folder `output_dir` (-O, made when missing) under
// its name less ".edit.txt", to standard output (-c), or beside it under
// that name; never over a file there unless --force is given, and then with
// a line when the file replaced held another number of records. A text with
// lines at fault is told line by line and nothing is written for it. An
// `output` that names a folder is a mistake on the command line (status 2,
// nothing read). Returns 0 when every file was packed, 1 when any was not.
int RunPack(const Options& options, const std::vector<std::filesystem::path>& paths,
            const std::filesystem::path& output, const std::filesystem::path& output_dir);

}  // namespace holvane::cli

#endif  // HOLVANE_CLI_RUN_H_
