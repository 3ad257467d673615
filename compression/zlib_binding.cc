// SPDX-License-Identifier: MIT
#include "compression/zlib_binding.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <string>

#include "compression/run_time_error.h"

namespace holvane {

namespace {

constexpr int kMemLevel = 8;

// What decoding a stream past the end of a too-small buffer showed: its first
// `valid_prefix` output bytes decode without error, and when `complete`, the
// stream ends right there, checked and whole. `output` holds all of it when
// it is complete and was short enough to keep.
struct Prefix {
  std::int64_t valid_prefix = 0;
  bool complete = false;
  std::string output;
};

// Frees a z_stream however its decoding ends.
class InflateStream {
 public:
  int Init(int mode) {
    const int result = inflateInit2(&stream_, mode);
    initialized_ = result == Z_OK;
    return result;
  }
  ~InflateStream() {
    if (initialized_) inflateEnd(&stream_);
  }
  z_stream* operator->() { return &stream_; }
  z_stream* get() { return &stream_; }

 private:
  z_stream stream_{};
  bool initialized_ = false;
};

// Decodes what is left of `stream` into scratch space. Streaming sees only
// zlib's window behind the current output, where one call into a whole buffer
// sees all of the output so far, so it is the stricter of the two: whatever
// decodes here decodes alike into a buffer. It stops once the output is
// longer than any buffer can be.
Prefix DecodeRest(z_stream& stream, const std::uint8_t* first, std::size_t first_length,
                  std::int64_t kept_output) {
  constexpr std::size_t kScratch = 64 * 1024;
  constexpr auto kLongest = static_cast<uLong>(std::numeric_limits<std::int32_t>::max());
  const auto scratch = std::make_unique_for_overwrite<Bytef[]>(kScratch);
  std::string kept;
  if (static_cast<std::int64_t>(first_length) <= kept_output) {
    kept.assign(reinterpret_cast<const char*>(first), first_length);
  }
  for (;;) {
    stream.next_out = scratch.get();
    stream.avail_out = static_cast<uInt>(kScratch);
    const int result = inflate(&stream, Z_NO_FLUSH);
    if (static_cast<std::int64_t>(stream.total_out) <= kept_output) {
      kept.append(reinterpret_cast<const char*>(scratch.get()), kScratch - stream.avail_out);
    } else if (!kept.empty()) {
      kept = std::string();
    }
    // Anything but Z_OK ends it: the stream's end, an error, or (Z_BUF_ERROR
    // with room left) input that ends before the stream does. Every byte
    // produced before that decoded without error.
    if (result != Z_OK || stream.total_out > kLongest) {
      const bool complete = result == Z_STREAM_END;
      if (!complete) kept = std::string();
      return {static_cast<std::int64_t>(stream.total_out), complete, std::move(kept)};
    }
  }
}

// One inflate of the whole source into `dest`, answered as uncompress()
// answers. When the buffer turns out too small and `prefix` is given, the
// rest of the stream is decoded as well, to learn what later buffers would
// get.
std::int32_t Inflate(std::uint8_t* dest, std::int32_t& dest_length, const std::uint8_t* source,
                     std::int32_t source_length, std::int32_t mode, Prefix* prefix,
                     std::int64_t kept_output = 0) {
  if (dest_length < 0 || source_length < 0) return Z_STREAM_ERROR;
  InflateStream stream;
  stream->next_in = const_cast<Bytef*>(source);
  stream->avail_in = static_cast<uInt>(source_length);
  int result = stream.Init(mode);
  if (result != Z_OK) return result;
  // inflate refuses a null output pointer even for zero bytes of room; a
  // valid empty stream must still finish into a 0-byte buffer.
  std::uint8_t spare = 0;
  stream->next_out = dest_length > 0 ? dest : &spare;
  stream->avail_out = static_cast<uInt>(dest_length);
  result = inflate(stream.get(), Z_FINISH);
  const bool out_of_room = stream->avail_out == 0;
  switch (result) {
    case Z_STREAM_END:
      dest_length = static_cast<std::int32_t>(stream->total_out);
      return Z_OK;
    case Z_NEED_DICT:
      return Z_DATA_ERROR;
    case Z_BUF_ERROR:
    case Z_OK:
      // With room left, the input ended before the stream did: a truncated
      // stream. Answering -5 there would make the caller grow its buffer
      // until the size overflows.
      if (!out_of_room) return Z_DATA_ERROR;
      if (prefix != nullptr) {
        *prefix =
            DecodeRest(*stream.get(), dest, static_cast<std::size_t>(dest_length), kept_output);
      }
      return Z_BUF_ERROR;
    default:
      return result;
  }
}

struct DecompressorDeleter {
  void operator()(libdeflate_decompressor* decompressor) const {
    libdeflate_free_decompressor(decompressor);
  }
};

// The attempts of one decompression. The first attempt that runs out of room
// decodes the rest of the stream too. From then on a buffer shorter than the
// part known to decode gets -5 at once, which is what zlib would answer after
// filling it; and once the whole stream is known to be valid, a buffer that
// holds it gets the output kept while learning, or, for a longer zlib stream
// or gzip member, libdeflate's decoding, made for whole buffers and several
// times faster. Anything not known that way is zlib's to answer.
class LearningUncompression final : public ZlibBinding::Uncompression {
 public:
  LearningUncompression(const std::uint8_t* source, std::int32_t source_length, std::int32_t mode,
                        std::int64_t kept_output)
      : source_(source), source_length_(source_length), mode_(mode), kept_output_(kept_output) {}

