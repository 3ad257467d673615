// SPDX-License-Identifier: MIT
#include "compression/czlib.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <new>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "common/run_time_error.h"
#include "compression/czlib.h"
#include "tests/test_support.h"

namespace holvane {
namespace {

using namespace ::holvane::testing;  // the test kit and its GoogleTest helpers

constexpr std::int32_t kInt32Max = std::numeric_limits<std::int32_t>::max();

// Stands in for zlib: records every call and, unless a test scripts an
// answer, passes it on to the real binding.
class RecordingBinding final : public ZlibBinding {
 public:
  using BufferCall = std::function<std::int32_t(std::uint8_t* dest, std::int32_t& dest_length,
                                                const std::uint8_t* source,
                                                std::int32_t source_length, std::int32_t mode)>;

  BufferCall on_uncompress;
  BufferCall on_compress;
  std::function<std::int32_t(std::int32_t)> on_compress_bound;
  bool checksums_throw = false;

  // dest_length on entry and mode of each call.
  std::vector<std::int32_t> uncompress_sizes;
  std::vector<std::int32_t> uncompress_modes;
  std::vector<std::int32_t> compress_sizes;
  std::vector<std::int32_t> compress_modes;
  int compress_bound_calls = 0;

  int Calls() const {
    return static_cast<int>(uncompress_sizes.size() + compress_sizes.size()) + compress_bound_calls;
  }

  std::int32_t adler32(std::int32_t value, const std::uint8_t* data, std::int32_t length) override {
    if (checksums_throw) throw RunTimeError(ErrorNumber::kBindingUnavailable, "нет zlib");
    return DefaultZlibBinding().adler32(value, data, length);
  }

  std::int32_t crc32(std::int32_t value, const std::uint8_t* data, std::int32_t length) override {
    if (checksums_throw) throw RunTimeError(ErrorNumber::kBindingUnavailable, "нет zlib");
    return DefaultZlibBinding().crc32(value, data, length);
  }

  std::int32_t compress(std::uint8_t* dest, std::int32_t& dest_length, const std::uint8_t* source,
                        std::int32_t source_length, std::int32_t mode) override {
    compress_sizes.push_back(dest_length);
    compress_modes.push_back(mode);
    if (on_compress) return on_compress(dest, dest_length, source, source_length, mode);
    return DefaultZlibBinding().compress(dest, dest_length, source, source_length, mode);
  }

  std::int32_t compressBound(std::int32_t source_length) override {
    ++compress_bound_calls;
    if (on_compress_bound) return on_compress_bound(source_length);
    return DefaultZlibBinding().compressBound(source_length);
  }

