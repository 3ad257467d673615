// SPDX-License-Identifier: MIT
// The file layer's part every system shares. The system calls themselves are
// in file_system_posix.cc and file_system_win32.cc, one of which is built.
#include "common/file_system.h"

#include <optional>
#include <string>
#include <vector>

#include "common/file_system_detail.h"

namespace holvane {

namespace {

// A failure without words of its own: its code and the system's description.
std::string Unworded(long code, std::string_view system_text) {
  return Filled(Tr("system error {} ({})"), {std::to_string(code), system_text});
}

}  // namespace

namespace file_layer {

void ThrowSystemError(Words action, const std::filesystem::path& path, SystemErrorMeaning meaning,
                      long code, std::string_view system_text) {
  const std::string words =
      meaning.words.empty() ? Unworded(code, system_text) : std::string(meaning.words);
  throw RunTimeError(meaning.number, Filled(Tr("{}: {}"), {Tr(action), words}), std::nullopt, path);
}

void Refuse(Words action, const std::filesystem::path& path, Words why) {
  throw RunTimeError(ErrorNumber::kPathFileAccess, Filled(Tr("{}: {}"), {Tr(action), Tr(why)}),
                     std::nullopt, path);
}

}  // namespace file_layer

// The one table of the words. Each system part picks, for its own codes,
// the condition whose words tell it (Windows' ERROR_PATH_NOT_FOUND, say, is
// told as ENOTDIR is) and the number it counts as; words only one system
// has a code for stay in that system's part.
std::string_view SystemErrorWords(std::errc condition) {
  using file_layer::kAlreadyExists;
  using file_layer::kFolder;
  using file_layer::kSymbolicLink;
  switch (condition) {
    case std::errc::no_such_file_or_directory:
      return Tr("file not found");
    case std::errc::not_a_directory:
      return Tr("path not found");
    case std::errc::permission_denied:
    case std::errc::operation_not_permitted:
      return Tr("permission denied");
    case std::errc::read_only_file_system:
      return Tr("read-only file system");
    case std::errc::no_space_on_device:
      return Tr("no space left on the disk");
    case std::errc::file_too_large:
      return Tr("file too large");
    case std::errc::io_error:
      return Tr("input/output error");
    case std::errc::is_a_directory:
      return Tr(kFolder);
    case std::errc::too_many_symbolic_link_levels:
      return Tr(kSymbolicLink);
    case std::errc::filename_too_long:
      return Tr("name too long");
    case std::errc::too_many_files_open:
    case std::errc::too_many_files_open_in_system:
      return Tr("too many open files");
    case std::errc::not_enough_memory:
      return Tr("not enough memory");
    case std::errc::file_exists:
      return Tr(kAlreadyExists);
    case std::errc::resource_unavailable_try_again:
      return Tr("not enough system resources");
    default:
      return {};
  }
}

std::string SystemFailureCause(const std::error_code& code) {
  const std::error_condition condition = code.default_error_condition();
  for (const std::errc worded :
       {std::errc::resource_unavailable_try_again, std::errc::not_enough_memory,
        std::errc::operation_not_permitted, std::errc::permission_denied}) {
    if (condition == worded) return std::string(SystemErrorWords(worded));
  }
  return Unworded(code.value(), code.message());
}

bool FileSystem::RemoveUnlessHeld(const std::filesystem::path&) { return false; }

std::vector<std::filesystem::path> FileSystem::ListFolder(const std::filesystem::path&) {
  return {};
}

StandardOutputClosed::StandardOutputClosed()
    : RunTimeError(ErrorNumber::kDeviceIo,
                   Filled(Tr("{}: {}"), {Tr(file_layer::kWriteStandardOutputAction),
                                         Tr("the reading end of the pipe is closed")})) {}

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

std::string ReadWholeFile(const std::filesystem::path& path, FileSystem& file_system) {
  return ReadWholeFile(*file_system.OpenForReading(path), path);
}

std::string ReadWholeFile(ReadableFile& file, const std::filesystem::path& path) {
  const std::int64_t length = file.Length();
  // Reserved first, so that a large file can be asked into large pages
  // before it is touched: fewer faults than page by page.
  std::string content;
  content.reserve(static_cast<std::size_t>(length));
  PreferLargePages(content.data(), content.capacity());
  content.assign(static_cast<std::size_t>(length), ' ');
  if (file.ReadAt(0, content.data(), content.size()) != content.size()) {
    // The file shrank between asking its length and reading it.
    throw RunTimeError(ErrorNumber::kInputPastEndOfFile,
                       Tr("the file became shorter while it was read"), std::nullopt, path);
  }
  file.Close();
  return content;
}

void WriteWholeFile(const std::filesystem::path& path, std::string_view data,
                    std::filesystem::perms permissions, FileSystem& file_system) {
  WriteWholeFile(*file_system.CreateForWriting(path, permissions), data);
}

void WriteWholeFile(WritableFile& file, std::string_view data) {
  if (!data.empty()) file.Append(data);
  file.Close();
}

}  // namespace holvane