  std::int32_t uncompress(std::uint8_t* dest, std::int32_t& dest_length) override {
    if (dest_length < 0 || source_length_ < 0) return Z_STREAM_ERROR;
    if (!prefix_) {
      Prefix learned;
      const std::int32_t result =
          Inflate(dest, dest_length, source_, source_length_, mode_, &learned, kept_output_);
      if (result == Z_BUF_ERROR) prefix_ = learned;
      return result;
    }
    if (dest_length < prefix_->valid_prefix) return Z_BUF_ERROR;
    if (prefix_->complete && !prefix_->output.empty()) {
      std::memcpy(dest, prefix_->output.data(), prefix_->output.size());
      dest_length = static_cast<std::int32_t>(prefix_->output.size());
      return Z_OK;
    }
    if (prefix_->complete) {
      if (const auto length = DecodeWhole(dest, dest_length)) {
        dest_length = *length;
        return Z_OK;
      }
    }
    return Inflate(dest, dest_length, source_, source_length_, mode_, nullptr);
  }

 private:
  // The known-valid stream through libdeflate, or nothing where it does not
  // apply or does not give exactly the length zlib found.
  std::optional<std::int32_t> DecodeWhole(std::uint8_t* dest, std::int32_t dest_length) {
    if (mode_ != 15 && mode_ != 31) return std::nullopt;
    if (!decompressor_) decompressor_.reset(libdeflate_alloc_decompressor());
    if (!decompressor_) return std::nullopt;
    std::uint8_t spare = 0;
    std::size_t consumed = 0;
    std::size_t produced = 0;
    const auto decompress =
        mode_ == 15 ? libdeflate_zlib_decompress_ex : libdeflate_gzip_decompress_ex;
    const libdeflate_result result =
        decompress(decompressor_.get(), source_, static_cast<std::size_t>(source_length_),
                   dest_length > 0 ? dest : &spare, static_cast<std::size_t>(dest_length),
                   &consumed, &produced);
    if (result != LIBDEFLATE_SUCCESS ||
        static_cast<std::int64_t>(produced) != prefix_->valid_prefix) {
      return std::nullopt;
    }
    return static_cast<std::int32_t>(produced);
  }

  const std::uint8_t* source_;
  std::int32_t source_length_;
  std::int32_t mode_;
  std::int64_t kept_output_;
  std::optional<Prefix> prefix_;
  std::unique_ptr<libdeflate_decompressor, DecompressorDeleter> decompressor_;
};

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
    return Inflate(dest, dest_length, source, source_length, mode, nullptr);
  }

  std::unique_ptr<Uncompression> beginUncompression(const std::uint8_t* source,
                                                    std::int32_t source_length,
                                                    std::int32_t mode) override {
    return BeginSystemUncompression(source, source_length, mode, kKeptOutput);
  }
};

}  // namespace

namespace {

class PlainUncompression final : public ZlibBinding::Uncompression {
 public:
  PlainUncompression(ZlibBinding& binding, const std::uint8_t* source, std::int32_t source_length,
                     std::int32_t mode)
      : binding_(binding), source_(source), source_length_(source_length), mode_(mode) {}

  std::int32_t uncompress(std::uint8_t* dest, std::int32_t& dest_length) override {
    return binding_.uncompress(dest, dest_length, source_, source_length_, mode_);
  }

 private:
  ZlibBinding& binding_;
  const std::uint8_t* source_;
  std::int32_t source_length_;
  std::int32_t mode_;
};

}  // namespace

std::unique_ptr<ZlibBinding::Uncompression> ZlibBinding::beginUncompression(
    const std::uint8_t* source, std::int32_t source_length, std::int32_t mode) {
  return std::make_unique<PlainUncompression>(*this, source, source_length, mode);
}

std::unique_ptr<ZlibBinding::Uncompression> BeginSystemUncompression(const std::uint8_t* source,
                                                                     std::int32_t source_length,
                                                                     std::int32_t mode,
                                                                     std::int64_t kept_output) {
  return std::make_unique<LearningUncompression>(source, source_length, mode, kept_output);
}

ZlibBinding& DefaultZlibBinding() {
  static SystemZlibBinding binding;
  return binding;
}

}  // namespace holvane
