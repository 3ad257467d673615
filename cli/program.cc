// SPDX-License-Identifier: MIT
#include "cli/program.h"

#include <cstdio>
#include <new>
#include <system_error>
#include <utility>
#include <variant>

#include "cli/catalogue.h"
#include "cli/convert.h"
#include "cli/pack.h"
#include "common/run_time_error.h"
#include "common/translation.h"
#include "text/escapes.h"

namespace holvane::cli {

int Main(const std::vector<Argument>& arguments) {
  UseUserLanguage();
  const auto parsed = ParseCommandLine(arguments);
  if (const auto* error = std::get_if<UsageError>(&parsed)) {
    return UsageFailure(error->message);
  }
  const auto& options = std::get<Options>(parsed);
  // Asked for beside any command, and answered before any: --pack --help too.
  if (options.help || options.version) {
    WriteText(stdout, options.help ? sentence::Help() : sentence::Version());
    return StatusOnceWritten(0);
  }
  // A new command adds its case here, its file beside convert.cc, pack.cc and
  // catalogue.cc, and runs its files through FileLoop.
  int status = 1;
  switch (options.command) {
    case Command::kConvert:
      status = RunConvert(options);
      break;
    case Command::kPack:
      status = RunPack(options);
      break;
    case Command::kCatalogue:
      status = RunCatalogue(options);
      break;
    case Command::kApply:
      status = RunApply(options);
      break;
  }
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
    return sentence::OutOfMemory();
  } catch (const std::system_error& error) {
    return sentence::SystemFailed(SystemFailureCause(error.code()));
  } catch (const std::exception& error) {
    return sentence::Unexpected(error.what());
  } catch (...) {
    return sentence::Unexpected();
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
      // Not even the line could be made: too little memory for anything,
      // so the words are taken as they stand, with no string made.
      std::fputs(kProgram, stderr);
      std::fputs(": ", stderr);
      std::fputs(SystemErrorWords(std::errc::not_enough_memory).data(), stderr);
      std::fputs("\n", stderr);
    }
    return 1;
  }
}

FileLoop::FileLoop(bool progress)
    : guard_(DefaultFileSystem(), InterruptLine), progress_(stderr, progress) {
  // A wait for another conversion of the file, another user's perhaps, is
  // shown even for one file: it would otherwise look like a run that hangs.
  guard_.OnWaiting([this](bool waiting) {
    const std::vector<std::filesystem::path>& files = *files_;
    const std::string name = text::Escaped(files[current_].native());
    if (waiting) {
      progress_.Show(current_ + 1, files.size(), sentence::WaitingForAnotherConversion(name));
    } else if (files.size() > 1) {
      progress_.Show(current_ + 1, files.size(), name);
    } else {
      progress_.Clear();
    }
  });
}

FileSystem& FileLoop::files() { return guard_.files(); }

void FileLoop::Begin(const std::filesystem::path& input) { guard_.Begin(input); }

void FileLoop::End() { guard_.End(); }

void FileLoop::ClearProgress() { progress_.Clear(); }

int FileLoop::Run(const std::vector<std::filesystem::path>& files,
                  const std::function<bool(const std::filesystem::path&)>& work,
                  const Counts& counts, bool failed_before) {
  files_ = &files;
  const bool each_file_shown = files.size() > 1;
  std::int64_t done = 0;
  std::int64_t failed = 0;
  bool reader_gone = false;
  for (current_ = 0; current_ < files.size() && !reader_gone; ++current_) {
    const std::filesystem::path& file = files[current_];
    if (each_file_shown) progress_.Show(current_ + 1, files.size(), text::Escaped(file.native()));
    try {
      if (work(file)) {
        ++done;
      } else {
        ++failed;
      }
    } catch (const StandardOutputClosed&) {
      // No one reads the output any more: the run ends here, without a word.
      reader_gone = true;
    } catch (const RunTimeError& error) {
      progress_.Clear();
      // The file at fault: the input, or what was made of it.
      ReportFailure(error.file().empty() ? file : error.file(), error.what());
      ++failed;
    } catch (const std::bad_alloc&) {
      progress_.Clear();
      ReportFailure(file, sentence::OutOfMemory());
      ++failed;
    }
    guard_.End();
  }
  progress_.Clear();
  if (reader_gone) return kReaderGoneStatus;
  ReportCounts(done, failed, counts.text_on_stdout, counts.quiet, counts.done_line);
  return failed_before || failed > 0 ? 1 : 0;
}

}  // namespace holvane::cli
