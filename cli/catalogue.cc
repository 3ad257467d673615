// SPDX-License-Identifier: MIT
// The runs of --pot, --csv and --apply: catalogues of the files' texts made,
// and applied back onto the files.
#include "cli/catalogue.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "cli/console.h"
#include "cli/file_set.h"
#include "cli/pack.h"
#include "cli/program.h"
#include "common/file_system.h"
#include "common/run_time_error.h"
#include "compression/czlib.h"
#include "conversion/catalogue.h"
#include "conversion/convert_file.h"
#include "conversion/pack.h"
#include "conversion/record_format.h"
#include "text/escapes.h"
#include "text/names.h"

namespace holvane::cli {

namespace {

// The POT-Creation-Date: SOURCE_DATE_EPOCH's moment when it holds a number
// of seconds, so that the same files give the same bytes in a reproducible
// build; otherwise now. Always in UTC, written as gettext writes it.
std::string CreationDate() {
  using namespace std::chrono;
  std::int64_t moment = floor<seconds>(system_clock::now()).time_since_epoch().count();
  if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH"); epoch != nullptr) {
    const std::string_view given = epoch;
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(given.data(), given.data() + given.size(), value);
    if (error == std::errc() && end == given.data() + given.size() && !given.empty()) {
      moment = value;
    }
  }
  return CatalogueDate(moment);
}

// The record stream `file` holds ("-": standard input), decompressed as a
// conversion decompresses it.
std::string RecordStreamOf(const std::filesystem::path& file, std::optional<cZLIB>& zlib) {
  std::string content = file == kStandardInput ? ReadStandardInput() : ReadWholeFile(file);
  Decompress(content, zlib, file);
  return content;
}

// A file's name in a reference: its path below its PATH in UTF-8 (a name
// that is not UTF-8 read as code page 1251, as the lists show it), with '/'
// between folders on every system, so that a catalogue made on one applies
// on the other.
std::string ReferenceName(const std::filesystem::path& relative) {
  const std::u8string generic = relative.generic_u8string();
  return text::ShownName(std::string(generic.begin(), generic.end()));
}

// Whether the catalogue `name` is read as CSV: a name ending in ".csv", in
// any letter case.
bool IsCsv(const std::filesystem::path& name) {
  const std::u8string extension = name.extension().generic_u8string();
  std::string lower(extension.begin(), extension.end());
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
  return lower == ".csv";
}

// The entries of the catalogue `name`, read whole; none, after telling of
// every line at fault or of why it could not be read at all.
std::optional<std::vector<CatalogueEntry>> ReadCatalogue(const std::filesystem::path& name) {
  CatalogueReading reading;
  try {
    const std::string content = name == kStandardInput ? ReadStandardInput() : ReadWholeFile(name);
    reading = IsCsv(name) ? ReadCsv(content) : ReadPo(content);
  } catch (const RunTimeError& error) {
    ReportFailure(error.file().empty() ? name : error.file(), error.what());
    return std::nullopt;
  }
  if (ReportedFaults(name, reading.faults, reading.fault_count)) return std::nullopt;
  return std::move(reading.entries);
}

// The usable translations of the catalogue `name`, read whole and taken as
// they are read; none, after telling as ReadCatalogue tells.
std::optional<Translations> ReadTranslations(const std::filesystem::path& name) {
  Translations translations;
  CatalogueReading reading;
  try {
    const std::string content = name == kStandardInput ? ReadStandardInput() : ReadWholeFile(name);
    // About one entry a line that starts a source, and sources and
    // translations in code page 1251 about a third of it all: the room is
    // made at once rather than doubled as it fills.
    std::size_t sources = 0;
    const std::string_view start = IsCsv(name) ? "\n" : "\nmsgid ";
    for (std::size_t at = content.find(start); at != std::string::npos;
         at = content.find(start, at + start.size())) {
      ++sources;
    }
    translations.Reserve(sources, content.size() / 3);
    const EntrySink take = [&translations](CatalogueEntry&& entry) { translations.Add(entry); };
    reading = IsCsv(name) ? ReadCsv(content, take) : ReadPo(content, take);
  } catch (const RunTimeError& error) {
    ReportFailure(error.file().empty() ? name : error.file(), error.what());
    return std::nullopt;
  }
  if (ReportedFaults(name, reading.faults, reading.fault_count)) return std::nullopt;
  return translations;
}

// Where a count line goes: standard output, unless what the run writes goes
// there.
std::FILE* CountStream(bool text_on_stdout) { return text_on_stdout ? stderr : stdout; }

}  // namespace

