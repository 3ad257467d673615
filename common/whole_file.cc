// SPDX-License-Identifier: MIT
#include "common/whole_file.h"

#include "common/memory_advice.h"
#include "common/run_time_error.h"

namespace holvane {

std::string ReadWholeFile(const std::filesystem::path& path, FileSystem& file_system) {
  return ReadWholeFile(*file_system.OpenForReading(path), path);
}

std::string ReadWholeFile(ReadableFile& file, const std::filesystem::path& path) {
  const std::int64_t length = file.Length();
  // Reserved first, so that a large file can be asked into large pages
  // before it is touched: fewer faults than page by page.
  std::string content;
  content.reserve(static_cast<std::size_t>(length));
  memory_advice::PreferLargePages(content.data(), content.capacity());
  content.assign(static_cast<std::size_t>(length), ' ');
  if (file.ReadAt(0, content.data(), content.size()) != content.size()) {
    // The file shrank between asking its length and reading it.
    throw RunTimeError(ErrorNumber::kInputPastEndOfFile, "файл стал короче во время чтения",
                       std::nullopt, path);
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
