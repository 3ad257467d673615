// SPDX-License-Identifier: MIT
#include "conversion/pack.h"

#include <cstdint>
#include <memory>
#include <random>

#include "common/run_time_error.h"
#include "text/hex.h"

namespace holvane {

namespace {

constexpr std::int32_t kZlibStream = 15;
constexpr std::string_view kEditableSuffix = ".edit.txt";

// A part of the temporary file's name that is this process's own, made once:
// two packs into one name at the same time, from two processes, then never
// write the same temporary file, whose bytes the one renamed last would
// otherwise take over mixed.
const std::string& ProcessPart() {
  static const std::string part = [] {
    std::random_device seed;
    const std::uint64_t value = (std::uint64_t{seed()} << 32) ^ seed();
    return text::HexDigits(value, 16, text::HexCase::kLower);
  }();
  return part;
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
  temporary += "." + ProcessPart() + ".pack.tmp";
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
  const std::filesystem::path temporary = PackTemporaryPathFor(output);
  bool made = false;
  try {
    auto file = file_system.CreateForWriting(temporary, permissions);
    made = true;
    file->Append(packed);
    file->Sync();
    file->Close();
    file_system.Rename(
        temporary, output,
        replace ? FileSystem::RenameMode::kReplace : FileSystem::RenameMode::kKeepExisting);
  } catch (...) {
    if (made) {
      try {
        file_system.Remove(temporary);
      } catch (const RunTimeError&) {
      }
    }
    throw;
  }
}

}  // namespace holvane
