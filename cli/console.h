// SPDX-License-Identifier: MIT
#ifndef HOLVANE_CLI_CONSOLE_H_
#define HOLVANE_CLI_CONSOLE_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "conversion/record_stream.h"

// What holvane-convert says and where: the terminal (console_posix.cc,
// console_win32.cc), the lines on standard error and output, the progress
// line, and every sentence of the program (console.cc).
namespace holvane::cli {

// The program's name, as every message it prints begins.
inline constexpr char kProgram[] = "holvane-convert";

// The status of a run that ended because standard output's reader went
// away: 128 + SIGPIPE's number, which main turns into SIGPIPE itself where
// there is one, so that a shell sees the run end as it sees cat end there.
inline constexpr int kReaderGoneStatus = 128 + 13;

// ---------------------------------------------------------------------------
// The terminal: each system's own.

// Whether `stream` is a terminal (on Windows a console), on which a
// progress line belongs.
bool IsTerminal(std::FILE* stream);

// What takes the cursor of terminal `stream` back to the start of an emptied
// line: "\r\033[K", or on Windows, whose console may not take escape
// sequences, "\r", a line of spaces and "\r".
std::string LineClearing(std::FILE* stream);

// The width of terminal `stream` in columns, 80 where it does not tell.
int TerminalWidth(std::FILE* stream);

// Writes UTF-8 `text` to `stream`: to a Windows console as UTF-16 through
// WriteConsoleW, so that Cyrillic reads right whatever its code page; to
// anything else (and on POSIX) as the bytes they are. A write a signal
// interrupts goes on; a failure is kept for StandardOutputError.
void WriteText(std::FILE* stream, std::string_view text);

// Flushes standard output; then the system's error number (errno) of the
// first write to it that failed, 0 when everything reached it. EPIPE stands
// for a reader gone away (the other end of a pipe closed) on every system.
int StandardOutputError();

// The line break the system's own tools write and look for in a text file:
// LF on POSIX systems, CR LF on Windows.
LineBreak SystemLineBreak();

// ---------------------------------------------------------------------------
// The lines a run prints. Each begins with the program's name; a name in one
// goes through text::Escaped (names come from the command line and the disk,
// and may hold bytes that drive the terminal), and every line through
// WriteText.

// "holvane-convert: CAUSE". A cause is one of the program's sentences,
// perhaps quoting what it read: its control characters are escaped, its
// backslashes left as they are. A name in it is escaped by whoever puts it
// there.
void Report(std::string_view cause);

// One file's failure, or a notice about it: the file once, then the cause.
void ReportFailure(const std::filesystem::path& path, std::string_view cause);

// How a run ended, as the last lines: `done` files on standard output, or
// on standard error when the texts themselves go to standard output
// (`done_line` makes the line; none for 0), then the `failed` ones, on
// standard error (none for 0). Nothing with `quiet`.
void ReportCounts(std::int64_t done, std::int64_t failed, bool text_on_stdout, bool quiet,
                  std::string (*done_line)(std::int64_t));

// A mistake on the command line, with the usage line and where to read more;
// returns the exit status for it, 2.
int UsageFailure(std::string_view message);

// The one line that says a run was stopped by `signal`, while `file` was
// converted (nullptr: between files), on a line of its own even when a
// progress line was being drawn.
std::string InterruptLine(int signal, const std::filesystem::path* file);

// The run's exit status once what it wrote to standard output is flushed:
// `status` when everything reached it; kReaderGoneStatus, quietly, when its
// reader has gone away; otherwise 1, with one line that says why, since a
// full device must fail the run, not pass for success.
int StatusOnceWritten(int status);

// One line of progress on a terminal, redrawn in place: "[3/10] name". It
// draws nothing unless enabled, so a pipe or a file never receives it.
class ProgressLine {
 public:
  ProgressLine(std::FILE* stream, bool enabled);
  ~ProgressLine();
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  void Show(std::size_t number, std::size_t total, std::string_view name);

