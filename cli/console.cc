// SPDX-License-Identifier: MIT
// What the program says, on every system: its lines, its progress line and
// its sentences. The terminal itself is each system's (console_posix.cc,
// console_win32.cc).
#include "cli/console.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <system_error>

#include "cli/interrupts.h"
#include "common/file_system.h"
#include "common/translation.h"
#include "text/escapes.h"

namespace holvane::cli {

namespace {

std::string Number(std::int64_t number) { return std::to_string(number); }

// A cause as it is printed: the program's own sentence, perhaps quoting what
// it read, whose backslashes are its own.
std::string Sentence(std::string_view text) {
  return text::Escaped(text, text::Backslashes::kKept);
}

// At most `columns` characters of UTF-8 `text`: a line longer than the
// terminal would wrap, and "\r" could no longer take the cursor back to its
// start.
std::string Fit(std::string_view text, int columns) {
  std::string out;
  int used = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    const bool starts_character = (byte & 0xC0) != 0x80;
    if (starts_character && ++used > columns) break;
    out.push_back(text[i]);
  }
  return out;
}

}  // namespace

// ---------------------------------------------------------------------------
// The lines a run prints

void Report(std::string_view cause) {
  WriteText(stderr, std::string(kProgram) + ": " + Sentence(cause) + "\n");
}

void ReportFailure(const std::filesystem::path& path, std::string_view cause) {
  WriteText(stderr, std::string(kProgram) + ": " + text::Escaped(path.native()) + ": " +
                        Sentence(cause) + "\n");
}

void ReportCounts(std::int64_t done, std::int64_t failed, bool text_on_stdout, bool quiet,
                  std::string (*done_line)(std::int64_t)) {
  if (quiet) return;
  if (done > 0) WriteText(text_on_stdout ? stderr : stdout, done_line(done) + "\n");
  if (failed > 0) WriteText(stderr, Filled(Tr("Files that failed: {}."), {Number(failed)}) + "\n");
}

int UsageFailure(std::string_view message) {
  WriteText(stderr, std::string(kProgram) + ": " + Sentence(message) + "\n" + sentence::Usage() +
                        Filled(Tr("More: {} --help"), {kProgram}) + "\n");
  return 2;
}

std::string InterruptLine(int signal, const std::filesystem::path* file) {
  std::string line;
  if (IsTerminal(stderr)) line = LineClearing(stderr);
  line += std::string(kProgram) + ": ";
  line += file != nullptr ? Filled(Tr("{}: conversion interrupted ({})"),
                                   {text::Escaped(file->native()), SignalName(signal)})
                          : Filled(Tr("interrupted ({})"), {SignalName(signal)});
  return line + "\n";
}

int StatusOnceWritten(int status) {
  if (status == kReaderGoneStatus) return status;
  const int error = StandardOutputError();
  if (error == 0) return status;
  if (error == EPIPE) return kReaderGoneStatus;
  Report(sentence::StandardOutputFailed(error == ENOSPC ? sentence::NoSpaceOnDevice()
                                                        : std::strerror(error)));
  return 1;
}

ProgressLine::ProgressLine(std::FILE* stream, bool enabled) : stream_(stream), enabled_(enabled) {}

ProgressLine::~ProgressLine() { Clear(); }

void ProgressLine::Show(std::size_t number, std::size_t total, std::string_view name) {
  if (!enabled_) return;
  const std::string text =
      Filled("[{}/{}] {}", {std::to_string(number), std::to_string(total), name});
  WriteText(stream_, LineClearing(stream_) + Fit(text, TerminalWidth(stream_) - 1));
  std::fflush(stream_);
  drawn_ = true;
}

void ProgressLine::Clear() {
  if (!drawn_) return;
  WriteText(stream_, LineClearing(stream_));
  std::fflush(stream_);
  drawn_ = false;
}

// ---------------------------------------------------------------------------
// The program's sentences

