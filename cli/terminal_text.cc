// SPDX-License-Identifier: MIT
#include "cli/terminal_text.h"

#include <cstddef>

namespace holvane::cli {

namespace {

// The length of the valid UTF-8 sequence at the start of `text` and its code
// point, or 0 when it is not one (overlong forms, surrogates and values past
// U+10FFFF are not).
std::size_t DecodeOne(std::string_view text, char32_t& code_point) {
  const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  std::size_t length = 0;
  char32_t lowest = 0;
  if (lead < 0x80) {
    code_point = lead;
    return 1;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    code_point = lead & 0x1F;
    lowest = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code_point = lead & 0x0F;
    lowest = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    code_point = lead & 0x07;
    lowest = 0x10000;
  } else {
    return 0;
  }
  if (text.size() < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
    code_point = (code_point << 6) | (byte(i) & 0x3F);
  }
  const bool surrogate = code_point >= 0xD800 && code_point <= 0xDFFF;
  if (code_point < lowest || code_point > 0x10FFFF || surrogate) return 0;
  return length;
}

bool IsControl(char32_t code_point) {
  return code_point < 0x20 || (code_point >= 0x7F && code_point <= 0x9F);
}

void AppendHex(std::string& out, std::string_view bytes) {
  constexpr char kDigits[] = "0123456789abcdef";
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    out += "\\x";
    out += kDigits[byte >> 4];
    out += kDigits[byte & 0x0F];
  }
}

}  // namespace

std::string Escaped(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  while (!bytes.empty()) {
    char32_t code_point = 0;
    const std::size_t length = DecodeOne(bytes, code_point);
    if (length == 0) {
      AppendHex(out, bytes.substr(0, 1));
      bytes.remove_prefix(1);
      continue;
    }
    if (IsControl(code_point)) {
      AppendHex(out, bytes.substr(0, length));
    } else if (code_point == U'\\') {
      out += "\\\\";
    } else {
      out.append(bytes.substr(0, length));
    }
    bytes.remove_prefix(length);
  }
  return out;
}

}  // namespace holvane::cli
