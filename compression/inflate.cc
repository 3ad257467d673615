// SPDX-License-Identifier: MIT
#include "compression/inflate.h"

namespace holvane::internal {

InflateStream::~InflateStream() {
  if (initialized_) inflateEnd(&stream_);
}

int InflateStream::Init(const std::uint8_t* source, std::int32_t source_length, int mode) {
  stream_.next_in = const_cast<Bytef*>(source);
  stream_.avail_in = static_cast<uInt>(source_length);
  const int result = inflateInit2(&stream_, mode);
  initialized_ = result == Z_OK;
  return result;
}

std::int32_t InflateInto(std::uint8_t* dest, std::int32_t& dest_length, const std::uint8_t* source,
                         std::int32_t source_length, int mode, InflateStream* stream) {
  if (dest_length < 0 || source_length < 0) return Z_STREAM_ERROR;
  InflateStream own;
  InflateStream& inflating = stream != nullptr ? *stream : own;
  int result = inflating.Init(source, source_length, mode);
  if (result != Z_OK) return result;
  // inflate refuses a null output pointer even for zero bytes of room; a
  // valid empty stream must still finish into a 0-byte buffer.
  std::uint8_t spare = 0;
  inflating->next_out = dest_length > 0 ? dest : &spare;
  inflating->avail_out = static_cast<uInt>(dest_length);
  result = inflate(inflating.get(), Z_FINISH);
  switch (result) {
    case Z_STREAM_END:
      dest_length = static_cast<std::int32_t>(inflating->total_out);
      return Z_OK;
    case Z_NEED_DICT:
      return Z_DATA_ERROR;
    case Z_BUF_ERROR:
    case Z_OK:
      // With room left, the input ended before the stream did: a truncated
      // stream. Answering -5 there would make the caller grow its buffer
      // until the size overflows.
      return inflating->avail_out == 0 ? Z_BUF_ERROR : Z_DATA_ERROR;
    default:
      return result;
  }
}

}  // namespace holvane::internal
