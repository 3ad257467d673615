// SPDX-License-Identifier: MIT
#include "conversion/pack.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "common/run_time_error.h"
#include "text/hex.h"

namespace holvane {

namespace {

constexpr std::int32_t kZlibStream = 15;
constexpr std::string_view kEditableSuffix = ".edit.txt";
constexpr std::string_view kTemporarySuffix = ".pack.tmp";
constexpr std::size_t kProcessPartDigits = 16;

// A part of the temporary file's name that is this process's own, made once:
// two packs into one name at the same time, from two processes, then never
// write the same temporary file, whose bytes the one renamed last would
// otherwise take over mixed.
const std::string& ProcessPart() {
  static const std::string part = [] {
    std::random_device seed;
    const std::uint64_t value = (std::uint64_t{seed()} << 32) ^ seed();
    return text::HexDigits(value, kProcessPartDigits, text::HexCase::kLower);
  }();
  return part;
}

// Whether `name` is that of a pack's temporary file for the file named
// `output`, of any process: `output`, a dot, the process part, the suffix.
bool IsPackTemporaryOf(const std::filesystem::path::string_type& name,
                       const std::filesystem::path::string_type& output) {
  const std::size_t length = output.size() + 1 + kProcessPartDigits + kTemporarySuffix.size();
  if (name.size() != length || !name.starts_with(output) || name[output.size()] != '.') {
    return false;
  }
  const auto digits = name.begin() + static_cast<std::ptrdiff_t>(output.size() + 1);
  const auto suffix = digits + static_cast<std::ptrdiff_t>(kProcessPartDigits);
  const auto is_digit = [](auto c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
  };
  return std::all_of(digits, suffix, is_digit) &&
         std::equal(suffix, name.end(), kTemporarySuffix.begin(), kTemporarySuffix.end());
}

// Removes `temporary` unless a writer holds it, a failure ignored: what
// brought the pack here, or the pack itself, matters more.
void RemoveUnlessHeldQuietly(const std::filesystem::path& temporary, FileSystem& file_system) {
  try {
    file_system.RemoveUnlessHeld(temporary);
  } catch (const RunTimeError&) {
  }
}

// Takes away the temporary files that packs into `output` left when they
// died: each has its process's own name, so no later pack makes it again to
// remove it. One a pack still writes is held, and stays. This is tidying,
// which must not stop the pack: a folder that cannot be read or a file that
// cannot be looked at is left as it is.
void RemoveAbandonedTemporaries(const std::filesystem::path& output, FileSystem& file_system) {
  const std::filesystem::path folder = output.parent_path();
  std::vector<std::filesystem::path> names;
  try {
    names = file_system.ListFolder(folder);
  } catch (const RunTimeError&) {
    return;
  }
  for (const std::filesystem::path& name : names) {
    if (IsPackTemporaryOf(name.native(), output.filename().native())) {
      RemoveUnlessHeldQuietly(folder / name, file_system);
    }
  }
}

}  // namespace

std::filesystem::path PackedPathFor(const std::filesystem::path& editable) {
  const std::filesystem::path::string_type name = editable.filename().native();
  const std::filesystem::path::string_type suffix(kEditableSuffix.begin(), kEditableSuffix.end());
  if (name.size() <= suffix.size() || !name.ends_with(suffix)) return {};
  return editable.parent_path() / name.substr(0, name.size() - suffix.size());
}

std::filesystem::path PackTemporaryPathFor(const std::filesystem::path& output) {
  std::filesystem::path temporary = output;
  temporary += "." + ProcessPart() + std::string(kTemporarySuffix);
  return temporary;
}

std::string PackRecordStream(const std::string& stream, std::optional<cZLIB>& zlib) {
  if (!zlib) zlib.emplace();
  std::string packed = stream;
  if (const std::int32_t result = zlib->CompressString(packed, kZlibStream); result != 0) {
    throw RunTimeError(result > 0 ? static_cast<ErrorNumber>(result) : ErrorNumber::kDeviceIo,
                       "не удаётся сжать поток записей: " +
                           (result > 0 ? "ошибка выполнения " + std::to_string(result)
                                       : std::string("zlib отказался его сжимать")));
  }
  // What is kept must read back as what was meant, by the very step that
  // will read it.
  std::string unpacked = packed;
  const std::int32_t result = zlib->UncompressString(unpacked, kZlibStream);
  if (result != 0 || unpacked != stream) {
    throw RunTimeError(ErrorNumber::kInvalidFileFormat,
                       "проверка не прошла: сжатый поток записей не распаковывается в тот же");
  }
  return packed;
}

void WritePackedFile(const std::filesystem::path& output, std::string_view packed, bool replace,
                     std::filesystem::perms permissions, FileSystem& file_system) {
  RemoveAbandonedTemporaries(output, file_system);
  const std::filesystem::path temporary = PackTemporaryPathFor(output);
  std::unique_ptr<WritableFile> file;
  try {
    file = file_system.CreateNewForWriting(temporary, permissions);
  } catch (const RunTimeError& error) {
    // A name that was taken is not this pack's to touch. Otherwise the name
    // was free, and the call may have failed after making the file (its
    // status unreadable, say): whatever is there now and no writer holds
    // is what this call began.
    if (error.number() != ErrorNumber::kFileAlreadyExists) {
      RemoveUnlessHeldQuietly(temporary, file_system);
    }
    throw;
  } catch (...) {
    RemoveUnlessHeldQuietly(temporary, file_system);
    throw;
  }
  try {
    file->Append(packed);
    file->Sync();
    file->Close();
    // Still held, closed or not, until `file` goes: no other pack into the
    // name takes it for one left by a pack that died.
    file_system.Rename(
        temporary, output,
        replace ? FileSystem::RenameMode::kReplace : FileSystem::RenameMode::kKeepExisting);
  } catch (...) {
    // Removed while still held, so the name is certain to be this pack's.
    try {
      file_system.Remove(temporary);
    } catch (const RunTimeError&) {
    }
    throw;
  }
}

}  // namespace holvane
