// SPDX-License-Identifier: MIT
#ifndef HOLVANE_COMMON_FILE_IDENTITY_H_
#define HOLVANE_COMMON_FILE_IDENTITY_H_

#include <cstdint>
#include <filesystem>
#include <optional>
#include <system_error>
#include <utility>

namespace holvane::cli {

// A folder's identity: device and inode on POSIX, the volume's serial number
// and the file index on Windows, so that two names of one folder agree.
using FolderIdentity = std::pair<std::uint64_t, std::uint64_t>;

// The identity of `folder`; none when it cannot be asked.
std::optional<FolderIdentity> IdentityOf(const std::filesystem::path& folder);

// Whether `path` is known not to exist (a failure to ask is no such answer).
bool Missing(const std::filesystem::path& path);

// Whether anything is at `path`, a dangling symbolic link included, or it
// cannot be told: a name not to be written over unasked.
inline bool NameTaken(const std::filesystem::path& path) {
  std::error_code error;
  return std::filesystem::symlink_status(path, error).type() !=
         std::filesystem::file_type::not_found;
}

}  // namespace holvane::cli

#endif  // HOLVANE_COMMON_FILE_IDENTITY_H_