  // Removes the line, so that what is printed next starts on a clean one.
  void Clear();

 private:
  std::FILE* stream_;
  bool enabled_;
  bool drawn_ = false;
};

// ---------------------------------------------------------------------------
// The program's sentences, each written once, in English, in console.cc, and
// given in the user's language (common/translation.h): whole sentences, the
// numbers and names they hold given as arguments and put in as they are (a
// name escaped by the caller), so that a translation may order them as its
// language needs.
namespace sentence {

// What --help prints: the usage line, what the program does, its options,
// what failures leave behind and its exit statuses. Usage() is its first
// line, ending in a newline.
std::string Help();
std::string Usage();
// What --version prints: the name and version, then the copyright and
// licence, as GNU programs do.
std::string Version();

// Why a command line is refused (see ParseCommandLine).
std::string BadValue(std::string_view option, std::string_view value, std::string_view accepted);
std::string ValueNeeded(std::string_view option);
std::string TakesNoValue(std::string_view option);
std::string UnknownOrAmbiguous(std::string_view option);
std::string UnknownOption(std::string_view option);
std::string NoPathGiven();
std::string EditableWithPack();
// `option` given without any of `commands`, as they are listed.
std::string OnlyWith(std::string_view option, std::string_view commands);
std::string ForceOnlyWithPackOrEditable();
std::string NotTogether(std::string_view option, std::string_view other);
std::string FromOnlyWithCatalogue();
std::string CatalogueNeedsOutput();
std::string ApplyNeedsOutput();
std::string StdoutForOneFile(std::size_t files_given);
std::string StandardInputTwice();
std::string PackReadsNoFolders();
std::string OutputAndOutputDir();
std::string NotWithStdout(std::string_view option);
std::string OutputForOneFile(std::size_t files_given);
std::string OutputIsAFolder(std::string_view output);

// A run's failures and notices.
std::string NoSuchPath();
std::string NoFilesInFolder(std::string_view pattern);
std::string NoFilesInFolderButSubfolders(std::string_view pattern);
std::string NoFilesInTree(std::string_view pattern);
std::string AlreadyThere();
std::string OutOfMemory();
// What escaped a run (see ReportingWhatEscapes): a system call's failure in
// the words SystemFailureCause gives, an unexpected exception with its own
// what() or without one.
std::string SystemFailed(std::string_view cause);
std::string Unexpected(std::string_view what);
std::string Unexpected();
std::string WaitingForAnotherConversion(std::string_view name);
std::string StandardOutputFailed(std::string_view cause);
std::string NoSpaceOnDevice();
std::string CompressedDataToTerminal();
std::string FolderNotCreated();
std::string StandardInputNeedsOutput();
std::string NotAnEditableName();
std::string PackedTwiceInto(std::string_view target);
std::string RecordCountChanged(std::int64_t before, std::int64_t after);
// The last line about a text with lines at fault: how many in all, and how
// many beyond the ones told line by line (0: none).
std::string FaultyLines(std::size_t beyond_those_told, std::size_t in_all);

// How many files a run converted, and a run of --pack packed (no line
// break).
std::string ConvertedCount(std::int64_t count);
std::string PackedCount(std::int64_t count);

// The catalogues (catalogue.cc): -o or -c given for PATHs that stand for
// `files` files; how many files a catalogue was made from, how many
// entries it has and how many translations --from gave it; how many files
// --apply wrote, and what it did over all of them (no line breaks).
std::string OneOutputForFiles(std::size_t files);
std::string CataloguedCount(std::int64_t count);
std::string CatalogueSize(std::size_t entries, std::size_t translated);
std::string AppliedCount(std::int64_t count);
std::string ApplyTotals(std::int64_t translated, std::int64_t kept, std::int64_t fuzzy,
                        std::size_t unmatched);

}  // namespace sentence

}  // namespace holvane::cli

#endif  // HOLVANE_CLI_CONSOLE_H_
