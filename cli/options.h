#ifndef HOLVANE_CLI_OPTIONS_H_
#define HOLVANE_CLI_OPTIONS_H_

#include <string>
#include <variant>
#include <vector>

namespace holvane::cli {

struct Options {
  bool recursive = false;
  bool help = false;
  bool version = false;
  std::vector<std::string> paths;
};

// Why a command line cannot be run: the text to print before the usage.
struct UsageError {
  std::string message;
};

// Reads the arguments after the program's name, GNU style: -r/--recursive,
// --help and --version anywhere, "--" ending the options. --help or
// --version needs no PATH; anything else needs at least one. Whether the
// paths exist is not checked here.
std::variant<Options, UsageError> ParseCommandLine(const std::vector<std::string>& arguments);

}  // namespace holvane::cli

#endif  // HOLVANE_CLI_OPTIONS_H_
