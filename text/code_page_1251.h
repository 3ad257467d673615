// SPDX-License-Identifier: MIT
#ifndef HOLVANE_TEXT_CODE_PAGE_1251_H_
#define HOLVANE_TEXT_CODE_PAGE_1251_H_

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

#include "common/translation.h"

namespace holvane::text {

// What a reader of a typed text (the editable form, a catalogue) says of
// what code page 1251 cannot take, marked for translation: a byte that is no
// UTF-8 ({} its name, "0xD0"), a character the code page has no byte for
// ({} the character, then its code point, "U+20AC").
inline constexpr const char* kNotUtf8 = TrNoop("the byte {} is not of a UTF-8 text");
inline constexpr const char* kNotIn1251 =
    TrNoop("the character '{}' ({}) has no place in code page 1251");

// Code page 1251, the code page of the program's texts and of the names the
// files were given on the machines they come from. Its lower half, 0x00 to
// 0x7F, is ASCII.

// The character of each byte of the upper half, 0x80 to 0xFF. The byte 0x98,
// which has no character, stands for U+FFFD REPLACEMENT CHARACTER.
extern const std::array<char32_t, 128> kCodePage1251UpperHalf;

// The character `byte` stands for in code page 1251.
inline char32_t CodePage1251Character(unsigned char byte) {
  return byte < 0x80 ? char32_t{byte} : kCodePage1251UpperHalf[byte - 0x80];
}

// The byte that stands for `character` in code page 1251, the reverse of
// CodePage1251Character; none for a character the code page cannot hold,
// U+FFFD among them (0x98 has no character, so no character gives 0x98).
std::optional<unsigned char> CodePage1251Byte(char32_t character);

// Tables that give what each of the 256 bytes is written as, for writing a
// text a byte at a time with one load and one store each: an entry holds the
// byte's one to sizeof(Packed) - 1 bytes first in memory order, and their
// count in its last byte.
template <typename Packed>
using PackedCharacters = std::array<Packed, 256>;

// How many bytes an entry of a PackedCharacters table holds.
template <typename Packed>
constexpr std::size_t PackedLength(Packed packed) {
  return std::endian::native == std::endian::little
             ? static_cast<std::size_t>(packed >> (8 * (sizeof(Packed) - 1)))
             : static_cast<std::size_t>(packed & 0xFF);
}

// The table of `shown_of(byte)`, a std::string of fewer than sizeof(Packed)
// bytes, for each byte.
template <typename Packed, typename ShownOf>
PackedCharacters<Packed> MakePackedCharacters(ShownOf shown_of) {
  PackedCharacters<Packed> table{};
  for (unsigned value = 0; value < 256; ++value) {
    const std::string shown = shown_of(static_cast<unsigned char>(value));
    unsigned char packed[sizeof(Packed)] = {};
    std::memcpy(packed, shown.data(), shown.size());
    packed[sizeof(Packed) - 1] = static_cast<unsigned char>(shown.size());
    std::memcpy(&table[value], packed, sizeof packed);
  }
  return table;
}

// Writes what each of the `n` bytes at `text` is in `table` to `out`, and
// returns their end. Each byte stores a whole entry, so `out` needs room for
// the longest entry's bytes for each byte, and sizeof(Packed) more behind.
// Four at a time: the table's loads do not wait for one another, only the
// stores for the lengths before them.
template <typename Packed>
char* PutPackedCharacters(char* out, const char* text, std::size_t n,
                          const PackedCharacters<Packed>& table) {
  const auto put = [&table, &out](char byte) {
    const Packed packed = table[static_cast<unsigned char>(byte)];
    std::memcpy(out, &packed, sizeof packed);
    out += PackedLength(packed);
  };
  std::size_t i = 0;
  for (; i + 4 <= n; i += 4) {
    put(text[i]);
    put(text[i + 1]);
    put(text[i + 2]);
    put(text[i + 3]);
  }
  for (; i < n; ++i) put(text[i]);
  return out;
}

// A byte's character in UTF-8, one to three bytes.
using Utf8Character = std::uint32_t;
// The table CodePage1251Utf8 holds, made anew on each call.
PackedCharacters<Utf8Character> MakeCodePage1251Utf8();

// Every byte of code page 1251 as its character in UTF-8, made once.
inline const PackedCharacters<Utf8Character>& CodePage1251Utf8() {
  static const PackedCharacters<Utf8Character> table = MakeCodePage1251Utf8();
  return table;
}

}  // namespace holvane::text

#endif  // HOLVANE_TEXT_CODE_PAGE_1251_H_
