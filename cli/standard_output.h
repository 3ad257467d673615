// SPDX-License-Identifier: MIT
#ifndef HOLVANE_CLI_STANDARD_OUTPUT_H_
#define HOLVANE_CLI_STANDARD_OUTPUT_H_

namespace holvane::cli {

// The run's exit status once what it wrote to standard output is flushed:
// `status` when everything reached it; kReaderGoneStatus, quietly, when its
// reader has gone away; otherwise 1, with one line that says why, since a
// full device must fail the run, not pass for success.
int StatusOnceWritten(int status);

}  // namespace holvane::cli

#endif  // HOLVANE_CLI_STANDARD_OUTPUT_H_
