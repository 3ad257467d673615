// SPDX-License-Identifier: MIT
#include "cli/convert.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "cli/console.h"
#include "cli/file_set.h"
#include "cli/program.h"
#include "common/file_system.h"
#include "compression/czlib.h"
#include "conversion/convert_file.h"
#include "conversion/editable_form.h"

namespace holvane::cli {

int RunConvert(const Options& options) {
  // Text on standard output leaves the count line and the progress line to
  // standard error, or to nothing, so they never mix with it.
  const bool text_on_stdout =
      options.to_stdout || std::count(options.paths.begin(), options.paths.end(), kStandardInput);
  FileLoop loop(!text_on_stdout && IsTerminal(stderr));
  bool a_path_failed = false;  // missing, or a folder not listed
  const std::vector<std::filesystem::path> files =
      CollectFiles(options.paths, options.recursive, a_path_failed);
  const std::unique_ptr<WritableFile> standard_output = StandardOutput();
  std::optional<cZLIB> zlib;
  // An editable text beside its input may hold a person's edits: it is
  // written over only when --force says so.
  const bool keeps_edits =
      options.form.layout == TextLayout::kEditable && !options.to_stdout && !options.force;
  const auto convert = [&](const std::filesystem::path& file) {
    if (keeps_edits && file != kStandardInput && NameTaken(EditablePathFor(file))) {
      loop.ClearProgress();
      ReportFailure(EditablePathFor(file), sentence::AlreadyThere());
      return false;
    }
    loop.Begin(file);
    if (file == kStandardInput) {
      ConvertContent(ReadStandardInput(), *standard_output, zlib, options.form);
    } else if (options.to_stdout) {
      ConvertContent(ReadWholeFile(file), *standard_output, zlib, options.form);
    } else {
      ConvertFile(file.parent_path(), file.filename(), zlib, loop.files(), options.form);
    }
    return true;
  };
  return loop.Run(files, convert, {sentence::ConvertedCount, text_on_stdout, options.quiet},
                  a_path_failed);
}

}  // namespace holvane::cli
