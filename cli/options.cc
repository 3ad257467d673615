// SPDX-License-Identifier: MIT
#include "cli/options.h"

#include <getopt.h>

#include <array>
#include <string_view>

#include "cli/console.h"

namespace holvane::cli {

namespace {

constexpr int kEncoding = 256;
constexpr int kEol = 257;
constexpr int kEditable = 258;
constexpr int kPack = 259;

constexpr std::array<option, 13> kLongOptions = {{
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

UsageError BadValue(std::string_view option, std::string_view value, std::string_view accepted) {
  return {"недопустимое значение «" + std::string(value) + "» параметра " + std::string(option) +
          "; допустимы: " + std::string(accepted)};
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
  if (result == ':') return {"параметру " + NameOf(optopt) + " нужно значение"};
  if (optopt == 0) {
    return {"неизвестный или неоднозначный параметр «" +
            std::string(element.substr(0, element.find('='))) + "»"};
  }
  if (IsKnown(optopt)) return {"параметр " + NameOf(optopt) + " не принимает значения"};
  return {"неизвестный параметр «-" + std::string(1, static_cast<char>(optopt)) + "»"};
}

// The value getopt_long has just given, with the argument it lies in and
// where in it.
PathValue GivenPath(const std::vector<std::string>& words) {
  PathValue given{optarg, std::nullopt, 0};
  for (std::size_t word = 1; word < words.size(); ++word) {
    const char* start = words[word].data();
    if (optarg >= start && optarg <= start + words[word].size()) {
      given.argument = word - 1;
      given.offset = static_cast<std::size_t>(optarg - start);
    }
  }
  return given;
}

}  // namespace

std::variant<Options, UsageError> ParseCommandLine(const std::vector<std::string>& arguments) {
  std::vector<std::string> words{"holvane-convert"};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  const int argc = static_cast<int>(words.size());

  Options options;
  bool encoding_given = false;
  bool line_break_given = false;
  // 0, not 1: getopt starts afresh, its state from an earlier call dropped.
  optind = 0;
  opterr = 0;
  for (;;) {
    const int result =
        ::getopt_long(argc, argv.data(), ":rcqhVo:O:f", kLongOptions.data(), nullptr);
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
        options.form.layout = TextLayout::kEditable;
        break;
      case kPack:
        options.pack = true;
        break;
      case 'f':
        options.force = true;
        break;
      case 'o':
        options.output = GivenPath(words);
        break;
      case 'O':
        options.output_dir = GivenPath(words);
        break;
      case kEncoding:
        encoding_given = true;
        if (value == "cp1251") {
          options.form.encoding = TextEncoding::kCp1251;
        } else if (value == "utf-8") {
          options.form.encoding = TextEncoding::kUtf8;
        } else {
          return BadValue("--encoding", value, "cp1251, utf-8");
        }
        break;
      case kEol:
        line_break_given = true;
        if (value == "crlf") {
          options.form.line_break = LineBreak::kCrLf;
        } else if (value == "lf") {
          options.form.line_break = LineBreak::kLf;
        } else {
          return BadValue("--eol", value, "crlf, lf");
        }
        break;
      default:
        return Refused(result, argv[static_cast<std::size_t>(optind) - 1]);
    }
  }
  // getopt_long moves the paths after the options: each is found among the
  // words by where its text lives.
  for (int i = optind; i < argc; ++i) {
    const char* path = argv[static_cast<std::size_t>(i)];
    options.paths.emplace_back(path);
    for (std::size_t word = 1; word < words.size(); ++word) {
      if (words[word].data() == path) options.path_arguments.push_back(word - 1);
    }
  }
  if (!options.help && !options.version && options.paths.empty()) {
    return UsageError{"не указан ни один файл или папка"};
  }
  // An editable text is UTF-8 unless told otherwise, written or read.
  const bool editable = options.form.layout == TextLayout::kEditable;
  if (!encoding_given && (options.pack || editable)) {
    options.form.encoding = TextEncoding::kUtf8;
  }
  // The editable form is for the system's own tools: sed, grep and editors
  // that match a line's end by its system's break.
  if (!line_break_given && editable) options.form.line_break = SystemLineBreak();
  if (options.pack && editable) {
    return UsageError{"--editable и --pack вместе не задаются"};
  }
  if (!options.pack && (options.output.given() || options.output_dir.given())) {
    return UsageError{std::string(options.output.given() ? "-o" : "-O") +
                      " задаётся только с --pack"};
  }
  if (!options.pack && !editable && options.force) {
    return UsageError{"-f задаётся только с --pack или --editable"};
  }
  if (options.pack && options.recursive) {
    return UsageError{"--pack читает файлы, а не папки: -r с ним не задаётся"};
  }
  if (options.output.given() && options.output_dir.given()) {
    return UsageError{"-o и -O вместе не задаются"};
  }
  if ((options.output.given() || options.output_dir.given()) && options.to_stdout) {
    return UsageError{std::string(options.output.given() ? "-o" : "-O") +
                      " и -c вместе не задаются"};
  }
  if (options.output.given() && options.paths.size() > 1) {
    return UsageError{"-o называет выход одного ФАЙЛА, а их указано " +
                      std::to_string(options.paths.size())};
  }
  return options;
}

}  // namespace holvane::cli
