// SPDX-License-Identifier: MIT
#include "listing/listing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <utility>

#include "common/run_time_error.h"
#include "conversion/code_page_1251.h"
#include "listing/names.h"

namespace holvane::listing {

namespace {

// The cause leaves the folder's name to whoever shows it, as file().
RunTimeError Unlistable(const std::filesystem::path& folder, int error) {
  if (error == ENOENT || error == ENOTDIR) {
    return RunTimeError(ErrorNumber::kPathNotFound, "папка не найдена", std::nullopt, folder);
  }
  if (error == EACCES || error == EPERM) {
    return RunTimeError(ErrorNumber::kPermissionDenied, "нет доступа к папке", std::nullopt,
                        folder);
  }
  return RunTimeError(ErrorNumber::kPathFileAccess, "не удаётся прочитать папку", std::nullopt,
                      folder);
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

// The entries of one list as they are read, with their sort keys side by
// side in a buffer of their own, so that sorting compares bytes only: each
// name is decoded once, and neither a key nor a comparison allocates.
class Entries::Builder {
 public:
  void Add(std::string_view name, const std::u32string& characters, bool utf8, bool link) {
    Item item;
    item.name_start = Offset(entries_.text_.size());
    item.name_size = Offset(name.size());
    entries_.text_.append(name);
    if (utf8) {
      item.shown_start = item.name_start;
    } else {
      item.shown_start = Offset(entries_.text_.size());
      for (const char32_t c : characters) AppendUtf8(c, entries_.text_);
    }
    item.shown_size = Offset(entries_.text_.size() - item.shown_start);
    item.symbolic_link = link;
    entries_.items_.push_back(item);
    key_starts_.push_back(keys_.size());
    AppendSortKey(characters, name, keys_);
  }

  Entries Sorted() && {
    // Each key's first eight bytes as a number decide many comparisons
    // without reaching the keys themselves (the number puts zeros after a
    // shorter key, which compares the same way: no key ends in a zero).
    struct Keyed {
      std::uint64_t head;
      std::string_view key;
      Item item;
    };
    std::vector<Keyed> order;
    order.reserve(entries_.items_.size());
    key_starts_.push_back(keys_.size());
    for (std::size_t i = 0; i < entries_.items_.size(); ++i) {
      const std::string_view key =
          std::string_view(keys_).substr(key_starts_[i], key_starts_[i + 1] - key_starts_[i]);
      std::uint64_t head = 0;
      for (std::size_t byte = 0; byte < 8; ++byte) {
        head = (head << 8) | (byte < key.size() ? static_cast<unsigned char>(key[byte]) : 0u);
      }
      order.push_back({head, key, entries_.items_[i]});
    }
    std::sort(order.begin(), order.end(), [](const Keyed& a, const Keyed& b) {
      return a.head != b.head ? a.head < b.head : a.key < b.key;
    });
    for (std::size_t i = 0; i < order.size(); ++i) entries_.items_[i] = order[i].item;
    return std::move(entries_);
  }

 private:
  static std::uint32_t Offset(std::size_t offset) {
    // A folder's names would need to exceed 4 GiB.
    if (offset > UINT32_MAX) throw std::length_error("folder listing too long");
    return static_cast<std::uint32_t>(offset);
  }

  Entries entries_;
  std::string keys_;
  // Where each entry's key starts in keys_; Sorted adds where the last one
  // ends.
  std::vector<std::size_t> key_starts_;
};

namespace {

// One reading of `folder`: the files matching `files` (none when it is
// null), and its subfolders when `subfolders` is true.
FolderContents Read(const std::filesystem::path& folder, const Wildcard* files, bool subfolders) {
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
    const bool utf8 = DecodeName(name, characters);
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

}  // namespace

FolderContents ListFolder(const std::filesystem::path& folder, std::string_view pattern,
                          Subfolders subfolders) {
  const Wildcard wildcard(pattern);
  return Read(folder, &wildcard, subfolders == Subfolders::kListed);
}

Entries ListFiles(const std::filesystem::path& folder, std::string_view pattern) {
  return ListFolder(folder, pattern, Subfolders::kLeftOut).files;
}

Entries ListSubfolders(const std::filesystem::path& folder) {
  return Read(folder, nullptr, true).subfolders;
}

}  // namespace holvane::listing
