// SPDX-License-Identifier: MIT
#ifndef HOLVANE_CLI_HELP_H_
#define HOLVANE_CLI_HELP_H_

#include <string>

namespace holvane::cli {

// The program's name, as every message it prints begins.
inline constexpr char kProgram[] = "holvane-convert";

// The usage line, ending in a newline.
std::string UsageText();

// What --help prints: the usage line and what the program does, its options,
// what failures leave behind and its exit statuses.
std::string HelpText();

// What --version prints: the name and version, then the copyright and
// licence, as GNU programs do.
std::string VersionText();

}  // namespace holvane::cli

#endif  // HOLVANE_CLI_HELP_H_
