// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "compression/czlib.h"
#include "tests/test_support.h"

namespace holvane {
namespace {

using namespace ::holvane::testing;  // the test kit and its GoogleTest helpers

bool IsFailure(std::int32_t code) { return code != 0 && code != Z_BUF_ERROR; }

TEST(ZlibBindingTest, DecompressesIntoAnExactOrLargerBuffer) {
  struct Case {
    int made_with;
    std::int32_t mode;
  };
  const Case cases[] = {
      {15, 15}, {31, 31}, {-15, -15}, {9, 9}, {9, 15},  // a smaller window than the reader allows
      {25, 31},                                         // a gzip member with a 512-byte window
      {15, 0},                                          // window size taken from the zlib header
      {15, 47},                                         // automatic header detection, zlib stream
      {31, 47},                                         // automatic header detection, gzip member
  };
  const std::string payload = Sample(5000);
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "made with " << c.made_with << ", mode " << c.mode);
    const std::string stream = ZlibDeflate(payload, c.made_with);
    for (const std::int32_t capacity : {LengthOf(payload), LengthOf(payload) + 100}) {
      const Outcome outcome = Uncompress(stream, capacity, c.mode);
      EXPECT_EQ(outcome.code, 0) << "capacity " << capacity;
      EXPECT_EQ(outcome.output, payload) << "capacity " << capacity;
    }
  }
}

TEST(ZlibBindingTest, TooSmallBufferIsABufferError) {
  const std::string payload = Sample(5000);
  for (const int mode : {15, 31, -15}) {
    const std::string stream = ZlibDeflate(payload, mode);
    for (const std::int32_t capacity : {LengthOf(payload) - 1, 1, 0}) {
      EXPECT_EQ(Uncompress(stream, capacity, mode).code, Z_BUF_ERROR)
          << "mode " << mode << ", capacity " << capacity;
    }
  }
}

TEST(ZlibBindingTest, EmptyStreamFitsAZeroByteBuffer) {
  for (const int mode : {15, 31, -15}) {
    const std::string stream = ZlibDeflate("", mode);
    for (const std::int32_t capacity : {0, 10}) {
      const Outcome outcome = Uncompress(stream, capacity, mode);
      EXPECT_EQ(outcome.code, 0) << "mode " << mode << ", capacity " << capacity;
      EXPECT_EQ(outcome.output, "") << "mode " << mode << ", capacity " << capacity;
    }
  }
}

// A caller that grows its buffer on -5 would never stop on a truncated
// stream, so every cut-short stream has to fail some other way.
TEST(ZlibBindingTest, TruncatedStreamIsNeverABufferError) {
  const std::string payload = Sample(3000) + RandomBytes(300, 1);
  for (const int mode : {15, 31, -15}) {
    const std::string stream = ZlibDeflate(payload, mode);
    for (std::size_t cut = 0; cut < stream.size(); ++cut) {
      const std::int32_t code =
          Uncompress(std::string_view(stream).substr(0, cut), LengthOf(payload) + 64, mode).code;
      if (!IsFailure(code)) {
        ADD_FAILURE() << "mode " << mode << ", first " << cut << " of " << stream.size()
                      << " bytes: answered " << code;
      }
    }
  }
}

TEST(ZlibBindingTest, RejectsDamagedOrMismatchedStreams) {
  const std::string payload = Sample(2000);
  const std::string zlib_stream = ZlibDeflate(payload, 15);
  const std::string gzip_member = ZlibDeflate(payload, 31);
  auto flipped = [](std::string data, std::size_t from_end, char mask) {
    data[data.size() - from_end] ^= mask;
    return data;
  };
  std::string bad_header_check = zlib_stream;
  bad_header_check[1] ^= 0x01;
  std::string reserved_block_type = zlib_stream;
  reserved_block_type[2] |= 0x06;

  struct Case {
    const char* name;
    std::string source;
    std::int32_t mode;
  };
  const Case cases[] = {
      {"zlib stream read as gzip", zlib_stream, 31},
      {"gzip member read as zlib", gzip_member, 15},
      {"zlib header check", bad_header_check, 15},
      {"reserved block type", reserved_block_type, 15},
      {"Adler-32 trailer", flipped(zlib_stream, 1, 0x01), 15},
      {"gzip CRC-32", flipped(gzip_member, 5, 0x40), 31},
      {"gzip length", flipped(gzip_member, 1, 0x01), 31},
      {"preset dictionary", ZlibDeflate(payload, 15, "строка 1 строка 2"), 15},
      {"window too small", zlib_stream, 7},
      {"raw window too small", zlib_stream, -7},
      {"window too large", zlib_stream, 100},
      {"negative window too large", zlib_stream, -16},
  };
  for (const Case& c : cases) {
    const std::int32_t code = Uncompress(c.source, LengthOf(payload) * 2, c.mode).code;
    EXPECT_TRUE(IsFailure(code)) << c.name << ": answered " << code;
  }
}

