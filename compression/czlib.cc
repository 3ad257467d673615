// SPDX-License-Identifier: MIT
#include "compression/czlib.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>
#include <new>
#include <optional>

#include "common/file_system.h"
#include "common/run_time_error.h"
#include "common/translation.h"
#include "compression/inflate.h"

namespace holvane {

namespace {

constexpr std::int32_t kGzipHeaderLength = 10;
constexpr std::int32_t kBufferTooSmall = -5;
constexpr std::int32_t kBindingFailed = -1;

constexpr const char* kBufferOutOfRange = TrNoop("the buffer's size is beyond the 32-bit range");
constexpr const char* kCompressedOutOfRange =
    TrNoop("the compressed data's size is beyond the 32-bit range");

// The wrapper works in 32-bit signed sizes; a longer string cannot be handed
// to the binding at all.
std::int32_t LengthOf(const std::string& data) {
  if (data.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
    throw RunTimeError(ErrorNumber::kOverflow, Tr("a string longer than 2,147,483,647 bytes"));
  }
  return static_cast<std::int32_t>(data.size());
}

std::int32_t CheckedAdd(std::int32_t a, std::int32_t b) {
  std::int32_t sum = 0;
  if (__builtin_add_overflow(a, b, &sum)) {
    throw RunTimeError(ErrorNumber::kOverflow, Tr(kBufferOutOfRange));
  }
  return sum;
}

std::int32_t CheckedMultiply(std::int32_t a, std::int32_t b) {
  std::int32_t product = 0;
  if (__builtin_mul_overflow(a, b, &product)) {
    throw RunTimeError(ErrorNumber::kOverflow, Tr(kBufferOutOfRange));
  }
  return product;
}

const std::uint8_t* BytesOf(const std::string& data) {
  return reinterpret_cast<const std::uint8_t*>(data.data());
}

// The result code of one of the two in-place methods: what `body` returns,
// or the number of the run-time error that stopped it (Data has not been
// touched by then).
template <typename Body>
std::int32_t ResultCodeOf(Body&& body) noexcept {
  try {
    return body();
  } catch (const RunTimeError& error) {
    return error.code();
  } catch (const std::bad_alloc&) {
    return static_cast<std::int32_t>(ErrorNumber::kOutOfMemory);
  } catch (const std::length_error&) {
    return static_cast<std::int32_t>(ErrorNumber::kOutOfMemory);
  }
}

// The output buffer of one attempt. Only the bytes the binding reports as
// written are ever read, so the buffer is not cleared first.
std::unique_ptr<std::uint8_t[]> MakeBuffer(std::int32_t size) {
  return std::make_unique_for_overwrite<std::uint8_t[]>(static_cast<std::size_t>(size));
}

void CheckOutputLength(std::int32_t buffer_size, std::int32_t output_length) {
  if (output_length < 0 || output_length > buffer_size) {
    throw RunTimeError(ErrorNumber::kSubscriptOutOfRange, "длина результата за пределами буфера");
  }
}

// The first `length` bytes of `buffer` as a string. The copy is made a piece
// at a time and each piece's whole pages go back to the system once copied,
// so that a large output is never held twice. The string's room is taken
// first: should that fail, the buffer is still whole.
std::string TakeOutput(std::uint8_t* buffer, std::int32_t length) {
  constexpr std::size_t kPiece = 1 << 20;
  const auto size = static_cast<std::size_t>(length);
  std::string output;
  output.reserve(size);
  const auto page = PageSize();
  const auto start = reinterpret_cast<std::uintptr_t>(buffer);
  std::uintptr_t released = (start + page - 1) / page * page;
  for (std::size_t done = 0; done < size;) {
    const std::size_t take = std::min(kPiece, size - done);
    output.append(reinterpret_cast<const char*>(buffer) + done, take);
    done += take;
    const std::uintptr_t copied = (start + done) / page * page;
    if (size > kPiece && copied > released) {
      ReleasePages(released, copied - released);
      released = copied;
    }
  }
  return output;
}

}  // namespace

cZLIB::cZLIB() : binding_(&DefaultZlibBinding()), decodes_once_(true) {}

cZLIB::cZLIB(ZlibBinding& binding) : binding_(&binding), decodes_once_(false) {}

std::int32_t cZLIB::GetAdler32(std::string Data) const {
  const std::int32_t start = binding_->adler32(0, nullptr, 0);
  return binding_->adler32(start, BytesOf(Data), LengthOf(Data));
}

std::int32_t cZLIB::GetCRC32(std::string Data) const {
  const std::int32_t start = binding_->crc32(0, nullptr, 0);
  return binding_->crc32(start, BytesOf(Data), LengthOf(Data));
}

std::int32_t cZLIB::CompressString(std::string& Data, std::int32_t Mode) const {
  return ResultCodeOf([&]() -> std::int32_t {
    const std::int32_t n = LengthOf(Data);
    if (n == 0) return 0;
    const std::int32_t bound = binding_->compressBound(n);
    if (bound < 0) {
      throw RunTimeError(ErrorNumber::kOverflow, Tr(kCompressedOutOfRange));
    }
    std::int32_t output_length = bound;
    auto buffer = MakeBuffer(bound);
    if (binding_->compress(buffer.get(), output_length, BytesOf(Data), n, Mode) != 0) {
      return kBindingFailed;
    }
    CheckOutputLength(bound, output_length);
    Data.assign(reinterpret_cast<const char*>(buffer.get()),
                static_cast<std::size_t>(output_length));
    return 0;
  });
}

std::int32_t cZLIB::UncompressString(std::string& Data, std::int32_t Mode) const {
  return ResultCodeOf([&]() -> std::int32_t {
    const std::int32_t n = LengthOf(Data);
    if (n == 0) return 0;
    const std::uint8_t* input = BytesOf(Data);

    std::int32_t size = 0;
    if (Mode == kGzipMemberMode) {
      // The header's fixed fields must be there; their values are zlib's to
      // judge.
      if (n < kGzipHeaderLength) {
        throw RunTimeError(ErrorNumber::kSubscriptOutOfRange,
                           Tr("a gzip member shorter than its header"));
      }
      // Only the two low bytes of ISIZE: a forged trailer cannot demand a
      // huge first buffer. A start of 0 (an empty member, or one whose size
      // is a multiple of 65,536) simply grows like any other.
      size = input[n - 4] + 256 * input[n - 3];
    } else {
      size = CheckedMultiply(3, n);
    }

    // Each attempt decompresses into a new buffer. The program's zlib
    // decodes the stream once first and answers each attempt from what that
    // showed, handing over the output it kept instead of filling a buffer.
    std::optional<internal::InflateAttempts> attempts;
    if (decodes_once_) attempts.emplace(input, n, Mode, internal::kKeptOutput);
    for (;;) {
      if (attempts) {
        if (auto output = attempts->TakeOutput(size)) {
          CheckOutputLength(size, static_cast<std::int32_t>(output->size()));
          Data = std::move(*output);
          return 0;
        }
      }
      std::int32_t output_length = size;
      auto buffer = MakeBuffer(size);
      const std::int32_t result =
          attempts ? attempts->Uncompress(buffer.get(), output_length)
                   : binding_->uncompress(buffer.get(), output_length, input, n, Mode);
      if (result == kBufferTooSmall) {
        size = CheckedAdd(size, n);
        continue;
      }
      if (result != 0) return kBindingFailed;
      CheckOutputLength(size, output_length);
      Data = TakeOutput(buffer.get(), output_length);
      return 0;
    }
  });
}

std::string DescribeZlibResult(ZlibMethod method, std::int32_t result) {
  if (result < 0) {
    return method == ZlibMethod::kCompressString ? Tr("zlib refused to compress it")
                                                 : Tr("not a zlib stream, or a damaged one");
  }
  const std::string number = std::to_string(result);
  // The results a person can act on, in words; the number stays beside
  // them, as the one the wrapper documents.
  if (method == ZlibMethod::kUncompressString) {
    switch (static_cast<ErrorNumber>(result)) {
      case ErrorNumber::kOutOfMemory:
        return Filled(Tr("not enough memory for the decompressed content (run-time error {})"),
                      {number});
      case ErrorNumber::kOverflow:
        return Filled(Tr("the content is too large for 32-bit sizes (run-time error {})"),
                      {number});
      default:
        break;
    }
  }
  return Filled(Tr("run-time error {}"), {number});
}

// The binding over the zlib the program is linked with.

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
      throw RunTimeError(ErrorNumber::kInvalidArgument, Tr("a negative length of data"));
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
      throw RunTimeError(ErrorNumber::kOverflow, Tr(kCompressedOutOfRange));
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
