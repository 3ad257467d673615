// SPDX-License-Identifier: MIT
#ifndef HOLVANE_CLI_STANDARD_OUTPUT_H_
#define HOLVANE_CLI_STANDARD_OUTPUT_H_

namespace holvane::cli {

// Whether everything written to standard output reached it; when not, one
// line says why. A closed pipe or a full device must fail the run, not pass
// for success.
bool StandardOutputWritten();

}  // namespace holvane::cli

#endif  // HOLVANE_CLI_STANDARD_OUTPUT_H_
