// SPDX-License-Identifier: MIT
#include "conversion/code_page_1251.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <string>

namespace holvane {
namespace {

// The C library's own conversion of `input` from `from` to `to`, a source
// independent of the program's table; empty when it fails.
std::string Iconv(const char* to, const char* from, std::string input) {
  const iconv_t converter = iconv_open(to, from);
  if (converter == reinterpret_cast<iconv_t>(-1)) return {};
  std::string output(16, '\0');
  char* in = input.data();
  std::size_t in_left = input.size();
  char* out = output.data();
  std::size_t out_left = output.size();
  const std::size_t result = iconv(converter, &in, &in_left, &out, &out_left);
  iconv_close(converter);
  if (result == static_cast<std::size_t>(-1) || in_left != 0) return {};
  output.resize(output.size() - out_left);
  return output;
}

TEST(CodePage1251, UpperHalfIsTheCLibrarysCodePage) {
  ASSERT_EQ(Iconv("UTF-8", "CP1251", "\xC0"), "А") << "iconv cannot convert from CP1251";
  for (int byte = 0x80; byte <= 0xFF; ++byte) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", byte);
    SCOPED_TRACE(hex);
    std::string shown;
    AppendUtf8(CodePage1251Character(static_cast<unsigned char>(byte)), shown);
    if (byte == 0x98) {
      EXPECT_EQ(shown, "\uFFFD");
    } else {
      EXPECT_EQ(shown, Iconv("UTF-8", "CP1251", std::string(1, static_cast<char>(byte))));
    }
  }
}

// Code points at each end of each UTF-8 length, from four-byte UTF-32BE.
TEST(CodePage1251, AppendUtf8MatchesTheCLibraryAtEveryLength) {
  for (const char32_t code_point :
       {0x01u, 0x7Fu, 0x80u, 0x7FFu, 0x800u, 0xD7FFu, 0xE000u, 0xFFFDu, 0x10000u, 0x10FFFFu}) {
    SCOPED_TRACE(static_cast<unsigned>(code_point));
    std::string utf32;
    for (int shift = 24; shift >= 0; shift -= 8) {
      utf32.push_back(static_cast<char>((code_point >> shift) & 0xFF));
    }
    std::string utf8;
    AppendUtf8(code_point, utf8);
    EXPECT_EQ(utf8, Iconv("UTF-8", "UTF-32BE", utf32));
  }
}

}  // namespace
}  // namespace holvane
