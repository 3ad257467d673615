// SPDX-License-Identifier: MIT
// The file layer's part every system shares. The system calls themselves are
// in file_system_posix.cc and file_system_win32.cc, one of which is built.
#include "common/file_system.h"

#include <optional>
#include <string>
#include <vector>

#include "common/file_system_detail.h"

namespace holvane {

namespace file_layer {

void ThrowSystemError(std::string_view action, const std::filesystem::path& path,
                      SystemErrorMeaning meaning, long code, std::string_view system_text) {
  std::string cause = std::string(action) + ": ";
  if (meaning.text != nullptr) {
    cause += meaning.text;
  } else {
    cause += "системная ошибка " + std::to_string(code) + " (" + std::string(system_text) + ")";
  }
  throw RunTimeError(meaning.number, cause, std::nullopt, path);
}

void Refuse(std::string_view action, const std::filesystem::path& path, std::string_view why) {
  throw RunTimeError(ErrorNumber::kPathFileAccess, std::string(action) + ": " + std::string(why),
                     std::nullopt, path);
}

}  // namespace file_layer

std::unique_ptr<WritableFile> FileSystem::CreateTemporary(ConversionLock&,
                                                          const std::filesystem::path& temporary,
                                                          std::filesystem::perms permissions) {
  return CreateForWriting(temporary, permissions);
}

std::unique_ptr<ReadableFile> FileSystem::OpenTemporary(ConversionLock&,
                                                        const std::filesystem::path& temporary) {
  return OpenForReading(temporary);
}

bool FileSystem::RemoveUnlessHeld(const std::filesystem::path&) { return false; }

std::vector<std::filesystem::path> FileSystem::ListFolder(const std::filesystem::path&) {
  return {};
}

StandardOutputClosed::StandardOutputClosed()
    : RunTimeError(ErrorNumber::kDeviceIo, std::string(file_layer::kWriteStandardOutputAction) +
                                               ": читающая сторона канала закрыта") {}

std::string ReadStandardInput() {
  std::string content;
  constexpr std::size_t kPiece = 1 << 20;
  for (;;) {
    const std::size_t used = content.size();
    content.resize(used + kPiece);
    const std::size_t got = file_layer::ReadStandardInputSome(content.data() + used, kPiece);
    content.resize(used + got);
    if (got == 0) return content;
  }
}

}  // namespace holvane
