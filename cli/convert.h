// SPDX-License-Identifier: MIT
#ifndef HOLVANE_CLI_CONVERT_H_
#define HOLVANE_CLI_CONVERT_H_

#include "cli/options.h"

namespace holvane::cli {

// The run of holvane-convert's own command: the files the PATHs stand for
// are collected, each once (CollectFiles); each is converted beside itself,
// as an editable text with --editable (never over one there unless --force
// is given), or onto standard output; a failure is reported and the next
// file taken; a progress line on a terminal; an interrupt stops it cleanly;
// the count of converted files at the end (all through FileLoop). Returns
// the exit status: 0 when every file was converted, 1 when any failed.
int RunConvert(const Options& options);

}  // namespace holvane::cli

#endif  // HOLVANE_CLI_CONVERT_H_
