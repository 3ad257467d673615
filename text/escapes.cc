// SPDX-License-Identifier: MIT
#include "text/escapes.h"

namespace holvane::text {

namespace {

int HexValue(char digit) {
  if (digit >= '0' && digit <= '9') return digit - '0';
  if (digit >= 'A' && digit <= 'F') return digit - 'A' + 10;
  if (digit >= 'a' && digit <= 'f') return digit - 'a' + 10;
  return -1;
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

}  // namespace holvane::text
