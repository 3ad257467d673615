// SPDX-License-Identifier: MIT
// Reading a folder on POSIX: readdir, and fstatat where the entry's type is
// not told or a link's target decides.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <memory>
#include <utility>

#include "common/run_time_error.h"
#include "listing/listing.h"

namespace holvane::listing {

namespace {

RunTimeError Unlistable(const std::filesystem::path& folder, int error) {
  if (error == ENOENT || error == ENOTDIR) return UnreadableFolder(folder, Unreadable::kNotFound);
  if (error == EACCES || error == EPERM) {
    return UnreadableFolder(folder, Unreadable::kAccessDenied);
  }
  if (error == ENAMETOOLONG) return UnreadableFolder(folder, Unreadable::kPathTooLong);
  return UnreadableFolder(folder, Unreadable::kOther);
}

struct CloseDir {
  void operator()(DIR* dir) const { ::closedir(dir); }
};

enum class Kind { kFile, kFolder, kOther, kUnknown };

Kind KindOf(mode_t mode) {
  if (S_ISREG(mode)) return Kind::kFile;
  if (S_ISDIR(mode)) return Kind::kFolder;
  return Kind::kOther;
}

}  // namespace

void AppendNameSortKey(std::u32string_view characters, text::NativeNameView name, std::string&,
                       std::string& keys) {
  text::AppendSortKey(characters, name, keys);
}

FolderContents ReadFolder(const std::filesystem::path& folder, const text::Wildcard* files,
                          bool subfolders) {
  const std::unique_ptr<DIR, CloseDir> dir(::opendir(folder.c_str()));
  if (dir == nullptr) throw Unlistable(folder, errno);
  const int descriptor = ::dirfd(dir.get());
  Entries::Builder found_files;
  Entries::Builder found_subfolders;
  std::u32string characters;
  for (;;) {
    errno = 0;
    const dirent* entry = ::readdir(dir.get());
    if (entry == nullptr) {
      if (errno != 0) throw Unlistable(folder, errno);
      break;
    }
    const std::string_view name(entry->d_name);
    if (name.empty() || name.front() == '.') continue;

    bool link = false;
    Kind kind = Kind::kUnknown;
    switch (entry->d_type) {
      case DT_REG:
        kind = Kind::kFile;
        break;
      case DT_DIR:
        kind = Kind::kFolder;
        break;
      case DT_LNK:
        link = true;
        break;
      case DT_UNKNOWN:
        break;
      default:
        continue;
    }
    if ((kind == Kind::kFile && files == nullptr) || (kind == Kind::kFolder && !subfolders)) {
      continue;
    }
    const bool utf8 = text::DecodeName(name, characters);
    const bool matches = files != nullptr && files->Matches(characters);
    if (kind == Kind::kUnknown) {
      // A link, or a file system that does not tell the type: ask it, only
      // when the answer could matter. A link that leads nowhere is neither.
      if (!matches && !subfolders) continue;
      struct stat status;
      if (!link) {
        if (::fstatat(descriptor, entry->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0) continue;
        link = S_ISLNK(status.st_mode);
      }
      if (link && ::fstatat(descriptor, entry->d_name, &status, 0) != 0) continue;
      kind = KindOf(status.st_mode);
    }
    if (kind == Kind::kFile && matches) {
      found_files.Add(name, characters, utf8, link);
    } else if (kind == Kind::kFolder && subfolders) {
      found_subfolders.Add(name, characters, utf8, link);
    }
  }
  return {std::move(found_files).Sorted(), std::move(found_subfolders).Sorted()};
}

}  // namespace holvane::listing
