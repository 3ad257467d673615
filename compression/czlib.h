// SPDX-License-Identifier: MIT
#ifndef HOLVANE_COMPRESSION_CZLIB_H_
#define HOLVANE_COMPRESSION_CZLIB_H_

#include <cstdint>
#include <string>

#include "compression/zlib_binding.h"

namespace holvane {

// The Mode of a zlib stream (RFC 1950), the form the program's files hold.
inline constexpr std::int32_t kZlibStreamMode = 15;
// The Mode of a gzip member (RFC 1952).
inline constexpr std::int32_t kGzipMemberMode = 31;

// Compresses and decompresses byte strings in place and computes their
// checksums through a zlib binding. A byte string is held as its bytes.
//
// The object keeps nothing from one call to the next, so one object serves
// any number of calls in any order.
//
// CompressString and UncompressString never throw. They return:
//   0   success, or nothing to do (an empty Data);
//  -1   the binding reported a failure;
//  > 0  the number of the run-time error that stopped the call:
//       6 overflow (a size outside the 32-bit signed range),
//       7 out of memory, 9 subscript out of range (a gzip member shorter
//       than its 10-byte header), 48 the binding cannot be reached.
// On any result but 0, Data is left exactly as it was.
class cZLIB {
 public:
  // Through the program's zlib; each stream is decoded once and every
  // attempt answered from that (internal::InflateAttempts).
  cZLIB();
  // Every attempt a call of `binding.uncompress`; `binding` must outlive the
  // object.
  explicit cZLIB(ZlibBinding& binding);

  // The Adler-32 checksum of Data's bytes (1 for an empty Data), its 32 bits
  // as a signed value. Failures of the binding propagate as RunTimeError.
  std::int32_t GetAdler32(std::string Data) const;

  // The CRC-32 checksum of Data's bytes (0 for an empty Data); a checksum of
  // 2^31 or more comes back negative. Failures propagate as RunTimeError.
  std::int32_t GetCRC32(std::string Data) const;

  // Replaces Data by its compressed form, made in a single attempt into a
  // buffer of compressBound bytes. `Mode` is zlib's windowBits (15 a zlib
  // stream, 31 a gzip member). An empty Data stays empty and gives 0.
  std::int32_t CompressString(std::string& Data, std::int32_t Mode) const;

  // Replaces Data, one compressed stream, by its decompressed bytes. `Mode`
  // as for CompressString. The attempts use output buffers of 3n, 4n, 5n, ...
  // bytes for an input of n bytes; with Mode 31 they start from the two low
  // bytes of the gzip trailer's ISIZE field instead and grow by n.
  std::int32_t UncompressString(std::string& Data, std::int32_t Mode) const;

 private:
  ZlibBinding* binding_;
  bool decodes_once_;
};

// Which of cZLIB's in-place methods gave a result.
enum class ZlibMethod { kCompressString, kUncompressString };

// A result of `method` other than 0 in the words of the program's messages:
// "ошибка выполнения N" for a run-time error N (UncompressString's 7 and 6
// first say what ran out), and zlib's refusal for -1.
std::string DescribeZlibResult(ZlibMethod method, std::int32_t result);

}  // namespace holvane

#endif  // HOLVANE_COMPRESSION_CZLIB_H_
