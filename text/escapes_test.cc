// SPDX-License-Identifier: MIT
#include "text/escapes.h"

#include <gtest/gtest.h>

#include <string>

#include "text/code_page_1251.h"

namespace holvane::text {
namespace {

// Every byte the editable form cannot show as itself reads back from its
// escape, and only those bytes are escaped.
TEST(Escapes, EveryEscapedByteReadsBack) {
  int escaped = 0;
  for (unsigned value = 0; value < 256; ++value) {
    const auto byte = static_cast<unsigned char>(value);
    if (!IsEscaped(byte)) continue;
    ++escaped;
    const std::string escape = EscapeOf(byte);
    unsigned char read = 0;
    ASSERT_EQ(ReadEscape(escape + "rest", read), escape.size()) << value;
    EXPECT_EQ(read, byte) << value;
  }
  EXPECT_EQ(escaped, 32 + 3);  // the C0 controls, DEL, 0x98 and the backslash
  EXPECT_EQ(EscapeOf(0x98), "\\x98");
  EXPECT_EQ(EscapeOf(0x1B), "\\x1B");
  EXPECT_EQ(EscapeOf('\t'), "\\t");
}

TEST(Escapes, WhatIsNotAnEscapeIsRefused) {
  for (const char* text : {"\\", "\\q", "\\x", "\\x4", "\\xG0", "\\x0G", "\\ ", "x41", "\\N"}) {
    unsigned char byte = 0;
    EXPECT_EQ(ReadEscape(text, byte), 0u) << text;
  }
  unsigned char byte = 0;
  EXPECT_EQ(ReadEscape("\\xfe", byte), 4u);
  EXPECT_EQ(byte, 0xFE);
}

// The reverse mapping undoes the forward one for every byte with a
// character, and gives nothing for the stand-in of the one without.
TEST(Escapes, CodePage1251ByteReversesEveryCharacter) {
  for (unsigned value = 0; value < 256; ++value) {
    if (value == 0x98) continue;
    const auto byte = static_cast<unsigned char>(value);
    EXPECT_EQ(CodePage1251Byte(CodePage1251Character(byte)), byte) << value;
  }
  for (const char32_t none : {0xFFFDu, 0x00C0u, 0x0100u, 0x044Fu + 1, 0x1F600u, 0x0080u}) {
    EXPECT_EQ(CodePage1251Byte(none), std::nullopt) << static_cast<unsigned>(none);
  }
}

}  // namespace
}  // namespace holvane::text
