// SPDX-License-Identifier: MIT
#include "text/unicode.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace holvane::text {
namespace {

struct WideCase {
  const char* what;
  std::wstring name;
  std::u32string characters;
  std::string shown;
};

void PrintTo(const WideCase& c, std::ostream* out) { *out << c.what; }

class Utf16Name : public ::testing::TestWithParam<WideCase> {};

// A Windows name's UTF-16 units: a pair of surrogates is one character; a
// surrogate alone stays itself among the characters (so it orders and
// matches apart from any other name) and is shown as U+FFFD.
TEST_P(Utf16Name, SurrogatePairsJoinedLoneOnesKept) {
  std::u32string characters = U"left over";
  DecodeUtf16(GetParam().name, characters);
  EXPECT_EQ(characters, GetParam().characters);
  EXPECT_EQ(Utf8FromUtf16(GetParam().name), GetParam().shown);
  // Back to the same units, where the name has UTF-8 of its own.
  if (GetParam().shown.find("\uFFFD") == std::string::npos) {
    EXPECT_EQ(Utf16FromUtf8(GetParam().shown), GetParam().name);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, Utf16Name,
    ::testing::Values(
        WideCase{"Cyrillic", L"Привет.wvl", U"Привет.wvl", "Привет.wvl"},
        WideCase{"Pair", {L'a', wchar_t(0xD83D), wchar_t(0xDE00)}, U"a\U0001F600", "a\U0001F600"},
        WideCase{"LoneHigh", {wchar_t(0xD83D), L'x'}, {0xD83D, U'x'}, "\uFFFDx"},
        WideCase{"HighAtEnd", {L'x', wchar_t(0xDBFF)}, {U'x', 0xDBFF}, "x\uFFFD"},
        WideCase{"LoneLow", {wchar_t(0xDE00)}, {0xDE00}, "\uFFFD"},
        WideCase{"Reversed", {wchar_t(0xDE00), wchar_t(0xD83D)}, {0xDE00, 0xD83D}, "\uFFFD\uFFFD"}),
    [](const ::testing::TestParamInfo<WideCase>& info) { return std::string(info.param.what); });

// What is not UTF-8 becomes U+FFFD, a byte at a time, as the system's own
// conversion does for a console.
TEST(Utf16FromUtf8, BytesThatAreNotUtf8BecomeReplacementCharacters) {
  EXPECT_EQ(Utf16FromUtf8("a\xFF\xD0"), (std::wstring{L'a', wchar_t(0xFFFD), wchar_t(0xFFFD)}));
  EXPECT_EQ(Utf16FromUtf8("\xF0\x9F\x98\x80"), (std::wstring{wchar_t(0xD83D), wchar_t(0xDE00)}));
}

}  // namespace
}  // namespace holvane::text
