// SPDX-License-Identifier: MIT
#include "conversion/convert_file.h"

#include <memory>
#include <string>
#include <string_view>

#include "common/file_system.h"
#include "common/run_time_error.h"
#include "common/translation.h"
#include "conversion/editable_form.h"
#include "conversion/record_format.h"
#include "conversion/record_stream.h"

namespace holvane {

namespace {

// The temporary file holds the input's whole content, decompressed, for a look
// after a failure: its owner's alone, whoever may read the input. (The lock
// that makes it gives it the same bits.)
constexpr std::filesystem::perms kTemporaryPermissions =
    std::filesystem::perms::owner_read | std::filesystem::perms::owner_write;

std::filesystem::path WithSuffix(const std::filesystem::path& input, const char* suffix) {
  std::filesystem::path result = input;
  result += suffix;
  return result;
}

// A positive result is the wrapper's run-time error number, kept as the
// failure's; any other means the bytes are no zlib stream.
[[noreturn]] void NotDecompressed(const std::filesystem::path& input, std::int32_t result) {
  throw RunTimeError(
      result > 0 ? static_cast<ErrorNumber>(result) : ErrorNumber::kInvalidFileFormat,
      Filled(Tr("cannot decompress: {}"),
             {DescribeZlibResult(ZlibMethod::kUncompressString, result)}),
      std::nullopt, input);
}

}  // namespace

void Decompress(std::string& content, std::optional<cZLIB>& zlib,
                const std::filesystem::path& input) {
  if (!zlib) zlib.emplace();
  // Rendering the raw bytes of a file that does not decompress would write
  // garbage, so such a file stops here, before anything is written.
  if (const std::int32_t result = zlib->UncompressString(content, record_format::kFileZlibMode);
      result != 0) {
    NotDecompressed(input, result);
  }
}

std::filesystem::path TemporaryPathFor(const std::filesystem::path& input) {
  return WithSuffix(input, ".tmp");
}

std::filesystem::path OutputPathFor(const std::filesystem::path& input) {
  return WithSuffix(input, ".txt");
}

std::filesystem::perms WrittenPermissions(std::filesystem::perms model) {
  // A private input gives a private output; an output read-only to its owner
  // would stop the next conversion.
  using std::filesystem::perms;
  return (model & (perms::owner_read | perms::group_read | perms::others_read)) |
         perms::owner_write;
}

std::filesystem::path OutputPathFor(const std::filesystem::path& input, const TextForm& form) {
  return form.layout == TextLayout::kEditable ? EditablePathFor(input) : OutputPathFor(input);
}

// The conversion is locked first (on POSIX systems the temporary file's lock,
// which makes the file when it is missing) and stays locked until the call
// returns or throws, so two conversions of the same input, from two threads
// or two processes, never overlap: the second waits, then converts afresh.
// Conversions of different inputs do not wait for each other.
//
// What each failure leaves:
//   - the conversion cannot be locked: the temporary file cannot be created
//     or opened, or is a symbolic link or not a regular file (on Windows:
//     the input cannot be opened); nothing has been written;
//   - the input cannot be read, or it does not decompress (kInvalidFileFormat,
//     or the wrapper's error number, with its meaning in words for 7, out of
//     memory, and 6, content too large for 32-bit sizes); nothing has been
//     written: a temporary file the lock made is removed again, one left by
//     an earlier run stays as it was, and so does an existing output;
//   - the temporary or output file cannot be written (or given its
//     permissions), or the record stream is malformed: the temporary file
//     stays (empty, when writing it failed), and the output holds whole
//     entries only, as RenderRecordStream leaves its target;
//   - the temporary file cannot be deleted.
void ConvertFile(const std::filesystem::path& folder, const std::filesystem::path& entryName,
                 std::optional<cZLIB>& zlib, FileSystem& file_system, const TextForm& form) {
  const std::filesystem::path input = folder / entryName;
  const std::filesystem::path temporary = TemporaryPathFor(input);
  // Held until the conversion ends, however it ends: another conversion of
  // the same input, in this process or another, would write the same
  // temporary and output files, so it waits and starts afresh after it. The
  // input is read only once the lock is held, so that the conversion that
  // waited reads the input as the one before left it, perhaps saved anew.
  const std::unique_ptr<ConversionLock> lock =
      file_system.LockConversion(input, temporary, LockWait::kWait);
  std::string content;
  std::filesystem::perms input_permissions{};
  try {
    // Opened once: the permissions are those of the very file read.
    const std::unique_ptr<ReadableFile> file = file_system.OpenForReading(input);
    input_permissions = file->Permissions();
    content = ReadWholeFile(*file, input);
    Decompress(content, zlib, input);
  } catch (...) {
    // Nothing is written for an input that cannot be read or decompressed:
    // the temporary file the lock made goes again (the lock still held), one
    // an earlier run left stays as it was. The failure is the one to report,
    // whatever it is (memory running out included), thrown on as it is.
    if (lock->CreatedTemporary()) {
      try {
        lock->RemoveTemporary();
      } catch (const RunTimeError&) {
      }
    }
    throw;
  }

  WriteWholeFile(*lock->CreateTemporary(kTemporaryPermissions), content);
  content = std::string();  // the temporary file holds it from here on

  {
    auto source = lock->OpenTemporary();
    auto target = file_system.CreateForWriting(OutputPathFor(input, form),
                                               WrittenPermissions(input_permissions));
    try {
      RenderRecordStream(*source, *target, form);
    } catch (const RunTimeError&) {
      // What was rendered before the failure belongs in the output; the
      // failure itself is the one to report.
      try {
        target->Close();
      } catch (const RunTimeError&) {
      }
      throw;
    }
    target->Close();
    source->Close();
  }
  lock->RemoveTemporary();
}

void ConvertContent(std::string content, WritableFile& target, std::optional<cZLIB>& zlib,
                    const TextForm& form) {
  Decompress(content, zlib, {});
  MemoryFile source(content);
  RenderRecordStream(source, target, form);
}

std::string ConvertedCountLine(std::int64_t count) {
  return "Файлов успешно декомпилировано: " + std::to_string(count) + ".";
}

}  // namespace holvane