  std::int32_t uncompress(std::uint8_t* dest, std::int32_t& dest_length, const std::uint8_t* source,
                          std::int32_t source_length, std::int32_t mode) override {
    uncompress_sizes.push_back(dest_length);
    uncompress_modes.push_back(mode);
    if (on_uncompress) return on_uncompress(dest, dest_length, source, source_length, mode);
    return DefaultZlibBinding().uncompress(dest, dest_length, source, source_length, mode);
  }
};

RecordingBinding::BufferCall Answer(std::int32_t code) {
  return [code](std::uint8_t*, std::int32_t&, const std::uint8_t*, std::int32_t, std::int32_t) {
    return code;
  };
}

template <typename Exception>
RecordingBinding::BufferCall Throw(Exception exception) {
  return [exception](std::uint8_t*, std::int32_t&, const std::uint8_t*, std::int32_t,
                     std::int32_t) -> std::int32_t { throw exception; };
}

// Reports success with a length the buffer cannot hold.
RecordingBinding::BufferCall ReportLength(std::int32_t extra_or_negative) {
  return [extra_or_negative](std::uint8_t*, std::int32_t& dest_length, const std::uint8_t*,
                             std::int32_t, std::int32_t) {
    dest_length = extra_or_negative < 0 ? extra_or_negative : dest_length + extra_or_negative;
    return 0;
  };
}

std::int32_t SizeOf(const std::string& data) { return static_cast<std::int32_t>(data.size()); }

// An output of exactly 3n bytes must fit the first buffer; one byte more
// takes the next, n bytes larger.
TEST(CZlibUncompressTest, AttemptsGrowFromThreeTimesTheInput) {
  // Bytes after a stream's end are ignored, so padding the stream to 1000
  // bytes fixes n and lets the output length be chosen against it.
  constexpr std::int32_t kInput = 1000;
  struct Case {
    std::int32_t output;
    std::vector<std::int32_t> sizes;
  };
  const Case cases[] = {
      {1, {3000}},
      {3000, {3000}},
      {3001, {3000, 4000}},
      {4000, {3000, 4000}},
      {4001, {3000, 4000, 5000}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.output << " bytes out");
    std::string payload;
    while (SizeOf(payload) < c.output) payload += Sample(250);
    payload.resize(static_cast<std::size_t>(c.output));
    std::string data = ZlibDeflate(payload, 15);
    ASSERT_LE(SizeOf(data), kInput);
    data.resize(kInput, '\x5A');
    RecordingBinding binding;
    EXPECT_EQ(cZLIB(binding).UncompressString(data, 15), 0);
    EXPECT_TRUE(SameBytes(data, payload));
    EXPECT_EQ(binding.uncompress_sizes, c.sizes);
    EXPECT_EQ(binding.uncompress_modes, std::vector<std::int32_t>(c.sizes.size(), 15));
  }
}

// Outputs of several megabytes come back through the real binding byte for
// byte, also where the stream needs several attempts and the binding learns
// its length on the first and decodes it whole on the last, and where the
// output is handed over in pieces.
TEST(CZlibUncompressTest, LargeOutputsComeBackWhole) {
  const std::string compressible = [] {
    std::string payload;
    for (int i = 0; payload.size() < (5u << 20); ++i) {
      payload += Sample(40 + i % 29) + RandomBytes(2 + i % 7, static_cast<unsigned>(i));
    }
    return payload;
  }();
  const std::string incompressible = RandomBytes((3u << 20) + 4097, 11);
  for (const std::string* payload : {&compressible, &incompressible}) {
    for (const int mode : {15, 31, -15}) {
      SCOPED_TRACE(::testing::Message() << payload->size() << " bytes, mode " << mode);
      std::string data = ZlibDeflate(*payload, mode);
      ASSERT_EQ(cZLIB().UncompressString(data, mode), 0);
      EXPECT_TRUE(SameBytes(data, *payload));
    }
  }
}

// A gzip member starts from the two low bytes of its stored length and grows
// by n. Sizes of 65,536 and its multiples start from 0.
TEST(CZlibUncompressTest, GzipAttemptsStartFromTheStoredLength) {
  const std::int32_t lengths[] = {0, 1000, 0x80FF, 0xFFFF, 0x10000, 70000};
  for (const std::int32_t length : lengths) {
    SCOPED_TRACE(::testing::Message() << length << " bytes out");
    const std::string payload = Sample(static_cast<std::size_t>(length));
    std::string data = ZlibDeflate(payload, 31);
    const std::int32_t n = SizeOf(data);
    RecordingBinding binding;
    EXPECT_EQ(cZLIB(binding).UncompressString(data, 31), 0);
    EXPECT_TRUE(SameBytes(data, payload));

    const std::vector<std::int32_t>& sizes = binding.uncompress_sizes;
    ASSERT_FALSE(sizes.empty());
    EXPECT_EQ(sizes.front(), length % 0x10000);
    for (std::size_t i = 1; i < sizes.size(); ++i) {
      ASSERT_EQ(sizes[i], sizes[i - 1] + n) << "attempt " << i;
    }
    EXPECT_GE(sizes.back(), length);
    if (sizes.size() > 1) {
      EXPECT_LT(sizes[sizes.size() - 2], length);
    }
  }
}

TEST(CZlibUncompressTest, GzipShorterThanItsHeaderIsSubscriptOutOfRange) {
  const std::string member = ZlibDeflate(Sample(100), 31);
  struct Case {
    std::int32_t mode;
    std::size_t length;
    std::int32_t result;
    bool binding_called;
  };
  const Case cases[] = {
      {31, 1, 9, false},
      {31, 9, 9, false},
      {31, 10, -1, true},  // a header alone: the binding judges it
      {15, 9, -1, true},   // the header rule is for gzip members only
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "mode " << c.mode << ", " << c.length << " bytes");
    const std::string original = member.substr(0, c.length);
    std::string data = original;
    RecordingBinding binding;
    EXPECT_EQ(cZLIB(binding).UncompressString(data, c.mode), c.result);
    EXPECT_EQ(data, original);
    EXPECT_EQ(!binding.uncompress_sizes.empty(), c.binding_called);
  }
}

// Only 31 reads a gzip trailer; every other mode, even one that accepts gzip
// members, starts at 3n and reaches zlib as given.
TEST(CZlibUncompressTest, OtherModesReachTheBindingUnchanged) {
  const std::string payload = Sample(2000);
  struct Case {
    std::int32_t mode;
    std::string data;
    std::int32_t result;
  };
  const Case cases[] = {
      {0, ZlibDeflate(payload, 15), 0},  {7, ZlibDeflate(payload, 15), -1},
      {9, ZlibDeflate(payload, 9), 0},   {-15, ZlibDeflate(payload, -15), 0},
      {47, ZlibDeflate(payload, 31), 0}, {-31, ZlibDeflate(payload, -15), -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "mode " << c.mode);
    std::string data = c.data;
    RecordingBinding binding;
    EXPECT_EQ(cZLIB(binding).UncompressString(data, c.mode), c.result);
    EXPECT_EQ(data, c.result == 0 ? payload : c.data);
    ASSERT_FALSE(binding.uncompress_sizes.empty());
    EXPECT_EQ(binding.uncompress_sizes.front(), 3 * SizeOf(c.data));
    EXPECT_EQ(binding.uncompress_modes,
              std::vector<std::int32_t>(binding.uncompress_modes.size(), c.mode));
  }
}

TEST(CZlibUncompressTest, FailureLeavesDataUnchanged) {
  const std::string zlib_stream = ZlibDeflate(Sample(500), 15);
  struct Case {
    const char* name;
    std::string data;
    RecordingBinding::BufferCall uncompress;  // empty: real zlib
    std::int32_t result;
  };
  const Case cases[] = {
      {"gzip member", ZlibDeflate(Sample(500), 31), {}, -1},
      {"truncated", zlib_stream.substr(0, zlib_stream.size() - 3), {}, -1},
      {"data error", zlib_stream, Answer(Z_DATA_ERROR), -1},
      {"need dictionary", zlib_stream, Answer(Z_NEED_DICT), -1},
      {"binding unavailable", zlib_stream,
       Throw(RunTimeError(ErrorNumber::kBindingUnavailable, "нет zlib")), 48},
      {"binding overflow", zlib_stream, Throw(RunTimeError(ErrorNumber::kOverflow, "много")), 6},
      {"out of memory", zlib_stream, Throw(std::bad_alloc()), 7},
      {"length past the buffer", zlib_stream, ReportLength(1), 9},
      {"negative length", zlib_stream, ReportLength(-1), 9},
  };
  for (const Case& c : cases) {
    std::string data = c.data;
    RecordingBinding binding;
    binding.on_uncompress = c.uncompress;
    EXPECT_EQ(cZLIB(binding).UncompressString(data, 15), c.result) << c.name;
    EXPECT_EQ(data, c.data) << c.name;
    // A failure other than -5 is final: no second attempt.
    if (c.uncompress) {
      EXPECT_EQ(binding.uncompress_sizes.size(), 1u) << c.name;
    }
  }
}

// A binding that never finds the buffer big enough must not keep the caller
// forever: the sizes grow by n until the next would pass 2^31 - 1. The double
// never touches the buffers, so even the last ones of nearly 2 GiB cost only
// address space; a large n keeps the attempts few, which matters most under
// AddressSanitizer.
TEST(CZlibUncompressTest, EndlessBufferErrorEndsInOverflow) {
  constexpr std::int32_t kInput = 64 << 20;
  std::string original(kInput, '\x11');
  original[kInput - 4] = '\x34';  // gzip stored length's low bytes: 0x1234
  original[kInput - 3] = '\x12';
  for (const std::int32_t mode : {15, 31}) {
    SCOPED_TRACE(::testing::Message() << "mode " << mode);
    std::string data = original;
    RecordingBinding binding;
    binding.on_uncompress = Answer(Z_BUF_ERROR);
    EXPECT_EQ(cZLIB(binding).UncompressString(data, mode), 6);
    EXPECT_TRUE(SameBytes(data, original));

    const std::vector<std::int32_t>& sizes = binding.uncompress_sizes;
    ASSERT_FALSE(sizes.empty());
    EXPECT_EQ(sizes.front(), mode == 31 ? 0x1234 : 3 * kInput);
    for (std::size_t i = 1; i < sizes.size(); ++i) {
      ASSERT_EQ(sizes[i], sizes[i - 1] + kInput) << "attempt " << i;
    }
    EXPECT_GT(sizes.back(), kInt32Max - kInput);
  }
}

TEST(CZlibCompressTest, EmptyDataStaysEmptyWithoutTheBinding) {
  for (const std::int32_t mode : {15, 31, 7}) {
    RecordingBinding binding;
    const cZLIB zlib(binding);
    std::string data;
    EXPECT_EQ(zlib.CompressString(data, mode), 0) << "mode " << mode;
    EXPECT_EQ(zlib.UncompressString(data, mode), 0) << "mode " << mode;
    EXPECT_EQ(data, "");
    EXPECT_EQ(binding.Calls(), 0) << "mode " << mode;
  }
}

// Compressed with each mode, checked by zlib itself, and decompressed again.
// The compressed forms of the random payloads hold zero bytes, which must not
// cut them short. The sizes of 65,536 and its multiples give gzip members
// whose stored length's low bytes are 0.
TEST(CZlibCompressTest, RoundTripsInEveryMode) {
  std::string every_byte;
  for (int i = 0; i < 3 * 256; ++i) every_byte += static_cast<char>(i % 256);
  const std::string payloads[] = {
      std::string(1, '\0'),
      "A",
      "\x80\xFF",
      Sample(300),
      every_byte,
      RandomBytes(0x10000, 3),
      std::string(0x10000, '\0'),
      RandomBytes(2 * 0x10000, 4),
      RandomBytes(100003, 5),
  };
  const cZLIB zlib;
  for (const std::int32_t mode : {15, 31, -15, 9, 25}) {
    for (const std::string& payload : payloads) {
      SCOPED_TRACE(::testing::Message() << "mode " << mode << ", " << payload.size() << " bytes");
      std::string data = payload;
      ASSERT_EQ(zlib.CompressString(data, mode), 0);
      std::string inflated;
      EXPECT_TRUE(ZlibInflate(data, mode, inflated));
      EXPECT_TRUE(SameBytes(inflated, payload));
      ASSERT_EQ(zlib.UncompressString(data, mode), 0);
      EXPECT_TRUE(SameBytes(data, payload));
    }
  }
}

TEST(CZlibCompressTest, OneAttemptIntoTheBindingsBound) {
  const std::string payload = Sample(1000);
  std::string data = payload;
  RecordingBinding binding;
  // Larger than zlib's own bound, so using that one instead shows.
  binding.on_compress_bound = [](std::int32_t n) { return 2 * n + 100; };
  EXPECT_EQ(cZLIB(binding).CompressString(data, 31), 0);
  EXPECT_EQ(binding.compress_sizes, std::vector<std::int32_t>{2100});
  EXPECT_EQ(binding.compress_modes, std::vector<std::int32_t>{31});
  std::string inflated;
  EXPECT_TRUE(ZlibInflate(data, 31, inflated));
  EXPECT_TRUE(SameBytes(inflated, payload));
}

TEST(CZlibCompressTest, FailureLeavesDataUnchanged) {
  const std::string original = Sample(1000);
  struct Case {
    const char* name;
    std::int32_t mode;
    RecordingBinding::BufferCall compress;  // empty: real zlib
    std::function<std::int32_t(std::int32_t)> bound;
    std::int32_t result;
    std::size_t compress_calls;
  };
  const RecordingBinding::BufferCall unavailable =
      Throw(RunTimeError(ErrorNumber::kBindingUnavailable, "нет zlib"));
  const std::function<std::int32_t(std::int32_t)> bound_unavailable =
      [](std::int32_t) -> std::int32_t {
    throw RunTimeError(ErrorNumber::kBindingUnavailable, "нет zlib");
  };
  const Case cases[] = {
      {"invalid mode", 7, {}, {}, -1, 1},
      {"bound too small", 15, {}, [](std::int32_t) { return 10; }, -1, 1},
      {"buffer error", 15, Answer(Z_BUF_ERROR), {}, -1, 1},
      {"stream error", 15, Answer(Z_STREAM_ERROR), {}, -1, 1},
      {"binding unavailable", 15, unavailable, {}, 48, 1},
      {"bound unavailable", 15, {}, bound_unavailable, 48, 0},
      {"negative bound", 15, {}, [](std::int32_t) { return -1; }, 6, 0},
      {"out of memory", 15, Throw(std::bad_alloc()), {}, 7, 1},
      {"length past the buffer", 15, ReportLength(1), {}, 9, 1},
      {"negative length", 15, ReportLength(-1), {}, 9, 1},
  };
  for (const Case& c : cases) {
    std::string data = original;
    RecordingBinding binding;
    binding.on_compress = c.compress;
    binding.on_compress_bound = c.bound;
    EXPECT_EQ(cZLIB(binding).CompressString(data, c.mode), c.result) << c.name;
    EXPECT_EQ(data, original) << c.name;
    EXPECT_EQ(binding.compress_sizes.size(), c.compress_calls) << c.name;
  }
}

// Known values first; then zero bytes and bytes of 0x80 and above, checked
// against zlib itself, since every byte has to count.
TEST(CZlibChecksumTest, MatchesZlib) {
  struct Case {
    std::string data;
    std::uint32_t adler;
    std::uint32_t crc;
  };
  const Case cases[] = {
      {"", 0x00000001u, 0x00000000u},
      {"123456789", 0x091E01DEu, 0xCBF43926u},
      {"The quick brown fox jumps over the lazy dog", 0x5BDC0FDAu, 0x414FA339u},
  };
  const cZLIB zlib;
  for (const Case& c : cases) {
    EXPECT_EQ(zlib.GetAdler32(c.data), static_cast<std::int32_t>(c.adler)) << c.data;
    EXPECT_EQ(zlib.GetCRC32(c.data), static_cast<std::int32_t>(c.crc)) << c.data;
  }
  EXPECT_LT(zlib.GetCRC32("123456789"), 0);

  const std::string inputs[] = {std::string("a\0b\0", 4), std::string(5000, '\xFF'),
                                RandomBytes(70000, 7)};
  for (const std::string& data : inputs) {
    const auto size = static_cast<uInt>(data.size());
    EXPECT_EQ(zlib.GetAdler32(data), static_cast<std::int32_t>(::adler32(1, BytesOf(data), size)))
        << data.size() << " bytes";
    EXPECT_EQ(zlib.GetCRC32(data), static_cast<std::int32_t>(::crc32(0, BytesOf(data), size)))
        << data.size() << " bytes";
  }
}

TEST(CZlibChecksumTest, BindingFailurePropagates) {
  RecordingBinding binding;
  binding.checksums_throw = true;
  const cZLIB zlib(binding);
  EXPECT_THROW(zlib.GetAdler32("abc"), RunTimeError);
  EXPECT_THROW(zlib.GetCRC32("abc"), RunTimeError);
}

// The messages of the conversion and of the pack both word the results
// through this one function, so each wording is asserted here once.
TEST(CZlibResultTest, DescribesEachResultForItsMethod) {
  struct Case {
    ZlibMethod method;
    std::int32_t result;
    std::string words;
  };
  const Case cases[] = {
      {ZlibMethod::kUncompressString, 7,
       "недостаточно памяти для распакованного содержимого (ошибка выполнения 7)"},
      {ZlibMethod::kUncompressString, 6,
       "содержимое слишком велико для 32-битных размеров (ошибка выполнения 6)"},
      {ZlibMethod::kUncompressString, 9, "ошибка выполнения 9"},
      {ZlibMethod::kUncompressString, -1, "это не поток zlib, или он повреждён"},
      {ZlibMethod::kCompressString, 7, "ошибка выполнения 7"},
      {ZlibMethod::kCompressString, 48, "ошибка выполнения 48"},
      {ZlibMethod::kCompressString, -1, "zlib отказался его сжимать"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DescribeZlibResult(c.method, c.result), c.words) << c.result;
  }
}

}  // namespace
}  // namespace holvane
