// SPDX-License-Identifier: MIT
#include "text/names.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <random>
#include <string>
#include <vector>

namespace holvane::text {
namespace {

struct ShownCase {
  const char* what;
  std::string name;
  std::string shown;
};

void PrintTo(const ShownCase& c, std::ostream* out) { *out << c.what; }

class ListingShownName : public ::testing::TestWithParam<ShownCase> {};

// Valid UTF-8 is shown as it is; any name that breaks it anywhere is read,
// as a whole, in code page 1251.
TEST_P(ListingShownName, Utf8AsItIsAnythingElseInCodePage1251) {
  EXPECT_EQ(ShownName(GetParam().name), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ListingShownName,
    ::testing::Values(ShownCase{"Ascii", "save 10.wvl", "save 10.wvl"},
                      ShownCase{"Utf8Cyrillic", "Привет.wvl", "Привет.wvl"},
                      ShownCase{"Utf8FourBytes", "\xF0\x9F\x98\x80.wvl", "\xF0\x9F\x98\x80.wvl"},
                      ShownCase{"Utf8Highest", "\xF4\x8F\xBF\xBF", "\xF4\x8F\xBF\xBF"},
                      ShownCase{"Cp1251", "\xCF\xF0\xE8\xE2\xE5\xF2.wvl", "Привет.wvl"},
                      ShownCase{"Cp1251YoAndSigns", "\xA8\xB8\xB9\x88", "Ёё№€"},
                      ShownCase{"Cp1251ByteWithoutCharacter", "a\x98", "a\uFFFD"},
                      ShownCase{"Utf8ThenOneBadByte", "Привет\xFF", "РџСЂРёРІРµС‚я"},
                      ShownCase{"Truncated", "\xD0", "Р"}, ShownCase{"Overlong", "\xC0\xAF", "АЇ"},
                      ShownCase{"OverlongThreeBytes", "\xE0\x80\xAF", "аЂЇ"},
                      ShownCase{"Surrogate", "\xED\xA0\x80", "н\u00A0Ђ"},
                      ShownCase{"AboveU10FFFF", "\xF4\x90\x80\x80", "фђЂЂ"},
                      ShownCase{"ContinuationAlone", "\x80", "Ђ"}),
    [](const ::testing::TestParamInfo<ShownCase>& info) { return std::string(info.param.what); });

// Each name comes before the next; every adjacent pair shows one rule.
TEST(ListingSortKey, NaturalOrderIgnoringCaseThenBytes) {
  const std::vector<std::string> ordered = {
      "!x",  // punctuation below 0x30 before numbers
      "0",
      "00",  // equal numbers: by bytes
      "01",
      "1",
      "2",
      "9",
      "010",  // 10 after 9, leading zeros not counting
      "10",
      "99",
      "100",
      "_a",  // "_" after numbers, before letters
      "A",
      "a",  // one letter in two cases: by bytes
      "a2",
      "A10",
      "a10",
      "b",
      "x9y2",
      "x9y10",  // numbers inside names
      "Z",
      "zeta",          // a name before the longer one it starts
      "а",             // Cyrillic after Latin
      "\xE0",          // "а" in code page 1251: shown alike, by bytes
      "\xC1\xE5\xEB",  // "Бел" in code page 1251, among the rest
      "в",
      "еда",
      "Ёж",  // Ё counts as е
      "ежи",
      "я",
      "ђа",
      "Ђб",  // U+0402 counts as U+0452
  };
  std::vector<std::string> keys;
  for (const std::string& name : ordered) keys.push_back(SortKey(name));
  for (std::size_t i = 1; i < keys.size(); ++i) {
    EXPECT_LT(keys[i - 1], keys[i])
        << "\"" << ordered[i - 1] << "\" before \"" << ordered[i] << "\"";
  }

  std::vector<std::string> shuffled = ordered;
  std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(7));
  std::sort(shuffled.begin(), shuffled.end(),
            [](const std::string& a, const std::string& b) { return SortKey(a) < SortKey(b); });
  EXPECT_EQ(shuffled, ordered);
}

struct WildcardCase {
  const char* pattern;
  std::string name;
  bool matches;
};

void PrintTo(const WildcardCase& c, std::ostream* out) {
  *out << "\"" << c.pattern << "\" on \"" << c.name << "\"";
}

class ListingWildcard : public ::testing::TestWithParam<WildcardCase> {};

TEST_P(ListingWildcard, MatchesCharactersInAnyLetterCase) {
  EXPECT_EQ(Wildcard(GetParam().pattern).Matches(GetParam().name), GetParam().matches);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ListingWildcard,
    ::testing::Values(WildcardCase{"*.wvl", "a.wvl", true}, WildcardCase{"*.wvl", "A.WVL", true},
                      WildcardCase{"*.wvl", "b.Wvl", true}, WildcardCase{"*.wvl", ".wvl", true},
                      WildcardCase{"*.wvl", "x.wvl.wvl", true},
                      WildcardCase{"*.wvl", "a.wvl.txt", false},
                      WildcardCase{"*.wvl", "a.wvl2", false}, WildcardCase{"*.wvl", "wvl", false},
                      WildcardCase{"*.wvl", "a.wv", false},
                      WildcardCase{"*.wvl", "\xCF\xF0\xE8\xE2\xE5\xF2.WVL", true},
                      WildcardCase{"?.wvl", "ж.wvl", true}, WildcardCase{"?.wvl", "\xE6.wvl", true},
                      WildcardCase{"?.wvl", "ab.wvl", false},
                      WildcardCase{"*ПРИВЕТ*", "привет", true}, WildcardCase{"ё*", "Ель", true},
                      WildcardCase{"a*b*c", "aXbYbZc", true},
                      WildcardCase{"a*b*c", "aXbYcZ", false}, WildcardCase{"*", "", true},
                      WildcardCase{"", "", true}, WildcardCase{"", "a", false}));

}  // namespace
}  // namespace holvane::text
