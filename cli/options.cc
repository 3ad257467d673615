#include "cli/options.h"

namespace holvane::cli {

std::variant<Options, UsageError> ParseCommandLine(const std::vector<std::string>& arguments) {
  Options options;
  bool options_ended = false;
  for (const std::string& argument : arguments) {
    if (options_ended || argument == "-" || !argument.starts_with('-')) {
      options.paths.push_back(argument);
    } else if (argument == "--") {
      options_ended = true;
    } else if (argument == "-r" || argument == "--recursive") {
      options.recursive = true;
    } else if (argument == "--help") {
      options.help = true;
    } else if (argument == "--version") {
      options.version = true;
    } else {
      return UsageError{"неизвестный параметр «" + argument + "»"};
    }
  }
  if (!options.help && !options.version && options.paths.empty()) {
    return UsageError{"не указан ни один файл или папка"};
  }
  return options;
}

}  // namespace holvane::cli
