// SPDX-License-Identifier: MIT
#ifndef HOLVANE_CLI_TERMINAL_TEXT_H_
#define HOLVANE_CLI_TERMINAL_TEXT_H_

#include <string>
#include <string_view>

namespace holvane::cli {

// `bytes` made safe to print on a terminal: UTF-8 characters are kept as they
// are, except the control characters (C0, DEL and C1), which could move the
// cursor, clear the screen, set the title or forge a line of output; those,
// and every byte that is not part of valid UTF-8, become "\xNN" (lower-case
// hex, one per byte). A backslash becomes "\\", so that an escape can never
// be mistaken for a name that happens to spell one.
std::string Escaped(std::string_view bytes);

}  // namespace holvane::cli

#endif  // HOLVANE_CLI_TERMINAL_TEXT_H_
