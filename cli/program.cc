// SPDX-License-Identifier: MIT
#include "cli/program.h"

#include <cstdio>
#include <new>
#include <system_error>
#include <variant>

#include "cli/console.h"
#include "cli/help.h"
#include "cli/options.h"
#include "cli/report.h"
#include "cli/run.h"
#include "cli/standard_output.h"
#include "common/file_system.h"
#include "common/run_time_error.h"

namespace holvane::cli {

int Main(const std::vector<std::string>& arguments, const PathOf& path_of) {
  const auto parsed = ParseCommandLine(arguments);
  if (const auto* error = std::get_if<UsageError>(&parsed)) {
    return UsageFailure(error->message);
  }
  const auto& options = std::get<Options>(parsed);
  // Asked for beside any mode, and answered before any: --pack --help too.
  if (options.help || options.version) {
    WriteText(stdout, options.help ? HelpText() : VersionText());
    return StatusOnceWritten(0);
  }
  std::vector<std::filesystem::path> paths;
  for (const std::size_t argument : options.path_arguments) paths.push_back(path_of(argument));
  // The option's own letters before the name are ASCII, as long in every
  // form of the argument.
  const auto value_path = [&](const PathValue& value) {
    return value.given()
               ? std::filesystem::path(path_of(*value.argument).native().substr(value.offset))
               : std::filesystem::path();
  };
  const int status = options.pack ? RunPack(options, paths, value_path(options.output),
                                            value_path(options.output_dir))
                                  : Run(options, paths);
  return StatusOnceWritten(status);
}

namespace {

// The cause of the exception being handled, in words a person reads.
std::string CurrentCause() {
  try {
    throw;
  } catch (const RunTimeError& error) {
    return error.what();
  } catch (const std::bad_alloc&) {
    return std::string(SystemErrorWords(std::errc::not_enough_memory));
  } catch (const std::system_error& error) {
    return "сбой системы: " + SystemFailureCause(error.code());
  } catch (const std::exception& error) {
    return std::string("непредвиденная ошибка (") + error.what() + ")";
  } catch (...) {
    return "непредвиденная ошибка";
  }
}

}  // namespace

int ReportingWhatEscapes(const std::function<int()>& body) noexcept {
  try {
    return body();
  } catch (...) {
    try {
      Report(CurrentCause());
    } catch (...) {
      // Not even the line could be made: too little memory for anything.
      std::fputs(kProgram, stderr);
      std::fputs(": недостаточно памяти\n", stderr);
    }
    return 1;
  }
}

}  // namespace holvane::cli
