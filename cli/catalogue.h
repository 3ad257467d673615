// SPDX-License-Identifier: MIT
#ifndef HOLVANE_CLI_CATALOGUE_H_
#define HOLVANE_CLI_CATALOGUE_H_

#include "cli/options.h"

namespace holvane::cli {

// The run of --pot and --csv: one catalogue of the texts of every file the
// PATHs stand for (as a conversion takes them), referenced by each file's
// path relative to its PATH, with --from's usable translations filled in,
// written to -o (replacing a file there only with --force, atomically) or to
// standard output. A file that fails is told and left out; the catalogue of
// the others is still written, and the status is 1.
int RunCatalogue(const Options& options);

// The run of --apply: the catalogue read whole first (a line at fault is
// told as CATALOGUE:LINE:COLUMN: cause and nothing is written), then each
// file written again with its translations, packed as --pack packs: into -O
// under its path relative to its PATH, to -o, to standard output (-c, not a
// terminal) or over itself (-f alone); a file already at the output name is
// replaced only with --force. Ends with what the translations did, unless
// --quiet. Returns 0 when every file was written, 1 otherwise, 2 when -o or
// -c stands for several files.
int RunApply(const Options& options);

}  // namespace holvane::cli

#endif  // HOLVANE_CLI_CATALOGUE_H_
