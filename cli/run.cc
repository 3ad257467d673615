// SPDX-License-Identifier: MIT
#include "cli/run.h"

#include <algorithm>
#include <memory>
#include <new>
#include <optional>
#include <string>

#include "cli/console.h"
#include "cli/file_set.h"
#include "cli/interrupts.h"
#include "cli/program.h"
#include "cli/progress_line.h"
#include "cli/report.h"
#include "common/file_identity.h"
#include "common/file_system.h"
#include "common/run_time_error.h"
#include "common/whole_file.h"
#include "compression/czlib.h"
#include "conversion/convert_file.h"
#include "conversion/editable_form.h"
#include "text/terminal_text.h"

namespace holvane::cli {

int Run(const Options& options, const std::vector<std::filesystem::path>& paths) {
  InterruptGuard guard(DefaultFileSystem(), InterruptLine);
  bool a_path_failed = false;  // missing, or a folder not listed
  const std::vector<std::filesystem::path> files =
      CollectFiles(paths, options.recursive, a_path_failed);

  // Text on standard output leaves the count line and the progress line to
  // standard error, or to nothing, so they never mix with it.
  const bool text_on_stdout =
      options.to_stdout || std::count(options.paths.begin(), options.paths.end(), kStandardInput);
  const std::unique_ptr<WritableFile> standard_output = StandardOutput();
  std::optional<cZLIB> zlib;
  int converted = 0;
  // The line shows each file when there are several, and, even for one, a
  // wait for another conversion of a file (another user's, perhaps), which
  // would otherwise look like a run that hangs.
  ProgressLine progress(stderr, !text_on_stdout && IsTerminal(stderr));
  const bool each_file_shown = files.size() > 1;
  std::size_t current = 0;
  guard.OnWaiting([&](bool waiting) {
    const std::string name = text::Escaped(files[current].native());
    if (waiting) {
      progress.Show(current + 1, files.size(),
                    name + ": ждёт, пока закончится другое преобразование этого файла");
    } else if (each_file_shown) {
      progress.Show(current + 1, files.size(), name);
    } else {
      progress.Clear();
    }
  });
  // An editable text beside its input may hold a person's edits: it is
  // written over only when --force says so.
  const bool keeps_edits =
      options.form.layout == TextLayout::kEditable && !options.to_stdout && !options.force;
  int failures = 0;
  bool reader_gone = false;
  for (std::size_t i = 0; i < files.size(); ++i) {
    const std::filesystem::path& file = files[i];
    current = i;
    if (each_file_shown) progress.Show(i + 1, files.size(), text::Escaped(file.native()));
    if (keeps_edits && file != kStandardInput && NameTaken(EditablePathFor(file))) {
      progress.Clear();
      ReportFailure(EditablePathFor(file), kAlreadyThere);
      ++failures;
      continue;
    }
    guard.Begin(file);
    try {
      if (file == kStandardInput) {
        ConvertContent(ReadStandardInput(), *standard_output, zlib, options.form);
      } else if (options.to_stdout) {
        ConvertContent(ReadWholeFile(file), *standard_output, zlib, options.form);
      } else {
        ConvertFile(file.parent_path(), file.filename(), zlib, guard.files(), options.form);
      }
      ++converted;
    } catch (const StandardOutputClosed&) {
      // No one reads the texts any more: the run ends here, without a word.
      reader_gone = true;
    } catch (const RunTimeError& error) {
      progress.Clear();
      // The file at fault: the input, or its .tmp or .txt.
      ReportFailure(error.file().empty() ? file : error.file(), error.what());
      ++failures;
    } catch (const std::bad_alloc&) {
      progress.Clear();
      ReportFailure(file, "недостаточно памяти");
      ++failures;
    }
    guard.End();
    if (reader_gone) break;
  }
  progress.Clear();
  if (reader_gone) return kReaderGoneStatus;
  ReportCounts(converted, failures, text_on_stdout, options.quiet, ConvertedCountLine);
  return a_path_failed || failures > 0 ? 1 : 0;
}

}  // namespace holvane::cli
