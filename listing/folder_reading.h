// SPDX-License-Identifier: MIT
// What the platform's reading of a folder (listing_posix.cc, listing_win32.cc)
// shares with the rest of the listing.
#ifndef HOLVANE_LISTING_FOLDER_READING_H_
#define HOLVANE_LISTING_FOLDER_READING_H_

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "listing/listing.h"
#include "text/names.h"

namespace holvane::listing {

// The entries of one list as they are read, with their sort keys side by
// side in a buffer of their own, so that sorting compares bytes only: each
// name is decoded once, and neither a key nor a comparison allocates.
class Entries::Builder {
 public:
  // Adds `name`, whose characters are `characters`; `shown_is_name` when the
  // name's bytes are its shown text (valid UTF-8, POSIX only).
  void Add(text::NativeNameView name, const std::u32string& characters, bool shown_is_name,
           bool link);

  Entries Sorted() &&;

 private:
  static std::uint32_t Offset(std::size_t offset);

  Entries entries_;
  std::string keys_;
  // Where each entry's key starts in keys_; Sorted adds where the last one
  // ends.
  std::vector<std::size_t> key_starts_;
  // Room for AppendNameSortKey's tie-break.
  std::string tie_break_;
};

// Appends to `keys` the sort key of `name`, whose characters are
// `characters` (text::AppendSortKey). Names equal in characters are ordered
// by bytes that tell every two names apart: on POSIX the name's own; on
// Windows the characters' UTF-8, surrogates included, made in `scratch`.
// Each system has its own.
void AppendNameSortKey(std::u32string_view characters, text::NativeNameView name,
                       std::string& scratch, std::string& keys);

// One reading of `folder`: the files matching `files` (none when it is
// null), and its subfolders when `subfolders` is true. Throws as ListFolder.
FolderContents ReadFolder(const std::filesystem::path& folder, const text::Wildcard* files,
                          bool subfolders);

}  // namespace holvane::listing

#endif  // HOLVANE_LISTING_FOLDER_READING_H_
