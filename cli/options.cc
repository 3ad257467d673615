// SPDX-License-Identifier: MIT
#include "cli/options.h"

#include <getopt.h>

#include <algorithm>
#include <array>
#include <string_view>

#include "cli/console.h"

namespace holvane::cli {

namespace {

constexpr int kEncoding = 256;
constexpr int kEol = 257;
constexpr int kEditable = 258;
constexpr int kPack = 259;
constexpr int kPot = 260;
constexpr int kCsv = 261;
constexpr int kFrom = 262;
constexpr int kApply = 263;

constexpr std::array<option, 17> kLongOptions = {{
    {"recursive", no_argument, nullptr, 'r'},
    {"stdout", no_argument, nullptr, 'c'},
    {"quiet", no_argument, nullptr, 'q'},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, 'V'},
    {"encoding", required_argument, nullptr, kEncoding},
    {"eol", required_argument, nullptr, kEol},
    {"editable", no_argument, nullptr, kEditable},
    {"pack", no_argument, nullptr, kPack},
    {"output", required_argument, nullptr, 'o'},
    {"output-dir", required_argument, nullptr, 'O'},
    {"force", no_argument, nullptr, 'f'},
    {"pot", no_argument, nullptr, kPot},
    {"csv", no_argument, nullptr, kCsv},
    {"from", required_argument, nullptr, kFrom},
    {"apply", required_argument, nullptr, kApply},
    {nullptr, 0, nullptr, 0},
}};

// The name an option is known by in messages: its long name where it has
// one, as the user may have abbreviated it.
std::string NameOf(int option) {
  for (const auto& known : kLongOptions) {
    if (known.name != nullptr && known.val == option) return std::string("--") + known.name;
  }
  return std::string("-") + static_cast<char>(option);
}

bool IsKnown(int option) {
  for (const auto& known : kLongOptions) {
    if (known.name != nullptr && known.val == option) return true;
  }
  return false;
}

// What getopt_long refused, in words. An unknown long option leaves optopt 0
// and is the element before optind; a known one given a value it does not
// take leaves its own code; an unknown short one, its letter.
UsageError Refused(int result, std::string_view element) {
  if (result == ':') return {sentence::ValueNeeded(NameOf(optopt))};
  if (optopt == 0) return {sentence::UnknownOrAmbiguous(element.substr(0, element.find('=')))};
  if (IsKnown(optopt)) return {sentence::TakesNoValue(NameOf(optopt))};
  return {sentence::UnknownOption(std::string("-") + static_cast<char>(optopt))};
}

// The arguments as getopt_long reads them: the program's name, then each
// argument's UTF-8, in strings of their own, so that where getopt_long
// points tells which argument it took a path from.
class Words {
 public:
  explicit Words(const std::vector<Argument>& arguments) : arguments_(arguments) {
    words_.reserve(arguments.size() + 1);
    words_.emplace_back(kProgram);
    for (const Argument& argument : arguments) words_.push_back(argument.text);
    for (std::string& word : words_) argv_.push_back(word.data());
    argv_.push_back(nullptr);
  }

  int argc() const { return static_cast<int>(words_.size()); }
  char** argv() { return argv_.data(); }

  // The path from `text`, which lies in one of the arguments, to its end:
  // that argument's native form less what comes before `text`, the option's
  // own ASCII letters.
  std::filesystem::path PathAt(const char* text) {
    for (std::size_t tried = 0; tried < arguments_.size(); ++tried) {
      // getopt_long keeps the paths in their order: the search goes on from
      // the last argument found.
      next_ = next_ % arguments_.size();
      const std::string& word = words_[next_ + 1];
      const std::size_t argument = next_++;
      if (text >= word.data() && text <= word.data() + word.size()) {
        const auto& native = arguments_[argument].native.native();
        return native.substr(static_cast<std::size_t>(text - word.data()));
      }
    }
    return {};  // not reached: getopt_long points into the arguments only
  }

 private:
  const std::vector<Argument>& arguments_;
  std::vector<std::string> words_;
  std::vector<char*> argv_;
  std::size_t next_ = 0;
};

}  // namespace

