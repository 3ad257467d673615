// SPDX-License-Identifier: MIT
#include "compression/inflate.h"

#include <zlib.h>
#ifdef HOLVANE_HAVE_LIBDEFLATE
#include <libdeflate.h>
#endif

#include <algorithm>
#include <cstring>
#include <limits>
#include <tuple>
#include <utility>

#include "common/file_system.h"
#include "compression/czlib.h"

namespace holvane::internal {

namespace {

// A z_stream set up for inflating, freed however its decoding ends.
class InflateStream {
 public:
  InflateStream() = default;
  InflateStream(const InflateStream&) = delete;
  InflateStream& operator=(const InflateStream&) = delete;
  ~InflateStream() {
    if (initialized_) inflateEnd(&stream_);
  }

  // inflateInit2 with `mode` as windowBits, reading `source`; zlib's result.
  int Init(const std::uint8_t* source, std::int32_t source_length, int mode) {
    stream_.next_in = const_cast<Bytef*>(source);
    stream_.avail_in = static_cast<uInt>(source_length);
    const int result = inflateInit2(&stream_, mode);
    initialized_ = result == Z_OK;
    return result;
  }

  z_stream* operator->() { return &stream_; }
  z_stream* get() { return &stream_; }

 private:
  z_stream stream_{};
  bool initialized_ = false;
};

// An output held as it is decoded, in the string that will be handed over,
// so that it is never copied: where it was first written is where the
// caller gets it. The string's room is reserved at once for the output
// expected, which costs only address space until it is written; it grows a
// step at a time within that, and only an output beyond it makes the string
// move.
class KeptOutput {
 public:
  // Makes room, from the first call on, for `expected` bytes, and fills it
  // `first_step` bytes at a time at first.
  void Expect(std::size_t expected, std::size_t first_step) {
    expected_ = expected;
    first_step_ = std::clamp<std::size_t>(first_step, 1, kStep);
  }

  // Room for the next output bytes; at least one byte.
  std::pair<std::uint8_t*, std::size_t> Room() {
    if (size_ == output_.size()) {
      if (output_.capacity() < expected_) {
        output_.reserve(expected_);
        PreferLargePages(output_.data(), output_.capacity());
      }
      // Filled a step ahead of the decoder and overwritten by it while the
      // step is still in the cache. Steps double from the first, so a small
      // output fills little more than itself; past the reserved room, the
      // string's own rule grows it.
      std::size_t step = std::clamp(size_, first_step_, kStep);
      if (output_.capacity() > size_) step = std::min(step, output_.capacity() - size_);
      output_.resize(size_ + step);
    }
    return {reinterpret_cast<std::uint8_t*>(output_.data()) + size_, output_.size() - size_};
  }
  void Commit(std::size_t n) { size_ += n; }
  std::size_t size() const { return size_; }
  void Clear() {
    output_ = std::string();
    size_ = 0;
  }

  // `dest` holds size() bytes; it may be null when that is 0.
  void CopyTo(std::uint8_t* dest) const {
    if (size_ > 0) std::memcpy(dest, output_.data(), size_);
  }

  // The output as the string it was decoded into; nothing is copied.
  std::string Take() {
    output_.resize(size_);
    std::string output = std::move(output_);
    Clear();
    return output;
  }

