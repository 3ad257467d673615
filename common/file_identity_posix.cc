// SPDX-License-Identifier: MIT
#include <sys/stat.h>

#include <cerrno>

#include "common/file_identity.h"

namespace holvane::cli {

std::optional<FolderIdentity> IdentityOf(const std::filesystem::path& folder) {
  struct stat info {};
  if (::stat(folder.c_str(), &info) != 0) return std::nullopt;
  return FolderIdentity(info.st_dev, info.st_ino);
}

bool Missing(const std::filesystem::path& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) != 0 && errno == ENOENT;
}

}  // namespace holvane::cli