std::variant<Options, UsageError> ParseCommandLine(const std::vector<Argument>& arguments) {
  Words words(arguments);
  Options options;
  bool encoding_given = false;
  bool line_break_given = false;
  // The option that chose the command, and the second one given, if any:
  // one run does one thing.
  const char* command_option = nullptr;
  const char* second_command = nullptr;
  const auto choose = [&](const char* option) {
    if (command_option == nullptr) {
      command_option = option;
    } else if (second_command == nullptr && std::string_view(command_option) != option) {
      second_command = option;
    }
  };
  // 0, not 1: getopt starts afresh, its state from an earlier call dropped.
  optind = 0;
  opterr = 0;
  for (;;) {
    const int result =
        ::getopt_long(words.argc(), words.argv(), ":rcqhVo:O:f", kLongOptions.data(), nullptr);
    if (result == -1) break;
    const std::string_view value = optarg != nullptr ? optarg : "";
    switch (result) {
      case 'r':
        options.recursive = true;
        break;
      case 'c':
        options.to_stdout = true;
        break;
      case 'q':
        options.quiet = true;
        break;
      case 'h':
        options.help = true;
        break;
      case 'V':
        options.version = true;
        break;
      case kEditable:
        choose("--editable");
        options.form.layout = TextLayout::kEditable;
        break;
      case kPack:
        choose("--pack");
        options.command = Command::kPack;
        break;
      case kPot:
      case kCsv:
        choose(result == kPot ? "--pot" : "--csv");
        options.command = Command::kCatalogue;
        options.catalogue_format = result == kPot ? CatalogueFormat::kPo : CatalogueFormat::kCsv;
        break;
      case kFrom:
        options.from = words.PathAt(optarg);
        break;
      case kApply:
        choose("--apply");
        options.command = Command::kApply;
        options.catalogue = words.PathAt(optarg);
        break;
      case 'f':
        options.force = true;
        break;
      case 'o':
        options.output = words.PathAt(optarg);
        break;
      case 'O':
        options.output_dir = words.PathAt(optarg);
        break;
      case kEncoding:
        encoding_given = true;
        if (value == "cp1251") {
          options.form.encoding = TextEncoding::kCp1251;
        } else if (value == "utf-8") {
          options.form.encoding = TextEncoding::kUtf8;
        } else {
          return UsageError{sentence::BadValue("--encoding", value, "cp1251, utf-8")};
        }
        break;
      case kEol:
        line_break_given = true;
        if (value == "crlf") {
          options.form.line_break = LineBreak::kCrLf;
        } else if (value == "lf") {
          options.form.line_break = LineBreak::kLf;
        } else {
          return UsageError{sentence::BadValue("--eol", value, "crlf, lf")};
        }
        break;
      default:
        return Refused(result, words.argv()[static_cast<std::size_t>(optind) - 1]);
    }
  }
  // getopt_long moves the paths after the options, in the order given.
  for (int i = optind; i < words.argc(); ++i) {
    options.paths.push_back(words.PathAt(words.argv()[static_cast<std::size_t>(i)]));
  }
  if (!options.help && !options.version && options.paths.empty()) {
    return UsageError{sentence::NoPathGiven()};
  }
  if (second_command != nullptr) {
    const std::string_view first = command_option;
    if ((first == "--editable" || first == "--pack") &&
        (std::string_view(second_command) == "--editable" ||
         std::string_view(second_command) == "--pack")) {
      return UsageError{sentence::EditableWithPack()};
    }
    return UsageError{sentence::NotTogether(command_option, second_command)};
  }
  const bool pack = options.command == Command::kPack;
  const bool catalogue = options.command == Command::kCatalogue;
  const bool apply = options.command == Command::kApply;
  if (catalogue || apply) {
    // A catalogue is UTF-8 with the line breaks its tools write, and a packed
    // file holds code page 1251: neither form is the user's to choose.
    if (encoding_given) return UsageError{sentence::NotTogether("--encoding", command_option)};
    if (line_break_given) return UsageError{sentence::NotTogether("--eol", command_option)};
  }
  if (options.from && !catalogue) return UsageError{sentence::FromOnlyWithCatalogue()};
  // Standard input is read once: by the catalogue or by a file, not both.
  const bool catalogue_from_input =
      (apply && options.catalogue == "-") || (options.from && *options.from == "-");
  if (catalogue_from_input &&
      std::find(options.paths.begin(), options.paths.end(), "-") != options.paths.end()) {
    return UsageError{sentence::StandardInputTwice()};
  }
  // An editable text is UTF-8 unless told otherwise, written or read.
  const bool editable = options.form.layout == TextLayout::kEditable;
  if (!encoding_given && (pack || editable)) options.form.encoding = TextEncoding::kUtf8;
  // The editable form is for the system's own tools: sed, grep and editors
  // that match a line's end by its system's break.
  if (!line_break_given && editable) options.form.line_break = SystemLineBreak();
  const char* const output_option = options.output ? "-o" : "-O";
  if (options.output && !(pack || catalogue || apply)) {
    return UsageError{sentence::OnlyWith("-o", "--pack, --apply, --pot, --csv")};
  }
  if (options.output_dir && !(pack || apply)) {
    return UsageError{sentence::OnlyWith("-O", "--pack, --apply")};
  }
  if (!pack && !editable && !catalogue && !apply && options.force) {
    return UsageError{sentence::ForceOnlyWithPackOrEditable()};
  }
  if (pack && options.recursive) return UsageError{sentence::PackReadsNoFolders()};
  if (options.output && options.output_dir) return UsageError{sentence::OutputAndOutputDir()};
  if ((options.output || options.output_dir) && options.to_stdout) {
    return UsageError{sentence::NotWithStdout(output_option)};
  }
  if ((catalogue || apply) && options.force && options.to_stdout) {
    return UsageError{sentence::NotWithStdout("-f")};
  }
  if (catalogue && !options.output && !options.to_stdout && !options.help && !options.version) {
    return UsageError{sentence::CatalogueNeedsOutput()};
  }
  if (apply && !options.output && !options.output_dir && !options.to_stdout && !options.force &&
      !options.help && !options.version) {
    return UsageError{sentence::ApplyNeedsOutput()};
  }
  if (!catalogue && options.output && options.paths.size() > 1) {
    return UsageError{sentence::OutputForOneFile(options.paths.size())};
  }
  if (apply && options.to_stdout && options.paths.size() > 1) {
    return UsageError{sentence::StdoutForOneFile(options.paths.size())};
  }
  return options;
}

}  // namespace holvane::cli
