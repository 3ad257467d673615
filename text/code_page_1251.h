// SPDX-License-Identifier: MIT
#ifndef HOLVANE_TEXT_CODE_PAGE_1251_H_
#define HOLVANE_TEXT_CODE_PAGE_1251_H_

#include <array>
#include <optional>

namespace holvane::text {

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

}  // namespace holvane::text

#endif  // HOLVANE_TEXT_CODE_PAGE_1251_H_
