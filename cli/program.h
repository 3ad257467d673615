// SPDX-License-Identifier: MIT
#ifndef HOLVANE_CLI_PROGRAM_H_
#define HOLVANE_CLI_PROGRAM_H_

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cli/console.h"
#include "cli/interrupts.h"
#include "cli/options.h"
#include "common/file_system.h"

namespace holvane::cli {

// The program, from its arguments to its exit status: chooses the language
// of its messages from the user's settings, parses the arguments, answers
// --help and --version whatever else is asked, runs the command asked for,
// and checks that standard output was written.
int Main(const std::vector<Argument>& arguments);

// Runs `body` for the exit status. A file's failure is reported where it
// happens and the run goes on; what escapes `body` is what the program itself
// needs and could not get (memory, the signals' setup), before any file is
// touched or between two. It becomes one line and the status 1: no exception
// may end the program unannounced.
int ReportingWhatEscapes(const std::function<int()>& body) noexcept;

// The loop every command runs over its files, one at a time, and the one
// place that watches for a stop: from its construction on, SIGINT, SIGTERM
// and SIGHUP end the run cleanly (InterruptGuard), so a command makes it
// before it touches a file. Each file goes to the command's work: a file it
// throws RunTimeError or std::bad_alloc for has failed and is reported (as
// the file the error concerns, or else itself), and the next one is taken;
// StandardOutputClosed ends the run quietly. With `progress`, a progress
// line on standard error shows each of several files, and a wait for another
// conversion of one.
class FileLoop final {
 public:
  explicit FileLoop(bool progress);

  // What the work reaches the files through, for a stop to undo its part.
  FileSystem& files();

  // How a command's run tells its end (ReportCounts).
  struct Counts {
    std::string (*done_line)(std::int64_t);
    bool text_on_stdout;
    bool quiet;
  };
  // Runs `work` on each of `files`, in order; it returns whether the file was
  // done, false for one it refused and reported (after ClearProgress). Then
  // tells the counts; returns kReaderGoneStatus when standard output's reader
  // went away, 1 when a file failed or `failed_before` (a PATH that could not
  // be taken), 0 otherwise.
  int Run(const std::vector<std::filesystem::path>& files,
          const std::function<bool(const std::filesystem::path&)>& work, const Counts& counts,
          bool failed_before = false);

  // Within the work: a stop from here until End, or the file's end, stops the
  // conversion of `input`, removing the temporary file it made, if any.
  void Begin(const std::filesystem::path& input);
  void End();

  void ClearProgress();

 private:
  InterruptGuard guard_;
  ProgressLine progress_;
  const std::vector<std::filesystem::path>* files_ = nullptr;
  std::size_t current_ = 0;
};

}  // namespace holvane::cli

#endif  // HOLVANE_CLI_PROGRAM_H_
