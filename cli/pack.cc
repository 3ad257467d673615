// SPDX-License-Identifier: MIT
// The run of --pack: editable texts read, packed and written, each checked
// and kept only whole.
#include "conversion/pack.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <system_error>

#include "cli/console.h"
#include "cli/file_set.h"
#include "cli/help.h"
#include "cli/interrupts.h"
#include "cli/report.h"
#include "cli/run.h"
#include "common/run_time_error.h"
#include "compression/czlib.h"
#include "conversion/editable_reader.h"
#include "conversion/file_system.h"
#include "conversion/whole_file.h"
#include "text/terminal_text.h"

namespace holvane::cli {

namespace {

// A packed file may be read by whoever may read what it replaces, or, when
// it is new, by whoever may read the text it comes from; and is written by
// its owner.
std::filesystem::perms PackedPermissions(const std::filesystem::path& target,
                                         const std::filesystem::path& input) {
  using std::filesystem::perms;
  constexpr perms kRead = perms::owner_read | perms::group_read | perms::others_read;
  std::error_code error;
  const std::filesystem::path& model =
      std::filesystem::exists(target, error) || input == kStandardInput ? target : input;
  const std::filesystem::file_status status = std::filesystem::status(model, error);
  if (error || status.permissions() == perms::unknown) return kRead | perms::owner_write;
  return (status.permissions() & kRead) | perms::owner_write;
}

// Tells of every line at fault up to the number the reader keeps, then of
// the rest in one line; returns whether there were any.
bool ReportedFaults(const std::filesystem::path& file, const EditableReading& reading) {
  if (reading.fault_count == 0) return false;
  const std::string name = text::Escaped(file.native());
  std::string lines;
  for (const LineFault& fault : reading.faults) {
    lines += text::Escaped(FaultLine(name, fault)) + "\n";
  }
  WriteText(stderr, lines);
  const std::size_t rest = reading.fault_count - reading.faults.size();
  ReportFailure(
      file, (rest > 0 ? "и ещё строк с ошибками: " + std::to_string(rest) + "; " : std::string()) +
                "строк с ошибками всего: " + std::to_string(reading.fault_count) +
                ", ничего не записано");
  return true;
}

}  // namespace

int RunPack(const Options& options, const std::vector<std::filesystem::path>& paths,
            const std::filesystem::path& output) {
  if (options.to_stdout && IsTerminal(stdout)) {
    Report("сжатые данные на терминал не пишутся: перенаправьте стандартный вывод");
    return 1;
  }
  InterruptGuard guard(DefaultFileSystem(), InterruptLine);
  const std::unique_ptr<WritableFile> standard_output = StandardOutput();
  std::optional<cZLIB> zlib;
  bool failed = false;
  int packed_files = 0;
  for (const std::filesystem::path& file : paths) {
    try {
      const bool from_input = file == kStandardInput;
      const std::filesystem::path target = options.to_stdout ? std::filesystem::path()
                                           : output.empty()  ? PackedPathFor(file)
                                                             : output;
      if (!options.to_stdout && target.empty()) {
        ReportFailure(file, from_input ? "для стандартного ввода нужен -o ФАЙЛ или -c"
                                       : "имя не оканчивается на .edit.txt: куда писать, "
                                         "скажет -o ФАЙЛ, или -c");
        failed = true;
        continue;
      }
      std::error_code error;
      if (!options.to_stdout && !options.force &&
          std::filesystem::symlink_status(target, error).type() !=
              std::filesystem::file_type::not_found) {
        ReportFailure(target, "файл уже есть; заменить его позволит -f (--force)");
        failed = true;
        continue;
      }
      std::string content = from_input ? ReadStandardInput() : ReadWholeFile(file);
      const EditableReading reading = ReadEditable(content, options.form.encoding);
      content = std::string();  // the stream holds it from here on
      if (ReportedFaults(file, reading)) {
        failed = true;
        continue;
      }
      const std::string packed = PackRecordStream(reading.stream, zlib);
      if (options.to_stdout) {
        standard_output->Append(packed);
      } else {
        guard.Begin(file, PackTemporaryPathFor(target));
        try {
          WritePackedFile(target, packed, options.force, PackedPermissions(target, file),
                          guard.files());
        } catch (...) {
          guard.End();
          throw;
        }
        guard.End();
      }
      ++packed_files;
    } catch (const RunTimeError& error) {
      ReportFailure(error.file().empty() ? file : error.file(), error.what());
      failed = true;
    } catch (const std::bad_alloc&) {
      ReportFailure(file, "недостаточно памяти");
      failed = true;
    }
  }
  if (packed_files > 0 && !options.quiet) {
    WriteText(options.to_stdout ? stderr : stdout,
              "Файлов упаковано: " + std::to_string(packed_files) + ".\n");
  }
  return failed ? 1 : 0;
}

}  // namespace holvane::cli
