// SPDX-License-Identifier: MIT
#include "text/code_page_1251.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

#include "text/unicode.h"

namespace holvane::text {
namespace {

#ifdef _WIN32
// Windows' own conversions, through UTF-16, a source independent of the
// program's table; empty when they fail.
std::string Utf8FromUtf16(const std::wstring& wide) {
  const int size =
      ::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(),
                            static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  if (size <= 0) return {};
  std::string output(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), static_cast<int>(wide.size()),
                        output.data(), size, nullptr, nullptr);
  return output;
}

std::string SystemUtf8FromCodePage1251(const std::string& input) {
  wchar_t wide[4];
  const int size = ::MultiByteToWideChar(1251, MB_ERR_INVALID_CHARS, input.data(),
                                         static_cast<int>(input.size()), wide, 4);
  if (size <= 0) return {};
  return Utf8FromUtf16(std::wstring(wide, static_cast<std::size_t>(size)));
}

std::string SystemUtf8(char32_t code_point) {
  std::wstring wide;
  if (code_point >= 0x10000) {
    wide.push_back(static_cast<wchar_t>(0xD800 + ((code_point - 0x10000) >> 10)));
    wide.push_back(static_cast<wchar_t>(0xDC00 + ((code_point - 0x10000) & 0x3FF)));
  } else {
    wide.push_back(static_cast<wchar_t>(code_point));
  }
  return Utf8FromUtf16(wide);
}
#else
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

std::string SystemUtf8FromCodePage1251(const std::string& input) {
  return Iconv("UTF-8", "CP1251", input);
}

// `code_point` from four-byte UTF-32BE.
std::string SystemUtf8(char32_t code_point) {
  std::string utf32;
  for (int shift = 24; shift >= 0; shift -= 8) {
    utf32.push_back(static_cast<char>((code_point >> shift) & 0xFF));
  }
  return Iconv("UTF-8", "UTF-32BE", utf32);
}
#endif

TEST(CodePage1251, UpperHalfIsTheCLibrarysCodePage) {
  ASSERT_EQ(SystemUtf8FromCodePage1251("\xC0"), "А") << "the system cannot convert from CP1251";
  for (int byte = 0x80; byte <= 0xFF; ++byte) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", byte);
    SCOPED_TRACE(hex);
    std::string shown;
    AppendUtf8(CodePage1251Character(static_cast<unsigned char>(byte)), shown);
    if (byte == 0x98) {
      EXPECT_EQ(shown, "\uFFFD");
    } else {
      EXPECT_EQ(shown, SystemUtf8FromCodePage1251(std::string(1, static_cast<char>(byte))));
    }
  }
}

// Code points at each end of each UTF-8 length.
TEST(CodePage1251, AppendUtf8MatchesTheCLibraryAtEveryLength) {
  for (const char32_t code_point :
       {0x01u, 0x7Fu, 0x80u, 0x7FFu, 0x800u, 0xD7FFu, 0xE000u, 0xFFFDu, 0x10000u, 0x10FFFFu}) {
    SCOPED_TRACE(static_cast<unsigned>(code_point));
    std::string utf8;
    AppendUtf8(code_point, utf8);
    EXPECT_EQ(utf8, SystemUtf8(code_point));
  }
}

}  // namespace
}  // namespace holvane::text
