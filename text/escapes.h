// SPDX-License-Identifier: MIT
#ifndef HOLVANE_TEXT_ESCAPES_H_
#define HOLVANE_TEXT_ESCAPES_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace holvane::text {

// Bytes escaped for people to read: in the editable form, which must read back
// as the same bytes, and on a terminal, which must not act on them.

// The escapes that let a line of text stand for any bytes of code page 1251,
// one line each, as the editable form writes them (docs/format.md): a
// backslash as "\\", CR, LF and TAB as "\r", "\n" and "\t", and every other
// byte that is a control character or has no character (00 to 1F, 7F, 98)
// as "\x" and two upper-case hexadecimal digits.

// Whether `byte` is written as an escape.
constexpr bool IsEscaped(unsigned char byte) {
  return byte < 0x20 || byte == 0x7F || byte == 0x98 || byte == '\\';
}

// The escape that is written for `byte`, which IsEscaped.
std::string EscapeOf(unsigned char byte);

// Reads the escape at the start of `text`, which begins with a backslash:
// returns its length and sets `byte` to the byte it stands for; returns 0 when
// `text` does not begin with an escape. Read back, "\x" takes any two
// hexadecimal digits of either case, so "\x41" is "A": nothing that is
// written is read otherwise, and a hand-made escape that names a byte
// exactly is taken.
std::size_t ReadEscape(std::string_view text, unsigned char& byte);

// Hexadecimal digits, as the escapes, messages and file names write them.
enum class HexCase { kLower, kUpper };

// `value` in hexadecimal, most significant digit first, with at least
// `at_least` digits (leading zeros) and more where `value` needs them:
// HexDigits(0x1B, 2, kLower) is "1b", HexDigits(0x1F600, 4, kUpper) "1F600".
inline std::string HexDigits(std::uint64_t value, std::size_t at_least, HexCase letters) {
  const char* digits = letters == HexCase::kUpper ? "0123456789ABCDEF" : "0123456789abcdef";
  std::string out;
  for (std::uint64_t rest = value; rest != 0 || out.size() < at_least; rest >>= 4) {
    out.insert(out.begin(), digits[rest & 0xF]);
  }
  return out;
}

// What Escaped makes of a backslash. A name's is doubled, so that an escape
// can never be mistaken for a name that happens to spell one. The program's
// own sentences keep theirs: they are read, not taken apart, and one that
// quotes an escape ("«\p»: допустимы \\, \r...") must read as written.
enum class Backslashes { kDoubled, kKept };

// `bytes` made safe to print on a terminal: UTF-8 characters are kept as they
// are, except the control characters (C0, DEL and C1), which could move the
// cursor, clear the screen, set the title or forge a line of output; those,
// and every byte that is not part of valid UTF-8, become "\xNN" (lower-case
// hex, one per byte). A backslash is as `backslashes` says.
std::string Escaped(std::string_view bytes, Backslashes backslashes = Backslashes::kDoubled);

// A Windows name (UTF-16 code units) made safe to print, in UTF-8: the same
// control characters become "\xNN" (their code, which is below 0x100), and a
// surrogate without its pair, which has no UTF-8, becomes "\uXXXX". A
// backslash is printed as it is: on Windows it separates a path's folders,
// and doubling it would make every path unreadable; an escape there can be
// mistaken for a name that spells one, the price of paths that read right.
std::string Escaped(std::wstring_view name);

}  // namespace holvane::text

#endif  // HOLVANE_TEXT_ESCAPES_H_
