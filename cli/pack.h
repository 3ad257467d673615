// SPDX-License-Identifier: MIT
#ifndef HOLVANE_CLI_PACK_H_
#define HOLVANE_CLI_PACK_H_

#include <cstddef>
#include <filesystem>
#include <vector>

#include "cli/options.h"
#include "conversion/editable_form.h"

namespace holvane::cli {

// The run of --pack: each PATH, an editable text ("-" standard input), is
// read and packed into the *.wvl file it describes, written to -o, into the
// folder -O (made when missing) under its name less ".edit.txt", to
// standard output (-c), or beside it under that name; never over a file
// there unless --force is given, and then with a line when the file replaced
// held another number of records. A text with lines at fault is told line by
// line and nothing is written for it. An -o that names a folder is a mistake
// on the command line (status 2, nothing read). Returns 0 when every file was
// packed, 1 when any was not.
int RunPack(const Options& options);

// The permissions a file written from `input` to `target` gets, as a
// converted file's (WrittenPermissions): from the file it replaces, or, when
// it is new, from `input`; readable by all when neither can be asked.
std::filesystem::perms PackedPermissions(const std::filesystem::path& target,
                                         const std::filesystem::path& input);

// Tells of each of `faults` of the text `file` (as FILE:LINE:COLUMN: cause),
// then in one line of all `fault_count`; returns whether there were any.
bool ReportedFaults(const std::filesystem::path& file, const std::vector<LineFault>& faults,
                    std::size_t fault_count);

}  // namespace holvane::cli

#endif  // HOLVANE_CLI_PACK_H_
