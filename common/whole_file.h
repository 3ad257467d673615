// SPDX-License-Identifier: MIT
#ifndef HOLVANE_COMMON_WHOLE_FILE_H_
#define HOLVANE_COMMON_WHOLE_FILE_H_

#include <filesystem>
#include <string>
#include <string_view>

#include "common/file_system.h"

namespace holvane {

// The whole content of the file at `path` (empty for a 0-byte file). The file
// is opened, read from its first byte and closed within the call, and never
// changed. Throws RunTimeError when it cannot be opened, read or closed.
std::string ReadWholeFile(const std::filesystem::path& path,
                          FileSystem& file_system = DefaultFileSystem());

// The whole content of `file`, just opened from `path`, read from its first
// byte; then the file is closed. Throws as above.
std::string ReadWholeFile(ReadableFile& file, const std::filesystem::path& path);

// Makes the file at `path` hold exactly `data`, with the permission bits
// `permissions` less the umask: it is created if missing, emptied if not,
// written in one append and closed within the call, so a failed write leaves
// it empty rather than holding part of `data`. Empty data still leaves an empty
// file. Throws RunTimeError on any failure, including the refusals of
// FileSystem::CreateForWriting.
void WriteWholeFile(const std::filesystem::path& path, std::string_view data,
                    std::filesystem::perms permissions,
                    FileSystem& file_system = DefaultFileSystem());

// Writes `data` to `file`, just made or emptied, in one append (none for
// empty data), then closes it. Throws as above.
void WriteWholeFile(WritableFile& file, std::string_view data);

}  // namespace holvane

#endif  // HOLVANE_COMMON_WHOLE_FILE_H_
