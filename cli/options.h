// SPDX-License-Identifier: MIT
#ifndef HOLVANE_CLI_OPTIONS_H_
#define HOLVANE_CLI_OPTIONS_H_

#include <filesystem>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "conversion/record_stream.h"

namespace holvane::cli {

// One argument after the program's name, in the two forms it is read in:
// its UTF-8 `text`, for the options, and the path it makes as the system
// gave it (`native`, on Windows from its UTF-16), for the names, so that a
// name opens exactly what was given and never passes through a lossy
// conversion.
struct Argument {
  std::string text;
  std::filesystem::path native;
};

// What a run does with its PATHs. Each command has its file (convert.cc,
// pack.cc, catalogue.cc) and its case in Main.
enum class Command { kConvert, kPack, kCatalogue, kApply };

// How --pot and --csv write a catalogue.
enum class CatalogueFormat { kPo, kCsv };

struct Options {
  Command command = Command::kConvert;
  bool recursive = false;
  // Texts go to standard output, nothing is written beside the inputs.
  bool to_stdout = false;
  bool quiet = false;
  bool help = false;
  bool version = false;
  // --force: a packed file, or an editable text, may replace one there.
  bool force = false;
  // --editable sets form.layout; with it or --pack the encoding is UTF-8
  // unless --encoding says otherwise, and an editable text is written with
  // the system's own line break unless --eol says otherwise.
  TextForm form;
  // -o: where the one packed file goes; -O: the folder every packed file
  // goes into, by its name. Each as given, even empty; none when not given.
  std::optional<std::filesystem::path> output;
  std::optional<std::filesystem::path> output_dir;
  // --pot or --csv (kCatalogue): the form of the catalogue written, and with
  // --from, the catalogue whose translations it takes. --apply (kApply): the
  // catalogue applied. "-" is standard input.
  CatalogueFormat catalogue_format = CatalogueFormat::kPo;
  std::optional<std::filesystem::path> from;
  std::filesystem::path catalogue;
  // The PATHs in the order given; "-" stands for standard input.
  std::vector<std::filesystem::path> paths;

  friend bool operator==(const Options&, const Options&) = default;
};

// Why a command line cannot be run: the text to print before the usage.
struct UsageError {
  std::string message;
};

// Reads the arguments after the program's name as getopt_long does, GNU
// style: options anywhere among the paths, short ones bundled ("-rq"), long
// ones as "--opt=value" or "--opt value" and abbreviated while unambiguous,
// "--" ending the options, a lone "-" a path. A path, and a path an option's
// value names, is made from the argument's native form (less the option's
// own letters before the value: ASCII, as long in every form). --help or
// --version needs no PATH; anything else needs at least one. An unknown
// option, a missing or unknown value is a UsageError naming it (and, for a
// value, the accepted ones). So are options that do not go together: two of
// --editable, --pack, --pot, --csv, --apply; -o without --pack, --apply,
// --pot or --csv; -O without --pack or --apply; -f without a command that
// writes beside or over a file; -o with -c, -O or (but for a catalogue) more
// than one PATH; -O or -f with -c; -r with --pack, which reads files, not
// folders; --from without --pot or --csv; --pot or --csv without -o or -c;
// --apply without -O, -o, -c or -f, or with -c and more than one PATH;
// --encoding or --eol with a catalogue's command, whose forms are fixed.
// A catalogue and a PATH both read from standard input ("-").
// Whether the paths exist is not checked here.
std::variant<Options, UsageError> ParseCommandLine(const std::vector<Argument>& arguments);

}  // namespace holvane::cli

#endif  // HOLVANE_CLI_OPTIONS_H_
