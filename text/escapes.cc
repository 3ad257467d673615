// SPDX-License-Identifier: MIT
#include "text/escapes.h"

#include "text/unicode.h"

namespace holvane::text {

namespace {

int HexValue(char digit) {
  if (digit >= '0' && digit <= '9') return digit - '0';
  if (digit >= 'A' && digit <= 'F') return digit - 'A' + 10;
  if (digit >= 'a' && digit <= 'f') return digit - 'a' + 10;
  return -1;
}

bool IsControl(char32_t code_point) {
  return code_point < 0x20 || (code_point >= 0x7F && code_point <= 0x9F);
}

void AppendHex(std::string& out, std::string_view bytes) {
  for (const char c : bytes)
    out += "\\x" + HexDigits(static_cast<unsigned char>(c), 2, HexCase::kLower);
}

}  // namespace

std::string EscapeOf(unsigned char byte) {
  switch (byte) {
    case '\\':
      return "\\\\";
    case '\r':
      return "\\r";
    case '\n':
      return "\\n";
    case '\t':
      return "\\t";
    default:
      return "\\x" + HexDigits(byte, 2, HexCase::kUpper);
  }
}

std::size_t ReadEscape(std::string_view text, unsigned char& byte) {
  if (text.size() < 2 || text[0] != '\\') return 0;
  switch (text[1]) {
    case '\\':
      byte = '\\';
      return 2;
    case 'r':
      byte = '\r';
      return 2;
    case 'n':
      byte = '\n';
      return 2;
    case 't':
      byte = '\t';
      return 2;
    case 'x': {
      if (text.size() < 4) return 0;
      const int high = HexValue(text[2]);
      const int low = HexValue(text[3]);
      if (high < 0 || low < 0) return 0;
      byte = static_cast<unsigned char>(high * 16 + low);
      return 4;
    }
    default:
      return 0;
  }
}

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
