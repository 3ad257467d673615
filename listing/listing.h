// SPDX-License-Identifier: MIT
#ifndef HOLVANE_LISTING_LISTING_H_
#define HOLVANE_LISTING_LISTING_H_

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "common/run_time_error.h"
#include "text/names.h"

namespace holvane::listing {

// The files the program converts: the window's file list shows them, and a
// folder on holvane-convert's command line stands for them.
inline constexpr char kFilePattern[] = "*.wvl";

// One file or subfolder of a folder, as the Entries that hold it give it:
// it lasts as long as they do.
struct Entry {
  // The name exactly as the folder holds it: the name to open.
  text::NativeNameView name;
  // The name as shown, in UTF-8 (text::ShownName; on Windows text::Utf8FromUtf16).
  std::string_view shown;
  // Whether the entry is a symbolic link (to a file or a folder). On Windows
  // a symbolic link or a junction (mount point): the reparse points that
  // lead elsewhere.
  bool symbolic_link = false;
};

// The entries of one list, in the listing order (see text::AppendSortKey). Every
// name and shown text is kept in one buffer, so a list of any length costs
// a few allocations, not a few for each name.
class Entries {
 public:
  class const_iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = Entry;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = Entry;

    const_iterator() = default;
    const_iterator(const Entries* entries, std::size_t index) : entries_(entries), index_(index) {}
    Entry operator*() const { return (*entries_)[index_]; }
    const_iterator& operator++() {
      ++index_;
      return *this;
    }
    const_iterator operator++(int) {
      const_iterator before = *this;
      ++index_;
      return before;
    }
    bool operator==(const const_iterator& other) const = default;

   private:
    const Entries* entries_ = nullptr;
    std::size_t index_ = 0;
  };

  // How the listing fills a list (defined with it).
  class Builder;

  std::size_t size() const { return items_.size(); }
  bool empty() const { return items_.empty(); }
  Entry operator[](std::size_t index) const {
    const Item& item = items_[index];
    return {text::NativeNameView(names_).substr(item.name_start, item.name_size),
            std::string_view(shown_text()).substr(item.shown_start, item.shown_size),
            item.symbolic_link};
  }
  const_iterator begin() const { return {this, 0}; }
  const_iterator end() const { return {this, items_.size()}; }

 private:
  // Where an entry's name and shown text are in text_ (one place, for a
  // name shown as it is).
  struct Item {
    std::uint32_t name_start;
    std::uint32_t name_size;
    std::uint32_t shown_start;
    std::uint32_t shown_size;
    bool symbolic_link;
  };

  // On POSIX names and shown texts share names_; on Windows the names are
  // UTF-16 and the shown texts have a buffer of their own.
  text::NativeName names_;
#ifdef _WIN32
  std::string shown_;
  const std::string& shown_text() const { return shown_; }
  std::string& shown_text() { return shown_; }
#else
  const std::string& shown_text() const { return names_; }
  std::string& shown_text() { return names_; }
#endif
  std::vector<Item> items_;
};

// What one reading of a folder found, each list in the listing order (see
// text::AppendSortKey). Hidden entries, whose names start with ".", are left out;
// on Windows so are those with the hidden or the system attribute (the
// recycle bin and "System Volume Information" among them).
struct FolderContents {
  // Regular files and symbolic links to them whose names match the pattern
  // in any letter case (text::Wildcard).
  Entries files;
  // Folders and symbolic links to folders.
  Entries subfolders;
};

enum class Subfolders { kLeftOut, kListed };

// Reads `folder` once: its files matching the wildcard `pattern` and, when
// asked, its subfolders. Names are read, kept and given back as the system
// gives them (text::NativeName).
//
// Throws RunTimeError when `folder` cannot be listed: kPathNotFound when it
// does not exist or is not a folder, kPermissionDenied when it may not be
// read, kPathFileAccess for any other failure. (An unreadable folder is never
// given back as an empty one.)
FolderContents ListFolder(const std::filesystem::path& folder, std::string_view pattern,
                          Subfolders subfolders);

// The files of `folder` matching `pattern`, as ListFolder lists them.
Entries ListFiles(const std::filesystem::path& folder, std::string_view pattern);

// The subfolders of `folder`, as ListFolder lists them.
Entries ListSubfolders(const std::filesystem::path& folder);

// The listing's own, below: what the platform's reading of a folder
// (listing_posix.cc, listing_win32.cc) shares with listing.cc.

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

// Why a folder could not be read, as each system's reading tells it.
enum class Unreadable { kNotFound, kAccessDenied, kPathTooLong, kOther };

// The failure ReadFolder throws for `folder` unreadable for `why`, in the
// words every system tells it in; the cause leaves the folder's name to
// whoever shows it, as file().
RunTimeError UnreadableFolder(const std::filesystem::path& folder, Unreadable why);

// One reading of `folder`: the files matching `files` (none when it is
// null), and its subfolders when `subfolders` is true. Throws as ListFolder.
FolderContents ReadFolder(const std::filesystem::path& folder, const text::Wildcard* files,
                          bool subfolders);

}  // namespace holvane::listing

#endif  // HOLVANE_LISTING_LISTING_H_