 private:
  static constexpr std::size_t kStep = 256 * 1024;
  std::string output_;
  std::size_t size_ = 0;
  std::size_t expected_ = 0;
  std::size_t first_step_ = kStep;
};

// A zlib wrapper (windowBits 8 to 15) ends in the Adler-32 of its output,
// four bytes big-endian. libdeflate computes it several times faster than
// zlib, so the one decoding turns zlib's own check off and makes it here:
// a mismatch is then the data error zlib would have reported, at the same
// output length.
// Without libdeflate, zlib checks its own.
#ifdef HOLVANE_HAVE_LIBDEFLATE
bool OwnCheck(std::int32_t mode) { return mode >= 8 && mode <= 15; }
std::uint32_t Adler32(std::uint32_t adler, const std::uint8_t* data, std::size_t length) {
  return libdeflate_adler32(adler, data, length);
}
#else
bool OwnCheck(std::int32_t) { return false; }
std::uint32_t Adler32(std::uint32_t adler, const std::uint8_t*, std::size_t) { return adler; }
#endif

// The room first reserved for a kept output: a stream's length times this,
// and a little more. Text compresses four or five to one, so this covers
// nearly every file, and reserving is only address space; a stream that
// decodes to more moves its output as the string grows.
constexpr std::int64_t kExpectedRatio = 8;
constexpr std::int64_t kExpectedSlack = 64 * 1024;

}  // namespace

std::int32_t InflateInto(std::uint8_t* dest, std::int32_t& dest_length, const std::uint8_t* source,
                         std::int32_t source_length, int mode) {
  if (dest_length < 0 || source_length < 0) return Z_STREAM_ERROR;
  InflateStream inflating;
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

// What decoding the whole stream once showed: its first `valid_prefix` output
// bytes decode without error, and when `complete`, the stream ends right
// there, checked and whole. `output` holds all of it when `kept`.
struct InflateAttempts::DecodedStream {
  std::int64_t valid_prefix = 0;
  bool complete = false;
  bool kept = false;
  KeptOutput output;
};

void InflateAttempts::DecompressorDeleter::operator()(
    [[maybe_unused]] libdeflate_decompressor* decompressor) const {
#ifdef HOLVANE_HAVE_LIBDEFLATE
  libdeflate_free_decompressor(decompressor);
#endif
}

// Every answer is the one a single zlib call gives: streaming judges
// distances against zlib's window rather than all output so far, so what
// decodes in the one decoding decodes alike in one call into a whole buffer.
InflateAttempts::InflateAttempts(const std::uint8_t* source, std::int32_t source_length,
                                 std::int32_t mode, std::int64_t kept_output)
    : source_(source),
      source_length_(source_length),
      mode_(mode),
      decoded_(std::make_unique<DecodedStream>()) {
  constexpr std::size_t kScratch = 64 * 1024;
  constexpr auto kLongest = static_cast<uLong>(std::numeric_limits<std::int32_t>::max());
  DecodedStream& decoded = *decoded_;
  if (source_length < 0) return;
  InflateStream stream;
  if (stream.Init(source, source_length, mode) != Z_OK) return;
  // What a stream that compresses well gives, within the sizes kept.
  decoded.output.Expect(static_cast<std::size_t>(std::min<std::int64_t>(
                            kept_output, kExpectedRatio * source_length + kExpectedSlack)),
                        static_cast<std::size_t>(std::int64_t{3} * source_length));
  const bool own_check = OwnCheck(mode) && inflateValidate(stream.get(), 0) == Z_OK;
  std::uint32_t adler = 1;
  decoded.kept = true;
  std::unique_ptr<std::uint8_t[]> scratch;
  int result = Z_OK;
  // Anything but Z_OK ends it: the stream's end, an error, or (Z_BUF_ERROR
  // with room left) input that ends before the stream does. Every byte
  // produced before that decoded without error. It also stops once the
  // output is longer than any buffer can be.
  while (result == Z_OK && stream->total_out <= kLongest) {
    std::uint8_t* room = nullptr;
    std::size_t room_length = 0;
    if (decoded.kept) {
      std::tie(room, room_length) = decoded.output.Room();
    } else {
      if (!scratch) scratch = std::make_unique_for_overwrite<std::uint8_t[]>(kScratch);
      room = scratch.get();
      room_length = kScratch;
    }
    stream->next_out = room;
    stream->avail_out = static_cast<uInt>(room_length);
    result = inflate(stream.get(), Z_NO_FLUSH);
    const std::size_t produced = room_length - stream->avail_out;
    if (own_check) adler = Adler32(adler, room, produced);
    if (decoded.kept) {
      decoded.output.Commit(produced);
      if (static_cast<std::int64_t>(decoded.output.size()) > kept_output) {
        decoded.output.Clear();
        decoded.kept = false;
      }
    }
  }
  decoded.valid_prefix = static_cast<std::int64_t>(stream->total_out);
  decoded.complete = result == Z_STREAM_END;
  if (decoded.complete && own_check) {
    // zlib stops reading right after the trailer.
    const auto consumed = static_cast<std::size_t>(stream->next_in - source);
    const std::uint8_t* trailer = stream->next_in - 4;
    const std::uint32_t stated = consumed < 4 ? ~adler
                                              : (std::uint32_t{trailer[0]} << 24) |
                                                    (std::uint32_t{trailer[1]} << 16) |
                                                    (std::uint32_t{trailer[2]} << 8) | trailer[3];
    decoded.complete = stated == adler;
  }
  if (!decoded.complete && decoded.kept) {
    decoded.output.Clear();
    decoded.kept = false;
  }
}

InflateAttempts::~InflateAttempts() = default;

std::optional<std::string> InflateAttempts::TakeOutput(std::int32_t dest_length) {
  if (!decoded_->kept || decoded_->valid_prefix > dest_length) return std::nullopt;
  std::string output = decoded_->output.Take();
  decoded_->kept = false;
  return output;
}

// A buffer shorter than the part known to decode gets Z_BUF_ERROR at once,
// which is what zlib would answer after filling it. A buffer that holds the
// stream gets the kept output copied, or, when nothing was kept, the stream
// decoded there by libdeflate (zlib and gzip streams; its result is taken
// only at the length zlib found). Everything else is one zlib call.
std::int32_t InflateAttempts::Uncompress(std::uint8_t* dest, std::int32_t& dest_length) {
  if (dest_length < 0 || source_length_ < 0) return Z_STREAM_ERROR;
  const DecodedStream& decoded = *decoded_;
  if (dest_length < decoded.valid_prefix) return Z_BUF_ERROR;
  if (decoded.kept) {
    decoded.output.CopyTo(dest);
    dest_length = static_cast<std::int32_t>(decoded.valid_prefix);
    return Z_OK;
  }
  if (decoded.complete) {
    if (const auto length = DecodeWhole(dest, dest_length)) {
      dest_length = *length;
      return Z_OK;
    }
  }
  return InflateInto(dest, dest_length, source_, source_length_, mode_);
}

// The known-valid stream through libdeflate, or nothing where it does not
// apply or does not give exactly the length zlib found.
std::optional<std::int32_t> InflateAttempts::DecodeWhole(std::uint8_t* dest,
                                                         std::int32_t dest_length) {
#ifndef HOLVANE_HAVE_LIBDEFLATE
  (void)dest;
  (void)dest_length;
  return std::nullopt;
#else
  if (mode_ != kZlibStreamMode && mode_ != kGzipMemberMode) return std::nullopt;
  if (!decompressor_) decompressor_.reset(libdeflate_alloc_decompressor());
  if (!decompressor_) return std::nullopt;
  std::uint8_t spare = 0;
  std::size_t consumed = 0;
  std::size_t produced = 0;
  const auto decompress =
      mode_ == kZlibStreamMode ? libdeflate_zlib_decompress_ex : libdeflate_gzip_decompress_ex;
  const libdeflate_result result = decompress(
      decompressor_.get(), source_, static_cast<std::size_t>(source_length_),
      dest_length > 0 ? dest : &spare, static_cast<std::size_t>(dest_length), &consumed, &produced);
  if (result != LIBDEFLATE_SUCCESS ||
      static_cast<std::int64_t>(produced) != decoded_->valid_prefix) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(produced);
#endif
}

}  // namespace holvane::internal
