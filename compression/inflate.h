// SPDX-License-Identifier: MIT
// Internal to compression/: zlib's inflate as the binding and its attempts
// use it. Not part of the core's interface.
#ifndef HOLVANE_COMPRESSION_INFLATE_H_
#define HOLVANE_COMPRESSION_INFLATE_H_

#include <zlib.h>

#include <cstdint>

namespace holvane::internal {

// A z_stream set up for inflating, freed however its decoding ends.
class InflateStream {
 public:
  InflateStream() = default;
  InflateStream(const InflateStream&) = delete;
  InflateStream& operator=(const InflateStream&) = delete;
  ~InflateStream();

  // inflateInit2 with `mode` as windowBits, reading `source`; zlib's result.
  int Init(const std::uint8_t* source, std::int32_t source_length, int mode);

  z_stream* operator->() { return &stream_; }
  z_stream* get() { return &stream_; }

 private:
  z_stream stream_{};
  bool initialized_ = false;
};

// One inflate of the whole source into `dest`, answered as uncompress()
// answers (Z_OK with `dest_length` set, Z_BUF_ERROR only when `dest` is too
// small, another code otherwise). On Z_BUF_ERROR, when `stream` is given, it
// is left where the full buffer stopped, for the caller to decode the rest.
std::int32_t InflateInto(std::uint8_t* dest, std::int32_t& dest_length, const std::uint8_t* source,
                         std::int32_t source_length, int mode, InflateStream* stream = nullptr);

}  // namespace holvane::internal

#endif  // HOLVANE_COMPRESSION_INFLATE_H_
