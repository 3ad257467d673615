// SPDX-License-Identifier: MIT
#ifndef HOLVANE_CONVERSION_RECORD_FORMAT_H_
#define HOLVANE_CONVERSION_RECORD_FORMAT_H_

// The record stream's bytes (docs/format.md, "The record stream"): a run of
// entries, each a length n, n text bytes and a flag, the two numbers signed
// 32-bit little-endian integers. What reads the stream and what writes it
// both take its layout from here.

#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>

#include "compression/czlib.h"

namespace holvane::record_format {

// The *.wvl file around the stream is one zlib stream (docs/format.md, "The
// file"), zlib's default window.
inline constexpr std::int32_t kFileZlibMode = kZlibStreamMode;

// The width of an entry's length field and of its flag field.
inline constexpr std::int32_t kFieldWidth = 4;
// What an entry takes besides its text: its two fields.
inline constexpr std::int32_t kFieldsWidth = 2 * kFieldWidth;

// The flags the program's own texts use; every other value is kept as well.
inline constexpr std::int32_t kFalse = 0;
inline constexpr std::int32_t kTrue = -1;

// The most bytes a text may hold: what a length field holds.
inline constexpr std::int64_t kLongestText = std::numeric_limits<std::int32_t>::max();
// The most bytes a whole stream may hold: positions count from 1 in signed
// 32 bits, and the position after the stream's end must be one of them.
inline constexpr std::int64_t kLongestStream = std::numeric_limits<std::int32_t>::max() - 1;

// The field at `bytes`, which holds kFieldWidth bytes.
inline std::int32_t LoadInt32(const char* bytes) {
  std::uint32_t value = 0;
  std::memcpy(&value, bytes, sizeof value);
  if constexpr (std::endian::native == std::endian::big) value = __builtin_bswap32(value);
  return static_cast<std::int32_t>(value);
}

// Writes `value` as a field to the kFieldWidth bytes at `bytes`.
inline void StoreInt32(char* bytes, std::int32_t value) {
  auto bits = static_cast<std::uint32_t>(value);
  if constexpr (std::endian::native == std::endian::big) bits = __builtin_bswap32(bits);
  std::memcpy(bytes, &bits, sizeof bits);
}

}  // namespace holvane::record_format

#endif  // HOLVANE_CONVERSION_RECORD_FORMAT_H_
