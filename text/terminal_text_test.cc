// SPDX-License-Identifier: MIT
#include "text/terminal_text.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace holvane::text {
namespace {

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
