// SPDX-License-Identifier: MIT
#include "compression/zlib_binding.h"

#include <zlib.h>

#include <algorithm>
#include <limits>

#include "common/run_time_error.h"
#include "compression/inflate.h"

namespace holvane {

namespace {

constexpr int kMemLevel = 8;

class SystemZlibBinding final : public ZlibBinding {
 public:
  std::int32_t adler32(std::int32_t value, const std::uint8_t* data, std::int32_t length) override {
    return static_cast<std::int32_t>(
        ::adler32(static_cast<uLong>(static_cast<std::uint32_t>(value)), data,
                  static_cast<uInt>(std::max(length, 0))));
  }

  std::int32_t crc32(std::int32_t value, const std::uint8_t* data, std::int32_t length) override {
    return static_cast<std::int32_t>(::crc32(static_cast<uLong>(static_cast<std::uint32_t>(value)),
                                             data, static_cast<uInt>(std::max(length, 0))));
  }

  std::int32_t compress(std::uint8_t* dest, std::int32_t& dest_length, const std::uint8_t* source,
                        std::int32_t source_length, std::int32_t mode) override {
    if (dest_length < 0 || source_length < 0) return Z_STREAM_ERROR;
    z_stream stream{};
    int result = deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, mode, kMemLevel,
                              Z_DEFAULT_STRATEGY);
    if (result != Z_OK) return result;
    std::uint8_t spare = 0;  // deflate refuses a null output pointer
    stream.next_in = const_cast<Bytef*>(source);
    stream.avail_in = static_cast<uInt>(source_length);
    stream.next_out = dest_length > 0 ? dest : &spare;
    stream.avail_out = static_cast<uInt>(dest_length);
    result = deflate(&stream, Z_FINISH);
    const uLong produced = stream.total_out;
    deflateEnd(&stream);
    if (result != Z_STREAM_END) return result == Z_OK ? Z_BUF_ERROR : result;
    dest_length = static_cast<std::int32_t>(produced);
    return Z_OK;
  }

  std::int32_t compressBound(std::int32_t source_length) override {
    if (source_length < 0) {
      throw RunTimeError(ErrorNumber::kInvalidArgument, "отрицательная длина данных");
    }
    // zlib's compressBound is tight only for windowBits 15 and assumes the
    // 6-byte zlib wrapper. deflateBound falls back to a looser bound for other
    // window sizes, and a gzip member's wrapper takes 18 bytes, so the bound
    // here is the larger of the two plus the larger wrapper.
    const std::int64_t n = source_length;
    const std::int64_t tight = static_cast<std::int64_t>(::compressBound(static_cast<uLong>(n)));
    const std::int64_t loose = n + ((n + 7) >> 3) + ((n + 63) >> 6) + 5 + 6;
    const std::int64_t bound = std::max(tight, loose) + (18 - 6);
    if (bound > std::numeric_limits<std::int32_t>::max()) {
      throw RunTimeError(ErrorNumber::kOverflow,
                         "размер сжатых данных выходит за 32-битный диапазон");
    }
    return static_cast<std::int32_t>(bound);
  }

  std::int32_t uncompress(std::uint8_t* dest, std::int32_t& dest_length, const std::uint8_t* source,
                          std::int32_t source_length, std::int32_t mode) override {
    return internal::InflateInto(dest, dest_length, source, source_length, mode);
  }
};

}  // namespace

ZlibBinding& DefaultZlibBinding() {
  static SystemZlibBinding binding;
  return binding;
}

}  // namespace holvane
