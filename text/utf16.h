// SPDX-License-Identifier: MIT
#ifndef HOLVANE_TEXT_UTF16_H_
#define HOLVANE_TEXT_UTF16_H_

#include <string>
#include <string_view>

namespace holvane::text {

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

#endif  // HOLVANE_TEXT_UTF16_H_