int RunCatalogue(const Options& options) {
  const bool text_on_stdout = options.to_stdout;
  FileLoop loop(!text_on_stdout && IsTerminal(stderr));
  // A catalogue there holds a translator's work: it is refused before any
  // file is read, not after.
  if (options.output && !options.force && NameTaken(*options.output)) {
    ReportFailure(*options.output, sentence::AlreadyThere());
    return 1;
  }
  std::vector<CatalogueEntry> previous;
  if (options.from) {
    std::optional<std::vector<CatalogueEntry>> read = ReadCatalogue(*options.from);
    if (!read) return 1;
    previous = std::move(*read);
  }
  bool a_path_failed = false;
  std::vector<std::filesystem::path> relative;
  const std::vector<std::filesystem::path> files =
      CollectFiles(options.paths, options.recursive, a_path_failed, &relative);
  CatalogueBuilder builder;
  std::optional<cZLIB> zlib;
  std::size_t next = 0;  // the loop takes the files in order, each once
  const auto add = [&](const std::filesystem::path& file) {
    const std::filesystem::path& below = relative[next++];
    builder.AddStream(ReferenceName(below), RecordStreamOf(file, zlib));
    return true;
  };
  int status = loop.Run(files, add, {sentence::CataloguedCount, text_on_stdout, options.quiet},
                        a_path_failed);
  if (status == kReaderGoneStatus) return status;
  const std::size_t translated = options.from ? builder.TakeTranslations(previous) : 0;
  // Written as it is made, never whole in memory (docs/performance.md,
  // "Translation catalogues").
  const std::string creation_date = CreationDate();
  const auto write_catalogue = [&](const PieceSink& write) {
    if (options.catalogue_format == CatalogueFormat::kCsv) {
      builder.Csv(write);
    } else {
      builder.Po(creation_date, write);
    }
  };
  try {
    if (options.to_stdout) {
      const std::unique_ptr<WritableFile> standard_output = StandardOutput();
      write_catalogue([&](std::string_view piece) { standard_output->Append(piece); });
    } else {
      const std::filesystem::path& output = *options.output;
      loop.Begin(output);
      PackWriter(loop.files())
          .Write(
              output,
              [&](WritableFile& file) {
                write_catalogue([&file](std::string_view piece) { file.Append(piece); });
              },
              options.force, PackedPermissions(output, std::filesystem::path(kStandardInput)));
      loop.End();
    }
  } catch (const StandardOutputClosed&) {
    return kReaderGoneStatus;
  } catch (const RunTimeError& error) {
    ReportFailure(error.file().empty() ? *options.output : error.file(), error.what());
    return 1;
  }
  if (!options.quiet) {
    WriteText(CountStream(text_on_stdout),
              sentence::CatalogueSize(builder.size(), translated) + "\n");
  }
  return status;
}

int RunApply(const Options& options) {
  if (options.to_stdout && IsTerminal(stdout)) {
    Report(sentence::CompressedDataToTerminal());
    return 1;
  }
  FileLoop loop(!options.to_stdout && IsTerminal(stderr));
  std::optional<Translations> read = ReadTranslations(options.catalogue);
  if (!read) return 1;
  Translations& translations = *read;
  bool a_path_failed = false;
  std::vector<std::filesystem::path> relative;
  const std::vector<std::filesystem::path> files =
      CollectFiles(options.paths, options.recursive, a_path_failed, &relative);
  if ((options.output || options.to_stdout) && files.size() > 1) {
    return UsageFailure(sentence::OneOutputForFiles(files.size()));
  }
  const std::unique_ptr<WritableFile> standard_output = StandardOutput();
  std::optional<cZLIB> zlib;
  PackWriter writer(loop.files());
  ApplyCounts totals;
  std::size_t applied = 0;  // files written with the catalogue applied
  // Two files of one relative name from two PATHs would be written into one
  // file of -O, the second over the first.
  std::set<std::filesystem::path> written;
  std::size_t next = 0;
  const auto apply = [&](const std::filesystem::path& file) {
    const std::filesystem::path& below = relative[next++];
    std::filesystem::path target;
    if (options.output) {
      target = *options.output;
    } else if (options.output_dir) {
      target = *options.output_dir / below;
    } else if (!options.to_stdout) {
      target = file;  // -f alone: the file replaced where it is
    }
    if (!options.to_stdout && (file == kStandardInput && !options.output)) {
      loop.ClearProgress();
      ReportFailure(file, sentence::StandardInputNeedsOutput());
      return false;
    }
    if (!options.to_stdout && written.contains(target.lexically_normal())) {
      loop.ClearProgress();
      ReportFailure(file, sentence::PackedTwiceInto(text::Escaped(target.native())));
      return false;
    }
    if (!options.to_stdout && !options.force && NameTaken(target)) {
      loop.ClearProgress();
      ReportFailure(target, sentence::AlreadyThere());
      return false;
    }
    ApplyCounts counts;
    // The file's own stream is let go before packing: a statement of its own.
    const std::string stream = translations.ApplyStream(RecordStreamOf(file, zlib), counts);
    const std::string packed = PackRecordStream(stream, zlib);
    if (options.to_stdout) {
      standard_output->Append(packed);
    } else {
      if (options.output_dir) {
        std::error_code error;
        std::filesystem::create_directories(target.parent_path(), error);
        if (error) {
          loop.ClearProgress();
          ReportFailure(target.parent_path(), sentence::FolderNotCreated());
          return false;
        }
      }
      loop.Begin(file);
      writer.Write(target, packed, options.force, PackedPermissions(target, file));
      loop.End();
      written.insert(target.lexically_normal());
    }
    totals.translated += counts.translated;
    totals.kept += counts.kept;
    totals.fuzzy += counts.fuzzy;
    ++applied;
    return true;
  };
  const int status = loop.Run(
      files, apply, {sentence::AppliedCount, options.to_stdout, options.quiet}, a_path_failed);
  // With no file written, every entry would be told unmatched: no totals.
  if (status != kReaderGoneStatus && !options.quiet && applied > 0) {
    WriteText(CountStream(options.to_stdout),
              sentence::ApplyTotals(totals.translated, totals.kept, totals.fuzzy,
                                    translations.Unmatched()) +
                  "\n");
  }
  return status;
}

}  // namespace holvane::cli
