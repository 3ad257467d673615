// SPDX-License-Identifier: MIT
#include "text/names.h"

#include <cstdint>

#include "text/code_page_1251.h"
#include "text/unicode.h"

namespace holvane::text {

namespace {

// Decodes `name` as strict UTF-8 to `out`, which has room for one character
// per byte. Returns the end of the characters written, or null at the first
// byte that breaks UTF-8.
char32_t* DecodeUtf8(std::string_view name, char32_t* out) {
  while (!name.empty()) {
    const std::size_t length = DecodeUtf8Character(name, *out);
    if (length == 0) return nullptr;
    ++out;
    name.remove_prefix(length);
  }
  return out;
}

bool IsDigit(char32_t c) { return c >= U'0' && c <= U'9'; }

}  // namespace

bool DecodeName(std::string_view name, std::u32string& characters) {
  characters.resize(name.size());
  if (char32_t* end = DecodeUtf8(name, characters.data())) {
    characters.resize(static_cast<std::size_t>(end - characters.data()));
    return true;
  }
  for (std::size_t i = 0; i < name.size(); ++i) {
    characters[i] = CodePage1251Character(static_cast<unsigned char>(name[i]));
  }
  return false;
}

std::string ShownName(std::string_view name) {
  std::u32string characters;
  if (DecodeName(name, characters)) return std::string(name);
  std::string shown;
  shown.reserve(name.size() * 2);
  for (const char32_t c : characters) AppendUtf8(c, shown);
  return shown;
}

Wildcard::Wildcard(std::string_view pattern) {
  DecodeName(pattern, folded_);
  for (char32_t& c : folded_) c = FoldCase(c);
}

bool Wildcard::Matches(std::u32string_view characters) const {
  // Greedy, going back only to the last `*` seen: each `*` lets the rest of
  // the pattern start one character later.
  std::size_t at = 0;
  std::size_t in_pattern = 0;
  std::size_t star = std::u32string::npos;
  std::size_t after_star = 0;
  while (at < characters.size()) {
    if (in_pattern < folded_.size() && folded_[in_pattern] == U'*') {
      star = in_pattern++;
      after_star = at;
    } else if (in_pattern < folded_.size() &&
               (folded_[in_pattern] == U'?' || folded_[in_pattern] == FoldCase(characters[at]))) {
      ++in_pattern;
      ++at;
    } else if (star != std::u32string::npos) {
      in_pattern = star + 1;
      at = ++after_star;
    } else {
      return false;
    }
  }
  while (in_pattern < folded_.size() && folded_[in_pattern] == U'*') ++in_pattern;
  return in_pattern == folded_.size();
}

bool Wildcard::Matches(std::string_view name) const {
  std::u32string characters;
  DecodeName(name, characters);
  return Matches(std::u32string_view(characters));
}

// By code point, digits come before letters and Latin before Cyrillic. The
// bytes last make no two names of a folder equal, so the order never depends
// on the order they were read.
void AppendSortKey(std::u32string_view characters, std::string_view name, std::string& key) {
  // At most four bytes a character (a number's count takes no more than its
  // digits would), one for the end, then the name.
  key.reserve(key.size() + 4 * characters.size() + 1 + name.size());
  for (std::size_t at = 0; at < characters.size();) {
    if (!IsDigit(characters[at])) {
      AppendUtf8(FoldCase(characters[at]), key);
      ++at;
      continue;
    }
    // A number: "0" where a character would be (so a number sorts among
    // other characters as its digits do), its count of digits without
    // leading zeros, and those digits. Two numbers that get this far in a
    // comparison start at the same place in both keys: the one with more
    // digits is the greater; of two as long, the first differing digit
    // decides. The count takes one byte, or for 255 digits and more, 0xFF and
    // three bytes.
    std::size_t end = at;
    while (end < characters.size() && IsDigit(characters[end])) ++end;
    while (at < end && characters[at] == U'0') ++at;
    const std::size_t digits = end - at;
    key.push_back('0');
    if (digits < 0xFF) {
      key.push_back(static_cast<char>(digits));
    } else {
      key.push_back(static_cast<char>(0xFF));
      key.push_back(static_cast<char>(digits >> 16));
      key.push_back(static_cast<char>(digits >> 8));
      key.push_back(static_cast<char>(digits));
    }
    for (; at < end; ++at) key.push_back(static_cast<char>(characters[at]));
  }
  // The end of the characters, below any character (a name holds no zero
  // byte), then the bytes.
  key.push_back('\0');
  key.append(name);
}

std::string SortKey(std::string_view name) {
  std::u32string characters;
  DecodeName(name, characters);
  std::string key;
  AppendSortKey(characters, name, key);
  return key;
}

}  // namespace holvane::text