TEST(ZlibBindingTest, IgnoresBytesAfterTheStreamEnd) {
  const std::string payload = Sample(1000);
  for (const int mode : {15, 31, -15}) {
    const std::string stream = ZlibDeflate(payload, mode);
    const std::string followed = stream + std::string("\0\xFFgarbage", 9) + stream;
    for (const std::int32_t capacity : {LengthOf(payload), LengthOf(payload) * 3}) {
      const Outcome outcome = Uncompress(followed, capacity, mode);
      EXPECT_EQ(outcome.code, 0) << "mode " << mode << ", capacity " << capacity;
      EXPECT_EQ(outcome.output, payload) << "mode " << mode << ", capacity " << capacity;
    }
  }
}

// cZLIB compresses in one attempt, so a bound too small for some mode would
// make CompressString fail on that data. Bytes of 0x90 and above cost 9 bits
// each in a fixed Huffman block, which small windows can force.
TEST(ZlibBindingTest, CompressBoundHoldsForEveryMode) {
  ZlibBinding& binding = DefaultZlibBinding();
  const std::int32_t modes[] = {15, 31, -15, 9, -9, 25, 12};
  const std::int32_t sizes[] = {0, 1, 2, 3, 17, 255, 1000, 4096, 16383, 16385, 65536, 100003};
  for (const int lowest : {0, 0x90}) {
    for (const std::int32_t size : sizes) {
      const std::string data = RandomBytes(static_cast<std::size_t>(size), size, lowest);
      const std::int32_t bound = binding.compressBound(size);
      for (const std::int32_t mode : modes) {
        std::string out(static_cast<std::size_t>(bound), '\0');
        std::int32_t length = bound;
        const std::int32_t code = binding.compress(reinterpret_cast<std::uint8_t*>(out.data()),
                                                   length, BytesOf(data), size, mode);
        ASSERT_EQ(code, 0) << "mode " << mode << ", " << size << " bytes from " << lowest;
        ASSERT_LE(length, bound);
        out.resize(static_cast<std::size_t>(length));
        std::string back;
        EXPECT_TRUE(ZlibInflate(out, mode, back) && back == data)
            << "mode " << mode << ", " << size << " bytes from " << lowest;
      }
    }
  }
}

TEST(ZlibBindingTest, ChecksumsStartAndChainAsSignedValues) {
  ZlibBinding& binding = DefaultZlibBinding();
  EXPECT_EQ(binding.adler32(0, nullptr, 0), 1);
  EXPECT_EQ(binding.crc32(0, nullptr, 0), 0);

  // Carrying on from a checksum whose top bit is set must give the checksum of
  // the whole.
  const std::string digits = "123456789";
  const std::int32_t crc_head = binding.crc32(0, BytesOf(digits), 4);
  ASSERT_LT(crc_head, 0);
  EXPECT_EQ(binding.crc32(crc_head, BytesOf(digits) + 4, 5),
            static_cast<std::int32_t>(0xCBF43926u));

  const std::string ones(1000, '\xFF');
  const std::int32_t adler_head = binding.adler32(1, BytesOf(ones), 16);
  ASSERT_LT(adler_head, 0);
  EXPECT_EQ(binding.adler32(adler_head, BytesOf(ones) + 16, 984),
            static_cast<std::int32_t>(::adler32(1, BytesOf(ones), 1000)));
}

}  // namespace
}  // namespace holvane
