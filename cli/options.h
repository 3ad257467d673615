// SPDX-License-Identifier: MIT
#ifndef HOLVANE_CLI_OPTIONS_H_
#define HOLVANE_CLI_OPTIONS_H_

#include <cstddef>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "conversion/record_stream.h"

namespace holvane::cli {

// A path given as an option's value, and in which argument it was given,
// from which byte on ("-o NAME" 0, "-oNAME" 2, "--output=NAME" 9), so that a
// caller holding the arguments in another form (UTF-16 on Windows) opens
// exactly what was given.
struct PathValue {
  std::string text;
  std::optional<std::size_t> argument;
  std::size_t offset = 0;

  bool given() const { return argument.has_value(); }
  friend bool operator==(const PathValue&, const PathValue&) = default;
};

struct Options {
  bool recursive = false;
  // Texts go to standard output, nothing is written beside the inputs.
  bool to_stdout = false;
  bool quiet = false;
  bool help = false;
  bool version = false;
  // --pack: the PATHs are editable texts, each packed into a *.wvl file.
  bool pack = false;
  // --force: a packed file, or an editable text, may replace one there.
  bool force = false;
  // --editable sets form.layout; with it or --pack the encoding is UTF-8
  // unless --encoding says otherwise, and an editable text is written with
  // the system's own line break unless --eol says otherwise.
  TextForm form;
  // -o: where the one packed file goes; -O: the folder every packed file
  // goes into, by its name.
  PathValue output;
  PathValue output_dir;
  // In the order given; "-" stands for standard input.
  std::vector<std::string> paths;
  // Where each of `paths` is among the arguments, so that a caller holding
  // them in another form (UTF-16 on Windows) opens exactly what was given.
  std::vector<std::size_t> path_arguments;

  friend bool operator==(const Options&, const Options&) = default;
};

// Why a command line cannot be run: the text to print before the usage.
struct UsageError {
  std::string message;
};

// Reads the arguments after the program's name as getopt_long does, GNU
// style: options anywhere among the paths, short ones bundled ("-rq"), long
// ones as "--opt=value" or "--opt value" and abbreviated while unambiguous,
// "--" ending the options, a lone "-" a path. --help or --version needs no
// PATH; anything else needs at least one. An unknown option, a missing or
// unknown value is a UsageError naming it (and, for a value, the accepted
// ones). So are options that do not go together: --editable with --pack;
// -o, -O without --pack; -f without --pack or --editable; -o with -c, -O or
// more than one PATH; -O with -c; -r with --pack, which reads files, not
// folders. Whether the paths exist is not checked here.
std::variant<Options, UsageError> ParseCommandLine(const std::vector<std::string>& arguments);

}  // namespace holvane::cli

#endif  // HOLVANE_CLI_OPTIONS_H_
