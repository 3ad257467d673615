// SPDX-License-Identifier: MIT
// The run of --pack: editable texts read, packed and written, each checked
// and kept only whole.
#include "cli/pack.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

#include "cli/console.h"
#include "cli/file_set.h"
#include "cli/program.h"
#include "common/file_system.h"
#include "common/run_time_error.h"
#include "compression/czlib.h"
#include "conversion/convert_file.h"
#include "conversion/editable_form.h"
#include "conversion/pack.h"
#include "text/escapes.h"

namespace holvane::cli {

namespace {

// Counts the lines written to it: in the editable layout with LF, one for
// each record.
class LineCounter final : public WritableFile {
 public:
  void AppendPieces(std::span<const std::string_view> pieces) override {
    for (const std::string_view piece : pieces)
      count_ += std::count(piece.begin(), piece.end(), '\n');
  }
  void Close() override {}
  std::int64_t count() const { return count_; }

 private:
  std::int64_t count_ = 0;
};

// How many records the *.wvl file `packed` holds; none when it does not read
// as one (it then had no count to keep).
std::optional<std::int64_t> RecordCount(std::string packed, std::optional<cZLIB>& zlib) {
  LineCounter lines;
  try {
    ConvertContent(std::move(packed), lines, zlib,
                   TextForm{TextEncoding::kCp1251, LineBreak::kLf, TextLayout::kEditable});
  } catch (const RunTimeError&) {
    return std::nullopt;
  }
  return lines.count();
}

// Where the text `file` is packed to: `output`, or under its own name less
// ".edit.txt" into `output_dir` or beside it; empty when it has no such name.
std::filesystem::path TargetFor(const std::filesystem::path& file,
                                const std::filesystem::path& output,
                                const std::filesystem::path& output_dir) {
  if (!output.empty()) return output;
  if (file == kStandardInput) return {};
  const std::filesystem::path beside = PackedPathFor(file);
  if (beside.empty() || output_dir.empty()) return beside;
  return output_dir / beside.filename();
}

}  // namespace

std::filesystem::perms PackedPermissions(const std::filesystem::path& target,
                                         const std::filesystem::path& input) {
  using std::filesystem::perms;
  std::error_code error;
  const std::filesystem::path& model =
      std::filesystem::exists(target, error) || input == kStandardInput ? target : input;
  const std::filesystem::file_status status = std::filesystem::status(model, error);
  return WrittenPermissions(error || status.permissions() == perms::unknown ? perms::all
                                                                            : status.permissions());
}

bool ReportedFaults(const std::filesystem::path& file, const std::vector<LineFault>& faults,
                    std::size_t fault_count) {
  if (fault_count == 0) return false;
  const std::string name = text::Escaped(file.native());
  std::string lines;
  for (const LineFault& fault : faults) {
    lines += text::Escaped(FaultLine(name, fault), text::Backslashes::kKept) + "\n";
  }
  WriteText(stderr, lines);
  ReportFailure(file, sentence::FaultyLines(fault_count - faults.size(), fault_count));
  return true;
}

int RunPack(const Options& options) {
  const std::filesystem::path output = options.output.value_or(std::filesystem::path());
  const std::filesystem::path output_dir = options.output_dir.value_or(std::filesystem::path());
  std::error_code error;
  if (!output.empty() && (!output.has_filename() || std::filesystem::is_directory(output, error))) {
    return UsageFailure(sentence::OutputIsAFolder(text::Escaped(output.native())));
  }
  if (options.to_stdout && IsTerminal(stdout)) {
    Report(sentence::CompressedDataToTerminal());
    return 1;
  }
  if (!output_dir.empty()) {
    std::filesystem::create_directories(output_dir, error);
    if (error) {
      ReportFailure(output_dir, sentence::FolderNotCreated());
      return 1;
    }
  }
  FileLoop loop(false);
  const std::unique_ptr<WritableFile> standard_output = StandardOutput();
  std::optional<cZLIB> zlib;
  // Two texts of one name packed into one folder would write one file, the
  // second over the first.
  std::set<std::filesystem::path> written;
  PackWriter writer(loop.files());
  const auto pack = [&](const std::filesystem::path& file) {
    const bool from_input = file == kStandardInput;
    const std::filesystem::path target =
        options.to_stdout ? std::filesystem::path() : TargetFor(file, output, output_dir);
    if (!options.to_stdout && target.empty()) {
      ReportFailure(
          file, from_input ? sentence::StandardInputNeedsOutput() : sentence::NotAnEditableName());
      return false;
    }
    if (!options.to_stdout && written.contains(target.lexically_normal())) {
      ReportFailure(file, sentence::PackedTwiceInto(text::Escaped(target.native())));
      return false;
    }
    const bool replacing = !options.to_stdout && NameTaken(target);
    if (replacing && !options.force) {
      ReportFailure(target, sentence::AlreadyThere());
      return false;
    }
    std::string content = from_input ? ReadStandardInput() : ReadWholeFile(file);
    const EditableReading reading = ReadEditable(content, options.form.encoding);
    content = std::string();  // the stream holds it from here on
    if (ReportedFaults(file, reading.faults, reading.fault_count)) return false;
    const std::string packed = PackRecordStream(reading.stream, zlib);
    if (options.to_stdout) {
      standard_output->Append(packed);
      return true;
    }
    // A record lost or added by a slip of the editor is told before the
    // file it came from is gone.
    std::optional<std::int64_t> replaced_records;
    if (replacing) {
      try {
        replaced_records = RecordCount(ReadWholeFile(target), zlib);
      } catch (const RunTimeError&) {
      }
    }
    loop.Begin(file);
    writer.Write(target, packed, options.force, PackedPermissions(target, file));
    loop.End();
    written.insert(target.lexically_normal());
    const auto records = static_cast<std::int64_t>(reading.entries);
    if (replaced_records && *replaced_records != records) {
      ReportFailure(target, sentence::RecordCountChanged(*replaced_records, records));
    }
    return true;
  };
  return loop.Run(options.paths, pack, {sentence::PackedCount, options.to_stdout, options.quiet});
}

}  // namespace holvane::cli
