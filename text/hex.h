// SPDX-License-Identifier: MIT
#ifndef HOLVANE_TEXT_HEX_H_
#define HOLVANE_TEXT_HEX_H_

#include <cstddef>
#include <cstdint>
#include <string>

namespace holvane::text {

enum class HexCase { kLower, kUpper };

// `value` in hexadecimal, most significant digit first, with at least
// `at_least` digits (leading zeros) and more where `value` needs them:
// HexDigits(0x1B, 2, kLower) is "1b", HexDigits(0x1F600, 4, kUpper) "1F600".
inline std::string HexDigits(std::uint64_t value, std::size_t at_least, HexCase letters) {
  const char* digits = letters == HexCase::kUpper ? "0123456789ABCDEF" : "0123456789abcdef";
  std::string out;
  for (std::uint64_t rest = value; rest != 0 || out.size() < at_least; rest >>= 4) {
    out.insert(out.begin(), digits[rest & 0xF]);
  }
  return out;
}

}  // namespace holvane::text

#endif  // HOLVANE_TEXT_HEX_H_
