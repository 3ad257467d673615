// SPDX-License-Identifier: MIT
#include "text/terminal_text.h"

#include <cstddef>

#include "text/code_page_1251.h"
#include "text/escapes.h"
#include "text/unicode.h"

namespace holvane::text {

namespace {

bool IsControl(char32_t code_point) {
  return code_point < 0x20 || (code_point >= 0x7F && code_point <= 0x9F);
}

void AppendHex(std::string& out, std::string_view bytes) {
  for (const char c : bytes)
    out += "\\x" + HexDigits(static_cast<unsigned char>(c), 2, HexCase::kLower);
}

}  // namespace

std::string Escaped(std::string_view bytes, Backslashes backslashes) {
  std::string out;
  out.reserve(bytes.size());
  while (!bytes.empty()) {
    char32_t code_point = 0;
    const std::size_t length = DecodeUtf8Character(bytes, code_point);
    if (length == 0) {
      AppendHex(out, bytes.substr(0, 1));
      bytes.remove_prefix(1);
      continue;
    }
    if (IsControl(code_point)) {
      AppendHex(out, bytes.substr(0, length));
    } else if (code_point == U'\\' && backslashes == Backslashes::kDoubled) {
      out += "\\\\";
    } else {
      out.append(bytes.substr(0, length));
    }
    bytes.remove_prefix(length);
  }
  return out;
}

std::string Escaped(std::wstring_view name) {
  std::string out;
  out.reserve(name.size());
  for (std::size_t i = 0; i < name.size(); ++i) {
    auto code_point = static_cast<char32_t>(name[i]);
    if (code_point >= 0xD800 && code_point <= 0xDBFF && i + 1 < name.size() &&
        name[i + 1] >= 0xDC00 && name[i + 1] <= 0xDFFF) {
      code_point =
          0x10000 + ((code_point - 0xD800) << 10) + (static_cast<char32_t>(name[++i]) - 0xDC00);
    } else if (code_point >= 0xD800 && code_point <= 0xDFFF) {
      out += "\\u";
      out += HexDigits(code_point, 4, HexCase::kLower);
      continue;
    }
    if (IsControl(code_point)) {
      out += "\\x" + HexDigits(code_point, 2, HexCase::kLower);
    } else {
      AppendUtf8(code_point, out);
    }
  }
  return out;
}

}  // namespace holvane::text
