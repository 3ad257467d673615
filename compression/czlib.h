// SPDX-License-Identifier: MIT
#ifndef HOLVANE_COMPRESSION_CZLIB_H_
#define HOLVANE_COMPRESSION_CZLIB_H_

#include <cstdint>
#include <string>

namespace holvane {

// The five zlib functions cZLIB works through, with 32-bit signed arguments
// and results. `mode` is zlib's windowBits: 15 a zlib stream, 31 a gzip
// member, and the other values as deflateInit2/inflateInit2 define them.
//
// The class is abstract so that tests can stand in for zlib; the program uses
// DefaultZlibBinding(). A binding may throw RunTimeError (for example
// kBindingUnavailable or kOverflow); cZLIB turns that into its result code.
class ZlibBinding {
 public:
  virtual ~ZlibBinding() = default;

  // The running checksum after `length` bytes of `data`. With data == nullptr
  // and length 0 it returns the checksum's starting value (1 for Adler-32,
  // 0 for CRC-32). The 32 bits come back as a signed value.
  virtual std::int32_t adler32(std::int32_t value, const std::uint8_t* data,
                               std::int32_t length) = 0;
  virtual std::int32_t crc32(std::int32_t value, const std::uint8_t* data, std::int32_t length) = 0;

  // Compresses `source_length` bytes into `dest`, which holds `dest_length`
  // bytes on entry. Returns 0 (Z_OK) and sets `dest_length` to the compressed
  // size, or a zlib error code.
  virtual std::int32_t compress(std::uint8_t* dest, std::int32_t& dest_length,
                                const std::uint8_t* source, std::int32_t source_length,
                                std::int32_t mode) = 0;

  // A buffer of this many bytes always holds the compressed form of
  // `source_length` bytes, whatever mode compress() is given.
  virtual std::int32_t compressBound(std::int32_t source_length) = 0;

  // Decompresses one stream from `source` into `dest`, which holds
  // `dest_length` bytes on entry (0 is allowed). Returns:
  //   0 (Z_OK)        the whole stream was decompressed; `dest_length` is set
  //                   to the bytes produced. Bytes after the stream's end are
  //                   ignored.
  //  -5 (Z_BUF_ERROR) only when `dest` is too small for the stream;
  //                   `dest_length` is not meaningful then.
  //   another code    the stream is corrupt or truncated, has a wrong header
  //                   or check value, needs a preset dictionary, or `mode` is
  //                   not one zlib accepts.
  virtual std::int32_t uncompress(std::uint8_t* dest, std::int32_t& dest_length,
                                  const std::uint8_t* source, std::int32_t source_length,
                                  std::int32_t mode) = 0;
};

// The binding over the zlib the program is linked with.
ZlibBinding& DefaultZlibBinding();

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
// "run-time error N" for a run-time error N (UncompressString's 7 and 6
// first say what ran out), and zlib's refusal for -1.
std::string DescribeZlibResult(ZlibMethod method, std::int32_t result);

}  // namespace holvane

#endif  // HOLVANE_COMPRESSION_CZLIB_H_