namespace sentence {

namespace {

// What --version prints after the name and version, as GNU programs do: the
// copyright line, then the licence.
constexpr char kCopyright[] = "Copyright (c) 2026 The Holvane developers\n";
constexpr const char* kLicence = TrNoop(
    "MIT License <https://opensource.org/licenses/MIT>.\n"
    "This is free software: you are free to change and redistribute it.\n"
    "There is NO WARRANTY, to the extent permitted by law.\n");

// TRANSLATORS: the usage lines of --help and of every usage error. Keep the
// options as they are; the words in capitals name what the user gives.
constexpr const char* kUsage = TrNoop(
    "Usage: holvane-convert [OPTION]... PATH...\n"
    "  or: holvane-convert --pack [-f] [-o OUT | -O DIR | -c] FILE...\n"
    "  or: holvane-convert (--pot | --csv) [-r] [--from=CATALOGUE] (-o FILE | -c)\n"
    "                      PATH...\n"
    "  or: holvane-convert --apply=CATALOGUE [-r] (-O DIR | -o OUT | -c | -f) PATH...\n");

// What --help prints after the usage lines, a paragraph each, the ones after
// the first each after an empty line. TRANSLATORS: keep each line within 80 columns.
constexpr const char* kHelp[] = {
    TrNoop("Converts compressed .wvl files into text files: the file NAME gives NAME.txt\n"
           "beside itself (game.wvl gives game.wvl.txt). A PATH is a file, converted\n"
           "whatever its name; a folder, whose *.wvl files (in any letter case) are\n"
           "converted; or -, standard input, whose text goes to standard output. A failure\n"
           "in one file does not stop the others; a file named twice is converted once.\n"),
    TrNoop("  -r, --recursive       go through subfolders too (symbolic links to folders\n"
           "                        are not followed)\n"
           "  -c, --stdout          write the texts to standard output, one after another,\n"
           "                        and write nothing beside the files\n"
           "      --encoding=CODE   cp1251 (the default): the texts' bytes as they are;\n"
           "                        utf-8: the texts turned from code page 1251 into UTF-8\n"
           "      --eol=EOL         crlf or lf: the line breaks that end the lines (line\n"
           "                        breaks inside the texts stay as they are); crlf by\n"
           "                        default, and with --editable the system's line break\n"
           "                        (lf; crlf on Windows)\n"
           "      --editable        write the texts for editing: NAME.edit.txt, one line\n"
           "                        per record ('+', '-' or '?FLAG ' before the text), in\n"
           "                        UTF-8 unless --encoding=cp1251 is given; \\\\, \\r, \\n,\n"
           "                        \\t and \\xNN in place of the bytes that would break a\n"
           "                        line; a NAME.edit.txt that is already there is\n"
           "                        replaced only with -f\n"
           "      --pack            pack each FILE for editing back into a .wvl: beside\n"
           "                        it, under its name less .edit.txt; - reads standard\n"
           "                        input\n"
           "      --pot             write a catalogue for translation (a gettext PO\n"
           "                        template) of the texts of every file of the PATHs: one\n"
           "                        entry for each distinct non-empty text, references\n"
           "                        FILE:N to its records\n"
           "      --csv             the same in CSV for spreadsheets (UTF-8 with a BOM)\n"
           "      --from=CATALOGUE  with --pot or --csv: take the translations of an older\n"
           "                        catalogue (PO or CSV) for the same source texts\n"
           "      --apply=CATALOGUE\n"
           "                        write each .wvl file again, with the CATALOGUE's\n"
           "                        translations in place of its texts (no translation,\n"
           "                        or an empty or fuzzy one: the text stays); a\n"
           "                        CATALOGUE whose name ends in .csv is read as CSV, any\n"
           "                        other as PO; - reads standard input\n"
           "  -o, --output=OUT      with --pack or --apply: where to write the file (one\n"
           "                        FILE); with --pot or --csv: where to write the\n"
           "                        catalogue\n"
           "  -O, --output-dir=DIR  with --pack: write each packed file into DIR under its\n"
           "                        name (DIR is made when it is missing); with --apply:\n"
           "                        each file under its path relative to its PATH\n"
           "  -f, --force           with --pack, --apply, --pot or --csv: replace a file\n"
           "                        that is already there (atomically: written beside it,\n"
           "                        synced to disk, renamed); with --pack also say so when\n"
           "                        it held a different number of records; --apply with\n"
           "                        a lone -f replaces each file where it is; with\n"
           "                        --editable: replace NAME.edit.txt; without -f a file\n"
           "                        that is already there is not touched\n"
           "  -q, --quiet           print neither the number of converted files nor that\n"
           "                        of the files that failed\n"
           "  -h, --help            show this help and exit\n"
           "  -V, --version         show the version and exit\n"),
    TrNoop("A file that does not decompress leaves nothing behind. A failure after the\n"
           "decompression (NAME.txt cannot be created or written, is a folder or another\n"
           "user's file, the stream of records breaks off, the disk is full or the\n"
           "file-size limit is reached) leaves NAME.tmp beside the file, with the whole\n"
           "decompressed content however large it is: look at it, then delete it; NAME.txt\n"
           "then holds only the whole records before the failure.\n"),
    TrNoop("Without -c and without - the number of converted files is printed to standard\n"
           "output, otherwise to standard error; the number of files that failed always\n"
           "to standard error. A folder that holds nothing to convert is named in a line\n"
           "on standard error.\n"),
    TrNoop("Editing and packing back:\n"
           "  holvane-convert --editable game.wvl\n"
           "  sed -i 's/^+Hello$/+Bonjour/' game.wvl.edit.txt\n"
           "  holvane-convert --pack -o game.new.wvl game.wvl.edit.txt\n"
           "  holvane-convert -c --encoding=utf-8 game.new.wvl\n"
           "A line that cannot be read is told as FILE:LINE:COLUMN: cause (10 at most, then\n"
           "how many more); then nothing is written. With -c the packed data go to standard\n"
           "output, but not to a terminal.\n"),
    TrNoop("Translation:\n"
           "  holvane-convert --pot -r -o game.pot game/\n"
           "  msginit --no-translator -i game.pot -l en -o en.po   # then translate en.po\n"
           "  holvane-convert --apply=en.po -r -O game-en/ game/\n"
           "A catalogue line that cannot be read is told as CATALOGUE:LINE:COLUMN: cause\n"
           "(10 at most, then how many more); then nothing is written. At the end the\n"
           "program prints how many records were translated, how many were left\n"
           "untranslated, how many were skipped as fuzzy and how many catalogue entries\n"
           "matched nothing.\n"),
    TrNoop("Exit status: 0 if every file was converted; 1 if at least one could not be\n"
           "converted or standard output could not be written; 2 for an error on the\n"
           "command line; 128 + the signal's number if interrupted by a signal (130 for\n"
           "Ctrl+C). If the reader of standard output goes away, the run ends without a\n"
           "word by SIGPIPE, as cat does.\n"),
};
}  // namespace

std::string Usage() { return Tr(kUsage); }
std::string Help() {
  std::string help = Usage();
  for (const char* paragraph : kHelp) {
    if (paragraph != kHelp[0]) help.append("\n");
    help.append(Tr(paragraph));
  }
  return help;
}
std::string Version() {
  return Filled("{} {}\n", {kProgram, HOLVANE_VERSION}) + kCopyright + Tr(kLicence);
}

std::string BadValue(std::string_view option, std::string_view value, std::string_view accepted) {
  return Filled(Tr("invalid value '{}' for option {}; valid values: {}"),
                {value, option, accepted});
}
std::string ValueNeeded(std::string_view option) {
  return Filled(Tr("option {} needs a value"), {option});
}
std::string TakesNoValue(std::string_view option) {
  return Filled(Tr("option {} takes no value"), {option});
}
std::string UnknownOrAmbiguous(std::string_view option) {
  return Filled(Tr("unknown or ambiguous option '{}'"), {option});
}
std::string UnknownOption(std::string_view option) {
  return Filled(Tr("unknown option '{}'"), {option});
}
std::string NoPathGiven() { return Tr("no file or folder given"); }
std::string EditableWithPack() { return Tr("--editable and --pack cannot be given together"); }
std::string OnlyWith(std::string_view option, std::string_view commands) {
  return Filled(Tr("{} goes only with {}"), {option, commands});
}
std::string ForceOnlyWithPackOrEditable() {
  return Tr("-f goes only with --pack, --editable, --apply, --pot or --csv");
}
std::string NotTogether(std::string_view option, std::string_view other) {
  return Filled(Tr("{} and {} cannot be given together"), {option, other});
}
std::string FromOnlyWithCatalogue() { return Tr("--from goes only with --pot or --csv"); }
std::string CatalogueNeedsOutput() {
  return Tr("where to write the catalogue: -o FILE or -c (standard output) is needed");
}
std::string ApplyNeedsOutput() {
  return Tr("where to write the files: -O DIR, -o OUT, -c or -f (replace in place) is needed");
}
std::string StandardInputTwice() {
  return Tr(
      "standard input is read once: a catalogue from - and the PATH - cannot be given together");
}
std::string StdoutForOneFile(std::size_t files_given) {
  return Filled(Tr("-c writes one file, but {} are given"), {std::to_string(files_given)});
}
std::string PackReadsNoFolders() {
  return Tr("--pack reads files, not folders: -r does not go with it");
}
std::string OutputAndOutputDir() { return Tr("-o and -O cannot be given together"); }
std::string NotWithStdout(std::string_view option) {
  return Filled(Tr("{} and -c cannot be given together"), {option});
}
std::string OutputForOneFile(std::size_t files_given) {
  return Filled(Tr("-o names the output of one FILE, but {} are given"),
                {std::to_string(files_given)});
}
std::string OutputIsAFolder(std::string_view output) {
  return Filled(
      Tr("-o names a file, and '{}' is a folder; -O DIR writes packed files into a folder"),
      {output});
}

std::string NoSuchPath() { return Tr("no such file or folder"); }
std::string NoFilesInFolder(std::string_view pattern) {
  return Filled(Tr("no {} files in the folder"), {pattern});
}
std::string NoFilesInFolderButSubfolders(std::string_view pattern) {
  return Filled(Tr("no {} files in the folder; -r converts those of its subfolders"), {pattern});
}
std::string NoFilesInTree(std::string_view pattern) {
  return Filled(Tr("no {} files in the folder or its subfolders"), {pattern});
}
std::string AlreadyThere() { return Tr("the file exists already; -f (--force) replaces it"); }
std::string OutOfMemory() { return std::string(SystemErrorWords(std::errc::not_enough_memory)); }
std::string SystemFailed(std::string_view cause) {
  return Filled(Tr("system failure: {}"), {cause});
}
std::string Unexpected(std::string_view what) {
  return Filled(Tr("unexpected error ({})"), {what});
}
std::string Unexpected() { return Tr("unexpected error"); }
std::string WaitingForAnotherConversion(std::string_view name) {
  return Filled(Tr("{}: waiting for another conversion of this file to end"), {name});
}
std::string StandardOutputFailed(std::string_view cause) {
  return Filled(Tr("error writing to standard output: {}"), {cause});
}
std::string NoSpaceOnDevice() { return Tr("no space left on the device"); }
std::string CompressedDataToTerminal() {
  return Tr("compressed data is not written to a terminal: redirect standard output");
}
std::string FolderNotCreated() { return Tr("cannot create the folder"); }
std::string StandardInputNeedsOutput() { return Tr("standard input needs -o FILE or -c"); }
std::string NotAnEditableName() {
  return Tr("the name does not end in .edit.txt: -o FILE says where to write, or -c");
}
std::string PackedTwiceInto(std::string_view target) {
  return Filled(Tr("another file of this run is packed into '{}' already"), {target});
}
std::string RecordCountChanged(std::int64_t before, std::int64_t after) {
  return Filled(Tr("records were {}, now {}"), {Number(before), Number(after)});
}
std::string FaultyLines(std::size_t beyond_those_told, std::size_t in_all) {
  const std::string all = std::to_string(in_all);
  if (beyond_those_told == 0) {
    return Filled(TrPlural("{} line with errors in all, nothing written",
                           "{} lines with errors in all, nothing written", in_all),
                  {all});
  }
  return Filled(
      TrPlural("and {} more line with errors; {} in all, nothing written",
               "and {} more lines with errors; {} in all, nothing written", beyond_those_told),
      {std::to_string(beyond_those_told), all});
}

std::string ConvertedCount(std::int64_t count) {
  return Filled(Tr("Files converted successfully: {}."), {Number(count)});
}

std::string PackedCount(std::int64_t count) {
  return Filled(Tr("Files packed: {}."), {Number(count)});
}

std::string OneOutputForFiles(std::size_t files) {
  return Filled(Tr("-o and -c write one file, but the PATHs give {}"), {std::to_string(files)});
}
std::string CataloguedCount(std::int64_t count) {
  return Filled(Tr("Files in the catalogue: {}."), {Number(count)});
}
std::string CatalogueSize(std::size_t entries, std::size_t translated) {
  return Filled(Tr("Entries in the catalogue: {}, translated: {}."),
                {std::to_string(entries), std::to_string(translated)});
}
std::string AppliedCount(std::int64_t count) {
  return Filled(Tr("Files written with the translation: {}."), {Number(count)});
}
std::string ApplyTotals(std::int64_t translated, std::int64_t kept, std::int64_t fuzzy,
                        std::size_t unmatched) {
  return Filled(Tr("Records translated: {}, left untranslated: {}, of them skipped as fuzzy: {}; "
                   "catalogue entries matching no record: {}."),
                {Number(translated), Number(kept), Number(fuzzy), std::to_string(unmatched)});
}

}  // namespace sentence

}  // namespace holvane::cli
