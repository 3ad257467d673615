// SPDX-License-Identifier: MIT
#ifndef HOLVANE_COMPRESSION_ZLIB_BINDING_H_
#define HOLVANE_COMPRESSION_ZLIB_BINDING_H_

#include <cstdint>

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

}  // namespace holvane

#endif  // HOLVANE_COMPRESSION_ZLIB_BINDING_H_
