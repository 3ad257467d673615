// SPDX-License-Identifier: MIT
#include "text/escapes.h"

#include <gtest/gtest.h>

#include <ostream>
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

struct EscapeCase {
  const char* name;
  std::string bytes;
  std::string shown;
};

void PrintTo(const EscapeCase& c, std::ostream* out) { *out << c.name; }

class TerminalText : public ::testing::TestWithParam<EscapeCase> {};

TEST_P(TerminalText, ShowsControlsAndBrokenUtf8AsEscapes) {
  EXPECT_EQ(Escaped(GetParam().bytes), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TerminalText,
    ::testing::Values(EscapeCase{"PlainAndCyrillicKept", "saves/Игра 1.wvl", "saves/Игра 1.wvl"},
                      EscapeCase{"FourByteCharacterKept", "\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},
                      EscapeCase{"C0", std::string("a\0b\t\r\n\x1b", 7),
                                 "a\\x00b\\x09\\x0d\\x0a\\x1b"},
                      EscapeCase{"Delete", "a\x7f", "a\\x7f"},
                      EscapeCase{"C1AsUtf8", "a\xC2\x85z\xC2\x9B", "a\\xc2\\x85z\\xc2\\x9b"},
                      EscapeCase{"NoBreakSpaceIsNoControl", "a\xC2\xA0z", "a\xC2\xA0z"},
                      EscapeCase{"Cp1251Bytes", "\xCF\xF0\xE8.wvl", "\\xcf\\xf0\\xe8.wvl"},
                      EscapeCase{"CutSequence", "\xE2\x82", "\\xe2\\x82"},
                      EscapeCase{"Overlong", "\xC0\xAF", "\\xc0\\xaf"},
                      EscapeCase{"Surrogate", "\xED\xA0\x80", "\\xed\\xa0\\x80"},
                      EscapeCase{"PastUnicode", "\xF4\x90\x80\x80", "\\xf4\\x90\\x80\\x80"},
                      EscapeCase{"BackslashDoubled", "a\\x1b", "a\\\\x1b"}),
    [](const auto& info) { return std::string(info.param.name); });

struct WideEscapeCase {
  const char* name;
  std::wstring units;
  std::string shown;
};

void PrintTo(const WideEscapeCase& c, std::ostream* out) { *out << c.name; }

class TerminalTextWide : public ::testing::TestWithParam<WideEscapeCase> {};

// A Windows name: controls as on POSIX, a lone surrogate by its code unit,
// the path separator kept.
TEST_P(TerminalTextWide, ShowsControlsAndLoneSurrogatesAsEscapes) {
  EXPECT_EQ(Escaped(GetParam().units), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TerminalTextWide,
    ::testing::Values(
        WideEscapeCase{"CyrillicAndSeparatorKept", L"C:\\Игры\\1.wvl", "C:\\Игры\\1.wvl"},
        WideEscapeCase{
            "Controls", {L'a', 0x1B, L'\n', 0x7F, 0x85, 0x9B}, "a\\x1b\\x0a\\x7f\\x85\\x9b"},
        WideEscapeCase{"PairKept", {wchar_t(0xD83D), wchar_t(0xDE00)}, "\xF0\x9F\x98\x80"},
        WideEscapeCase{
            "LoneSurrogates", {wchar_t(0xDE00), L'x', wchar_t(0xD83D)}, "\\ude00x\\ud83d"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace holvane::text
