// SPDX-License-Identifier: MIT
#ifndef HOLVANE_TEXT_NAMES_H_
#define HOLVANE_TEXT_NAMES_H_

#include <filesystem>
#include <string>
#include <string_view>

namespace holvane::text {

// A name or path as the system gives it and takes it back: bytes on POSIX,
// UTF-16 code units on Windows (std::filesystem::path's own string type, so
// that `folder / name` opens exactly the entry read). Every file is opened
// by these, never by a text converted from them.
using NativeName = std::filesystem::path::string_type;
using NativeNameView = std::basic_string_view<std::filesystem::path::value_type>;

// A file name is bytes, and files are always opened by those bytes. For
// showing, ordering and matching, a name stands for characters: its own when
// it is valid UTF-8, otherwise its bytes read in code page 1251 (the names
// given on the machines the files come from). So every name has characters,
// and no name is left out of a list for the bytes it holds. (A Windows name
// is UTF-16 instead: see unicode.h.)

// The characters `name` stands for, in `characters` (what it held is
// replaced). Returns whether `name` is valid UTF-8.
bool DecodeName(std::string_view name, std::u32string& characters);

// `name` as a list shows it, in UTF-8: `name` itself when it is valid UTF-8.
std::string ShownName(std::string_view name);

// `c` with letter case ignored: the Latin capitals A-Z as a-z; the Cyrillic
// capitals А-Я as а-я and U+0400-U+040F as U+0450-U+045F; Ё and ё as е.
// Every other character is itself.
inline char32_t FoldCase(char32_t c) {
  if (c < 0x80) return c >= U'A' && c <= U'Z' ? c + 0x20 : c;
  if (c < 0x400 || c > 0x451) return c;
  if (c == 0x401 || c == 0x451) return 0x435;
  if (c <= 0x40F) return c + 0x50;
  if (c <= 0x42F) return c + 0x20;
  return c;
}

// A wildcard over names' characters: `*` stands for any run of characters,
// none included, `?` for any one character, every other character for
// itself in either letter case (FoldCase).
class Wildcard {
 public:
  explicit Wildcard(std::string_view pattern);

  bool Matches(std::u32string_view characters) const;
  bool Matches(std::string_view name) const;

 private:
  std::u32string folded_;
};

// Appends to `key` bytes whose order (std::string's, unsigned bytes) is the
// order names are listed in, for `name` whose characters are `characters`:
// a run of ASCII digits counts as one number, by value ("2" before "10",
// leading zeros not counting); other characters compare by code point with
// letter case ignored (FoldCase); a name that is the start of another comes
// first; names equal so far compare by their bytes. `name` holds no zero
// byte, as no file name does.
void AppendSortKey(std::u32string_view characters, std::string_view name, std::string& key);

// The sort key of `name` alone.
std::string SortKey(std::string_view name);

}  // namespace holvane::text

#endif  // HOLVANE_TEXT_NAMES_H_
