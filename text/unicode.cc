// SPDX-License-Identifier: MIT
#include "text/unicode.h"

#include <cstdint>

namespace holvane::text {

namespace {

bool IsSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

}  // namespace

void AppendUtf8(char32_t code_point, std::string& out) {
  const auto c = static_cast<std::uint32_t>(code_point);
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

void DecodeUtf16(std::wstring_view units, std::u32string& characters) {
  characters.clear();
  for (std::size_t i = 0; i < units.size(); ++i) {
    const auto unit = static_cast<char32_t>(units[i]);
    const bool high = unit >= 0xD800 && unit <= 0xDBFF;
    if (high && i + 1 < units.size()) {
      const auto next = static_cast<char32_t>(units[i + 1]);
      if (next >= 0xDC00 && next <= 0xDFFF) {
        characters.push_back(0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
        ++i;
        continue;
      }
    }
    characters.push_back(unit);
  }
}

void AppendShownUtf8(std::u32string_view characters, std::string& out) {
  for (const char32_t c : characters) AppendUtf8(IsSurrogate(c) ? U'\uFFFD' : c, out);
}

std::string Utf8FromUtf16(std::wstring_view units) {
  std::u32string characters;
  DecodeUtf16(units, characters);
  std::string text;
  text.reserve(units.size());
  AppendShownUtf8(characters, text);
  return text;
}

std::wstring Utf16FromUtf8(std::string_view text) {
  std::wstring units;
  units.reserve(text.size());
  while (!text.empty()) {
    char32_t c = 0;
    std::size_t length = DecodeUtf8Character(text, c);
    if (length == 0) {
      c = U'\uFFFD';
      length = 1;
    }
    if (c >= 0x10000) {
      units.push_back(static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10)));
      units.push_back(static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    } else {
      units.push_back(static_cast<wchar_t>(c));
    }
    text.remove_prefix(length);
  }
  return units;
}

}  // namespace holvane::text
