// SPDX-License-Identifier: MIT
#ifndef HOLVANE_TEXT_TERMINAL_TEXT_H_
#define HOLVANE_TEXT_TERMINAL_TEXT_H_

#include <string>
#include <string_view>

namespace holvane::text {

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

#endif  // HOLVANE_TEXT_TERMINAL_TEXT_H_
