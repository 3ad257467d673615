// SPDX-License-Identifier: MIT
#include "listing/listing.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <string_view>
#include <utility>

#include "common/run_time_error.h"
#include "common/translation.h"
#include "text/names.h"
#include "text/unicode.h"

namespace holvane::listing {

void Entries::Builder::Add(text::NativeNameView name, const std::u32string& characters,
                           bool shown_is_name, bool link) {
  Item item;
  item.name_start = Offset(entries_.names_.size());
  item.name_size = Offset(name.size());
  entries_.names_.append(name);
  std::string& shown = entries_.shown_text();
  if (shown_is_name) {
    item.shown_start = item.name_start;
  } else {
    item.shown_start = Offset(shown.size());
    text::AppendShownUtf8(characters, shown);
  }
  item.shown_size = Offset(shown.size() - item.shown_start);
  item.symbolic_link = link;
  entries_.items_.push_back(item);
  key_starts_.push_back(keys_.size());
  AppendNameSortKey(characters, name, tie_break_, keys_);
}

Entries Entries::Builder::Sorted() && {
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

std::uint32_t Entries::Builder::Offset(std::size_t offset) {
  // A folder's names would need to exceed 4 GiB.
  if (offset > UINT32_MAX) throw std::length_error("folder listing too long");
  return static_cast<std::uint32_t>(offset);
}

RunTimeError UnreadableFolder(const std::filesystem::path& folder, Unreadable why) {
  switch (why) {
    case Unreadable::kNotFound:
      return RunTimeError(ErrorNumber::kPathNotFound, Tr("folder not found"), std::nullopt, folder);
    case Unreadable::kAccessDenied:
      return RunTimeError(ErrorNumber::kPermissionDenied, Tr("no access to the folder"),
                          std::nullopt, folder);
    case Unreadable::kPathTooLong:
      return RunTimeError(ErrorNumber::kPathFileAccess,
                          Tr("the folder's path is longer than the system allows (PATH_MAX)"),
                          std::nullopt, folder);
    case Unreadable::kOther:
      break;
  }
  return RunTimeError(ErrorNumber::kPathFileAccess, Tr("cannot read the folder"), std::nullopt,
                      folder);
}

FolderContents ListFolder(const std::filesystem::path& folder, std::string_view pattern,
                          Subfolders subfolders) {
  const text::Wildcard wildcard(pattern);
  return ReadFolder(folder, &wildcard, subfolders == Subfolders::kListed);
}

Entries ListFiles(const std::filesystem::path& folder, std::string_view pattern) {
  return ListFolder(folder, pattern, Subfolders::kLeftOut).files;
}

Entries ListSubfolders(const std::filesystem::path& folder) {
  return ReadFolder(folder, nullptr, true).subfolders;
}

}  // namespace holvane::listing
