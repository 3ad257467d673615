// SPDX-License-Identifier: MIT
#include "conversion/pack.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <random>
#include <vector>

#include "common/run_time_error.h"
#include "common/translation.h"
#include "conversion/record_format.h"
#include "text/escapes.h"

namespace holvane {

namespace {

constexpr std::string_view kTemporarySuffix = ".pack.tmp";
constexpr std::size_t kProcessTagDigits = 16;

// The part of the temporary file's name that is this process's own, made once:
// two packs into one name at the same time, from two processes, then never
// write the same temporary file, whose bytes the one renamed last would
// otherwise take over mixed.
const std::string& ThisProcessTag() {
  static const std::string tag = [] {
    std::random_device seed;
    const std::uint64_t value = (std::uint64_t{seed()} << 32) ^ seed();
    return text::HexDigits(value, kProcessTagDigits, text::HexCase::kLower);
  }();
  return tag;
}

// The name of the file that `name`, a pack's temporary file of any process,
// was to become: `name` less a dot, the process tag and the suffix; none
// for another name.
std::optional<std::filesystem::path::string_type> PackedNameOf(
    const std::filesystem::path::string_type& name) {
  const std::size_t tail = 1 + kProcessTagDigits + kTemporarySuffix.size();
  if (name.size() <= tail) return std::nullopt;
  const std::size_t dot = name.size() - tail;
  const auto digits = name.begin() + static_cast<std::ptrdiff_t>(dot + 1);
  const auto suffix = digits + static_cast<std::ptrdiff_t>(kProcessTagDigits);
  const auto is_digit = [](auto c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
  };
  if (name[dot] != '.' || !std::all_of(digits, suffix, is_digit) ||
      !std::equal(suffix, name.end(), kTemporarySuffix.begin(), kTemporarySuffix.end())) {
    return std::nullopt;
  }
  return name.substr(0, dot);
}

// Removes `temporary` unless a writer holds it, a failure ignored: what
// brought the pack here, or the pack itself, matters more.
void RemoveUnlessHeldQuietly(const std::filesystem::path& temporary, FileSystem& file_system) {
  try {
    file_system.RemoveUnlessHeld(temporary);
  } catch (const RunTimeError&) {
  }
}

}  // namespace

std::filesystem::path PackTemporaryPathFor(const std::filesystem::path& output) {
  std::filesystem::path temporary = output;
  temporary += "." + ThisProcessTag() + std::string(kTemporarySuffix);
  return temporary;
}

std::string PackRecordStream(const std::string& stream, std::optional<cZLIB>& zlib) {
  if (!zlib) zlib.emplace();
  std::string packed = stream;
  if (const std::int32_t result = zlib->CompressString(packed, record_format::kFileZlibMode);
      result != 0) {
    throw RunTimeError(result > 0 ? static_cast<ErrorNumber>(result) : ErrorNumber::kDeviceIo,
                       Filled(Tr("cannot compress the record stream: {}"),
                              {DescribeZlibResult(ZlibMethod::kCompressString, result)}));
  }
  // What is kept must read back as what was meant, by the very step that
  // will read it.
  std::string unpacked = packed;
  const std::int32_t result = zlib->UncompressString(unpacked, record_format::kFileZlibMode);
  if (result != 0 || unpacked != stream) {
    throw RunTimeError(
        ErrorNumber::kInvalidFileFormat,
        Tr("the check failed: the compressed record stream does not decompress to the same"));
  }
  return packed;
}

PackWriter::PackWriter(FileSystem& file_system) : file_system_(file_system) {}

// The temporary files of packs into `output` that died before they could
// remove theirs (killed, the machine stopped) are those beside it named as
// PackTemporaryPathFor names them, for any process, that no writer holds
// (FileSystem::RemoveUnlessHeld). One a pack still running writes is left, and
// so is everything where the file system cannot lock files. A folder is looked
// through once, at the first write into it: a run that packs thousands of
// files into one folder would read it thousands of times otherwise.
void PackWriter::Write(const std::filesystem::path& output, std::string_view packed, bool replace,
                       std::filesystem::perms permissions) {
  Write(
      output, [packed](WritableFile& file) { file.Append(packed); }, replace, permissions);
}

void PackWriter::Write(const std::filesystem::path& output,
                       const std::function<void(WritableFile&)>& write, bool replace,
                       std::filesystem::perms permissions) {
  // The temporary files of packs that died: each has its process's own
  // name, so no later pack makes it again to remove it. One a pack still
  // writes is held, and stays. This is tidying, which must not stop the
  // pack: a folder that cannot be read is left as it is.
  const std::filesystem::path folder = output.parent_path();
  auto [listed, first] = abandoned_.try_emplace(folder);
  if (first) {
    try {
      for (std::filesystem::path& name : file_system_.ListFolder(folder)) {
        if (auto packed_name = PackedNameOf(name.native())) {
          listed->second.emplace(std::move(*packed_name), std::move(name));
        }
      }
    } catch (const RunTimeError&) {
    }
  }
  const auto [begin, end] = listed->second.equal_range(output.filename());
  for (auto at = begin; at != end; ++at) RemoveUnlessHeldQuietly(folder / at->second, file_system_);
  listed->second.erase(begin, end);

  const std::filesystem::path temporary = PackTemporaryPathFor(output);
  std::unique_ptr<WritableFile> file;
  try {
    file = file_system_.CreateNewForWriting(temporary, permissions);
  } catch (const RunTimeError& error) {
    // A name that was taken is not this pack's to touch. Otherwise the name
    // was free, and the call may have failed after making the file (its
    // status unreadable, say): whatever is there now and no writer holds
    // is what this call began.
    if (error.number() != ErrorNumber::kFileAlreadyExists) {
      RemoveUnlessHeldQuietly(temporary, file_system_);
    }
    throw;
  } catch (...) {
    // Any other failure (memory running out) goes on as it is, after the
    // same tidying.
    RemoveUnlessHeldQuietly(temporary, file_system_);
    throw;
  }
  try {
    write(*file);
    file->Sync();
    file->Close();
    // Still held, closed or not, until `file` goes: no other pack into the
    // name takes it for one left by a pack that died.
    file_system_.Rename(
        temporary, output,
        replace ? FileSystem::RenameMode::kReplace : FileSystem::RenameMode::kKeepExisting);
  } catch (...) {
    // Removed while still held, so the name is certain to be this pack's;
    // every failure, memory's included, goes on as it is.
    try {
      file_system_.Remove(temporary);
    } catch (const RunTimeError&) {
    }
    throw;
  }
}

void WritePackedFile(const std::filesystem::path& output, std::string_view packed, bool replace,
                     std::filesystem::perms permissions, FileSystem& file_system) {
  PackWriter(file_system).Write(output, packed, replace, permissions);
}

}  // namespace holvane
