// SPDX-License-Identifier: MIT
#ifndef HOLVANE_TEXT_UNICODE_H_
#define HOLVANE_TEXT_UNICODE_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace holvane::text {

// The length of the valid UTF-8 character that `text` starts with, its code
// point in `code_point`; 0 when `text` is empty or does not start with one.
// Strict: overlong forms, surrogates and values past U+10FFFF are not valid.
inline std::size_t DecodeUtf8Character(std::string_view text, char32_t& code_point) {
  if (text.empty()) return 0;
  const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) {
    code_point = lead;
    return 1;
  }
  std::size_t length = 0;
  char32_t least = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    code_point = lead & 0x1F;
    least = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code_point = lead & 0x0F;
    least = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    code_point = lead & 0x07;
    least = 0x10000;
  } else {
    return 0;
  }
  if (text.size() < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
    code_point = (code_point << 6) | (byte(i) & 0x3F);
  }
  const bool surrogate = code_point >= 0xD800 && code_point <= 0xDFFF;
  if (code_point < least || code_point > 0x10FFFF || surrogate) return 0;
  return length;
}

// Appends `code_point` to `out` in UTF-8 (one to four bytes). `code_point` is
// a Unicode scalar value: at most U+10FFFF and not a surrogate.
void AppendUtf8(char32_t code_point, std::string& out);

// UTF-16, the text of Windows' names, arguments and console, held in wide
// strings, one code unit each. The conversions are the program's own, not
// the system's, so they are the same and tested on every system (where
// wchar_t is wider, each element still holds one UTF-16 unit).

// The characters `units` encode, in `characters` (what it held is
// replaced). A surrogate without its pair, which Windows allows in names,
// stands for itself, so that names with different units never have the same
// characters.
void DecodeUtf16(std::wstring_view units, std::u32string& characters);

// Appends the UTF-8 of `characters` to `out`, a surrogate as U+FFFD: the
// text shown for characters from DecodeUtf16.
void AppendShownUtf8(std::u32string_view characters, std::string& out);

// `units` in UTF-8, a surrogate without its pair as U+FFFD.
std::string Utf8FromUtf16(std::wstring_view units);

// `text` in UTF-16, each byte that is not part of valid UTF-8 as U+FFFD.
std::wstring Utf16FromUtf8(std::string_view text);

}  // namespace holvane::text

#endif  // HOLVANE_TEXT_UNICODE_H_
