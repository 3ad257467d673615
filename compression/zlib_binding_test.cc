// SPDX-License-Identifier: MIT
#include "compression/zlib_binding.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "compression/learning_uncompression.h"
#include "tests/test_support.h"

namespace holvane {
namespace {

using ::holvane::testing::BytesOf;
using ::holvane::testing::RandomBytes;
using ::holvane::testing::Sample;
using ::holvane::testing::ZlibDeflate;
using ::holvane::testing::ZlibInflate;

std::int32_t LengthOf(std::string_view data) { return static_cast<std::int32_t>(data.size()); }

struct Outcome {
  std::int32_t code;
  std::string output;
};

// Runs `uncompress(dest, length)` into a buffer of `capacity` bytes followed
// by guard bytes, which must come back untouched whatever the answer.
template <typename Call>
Outcome UncompressWith(Call&& uncompress, std::int32_t capacity) {
  constexpr std::size_t kGuard = 64;
  constexpr std::uint8_t kGuardByte = 0xA5;
  std::vector<std::uint8_t> buffer(static_cast<std::size_t>(capacity) + kGuard, kGuardByte);
  std::int32_t length = capacity;
  const std::int32_t code = uncompress(capacity > 0 ? buffer.data() : nullptr, length);
  for (std::size_t i = static_cast<std::size_t>(capacity); i < buffer.size(); ++i) {
    if (buffer[i] != kGuardByte) {
      ADD_FAILURE() << "wrote past the buffer's " << capacity << " bytes";
      break;
    }
  }
  Outcome outcome{code, {}};
  if (code == 0) {
    EXPECT_GE(length, 0);
    EXPECT_LE(length, capacity);
    if (length >= 0 && length <= capacity) {
      outcome.output.assign(reinterpret_cast<const char*>(buffer.data()),
                            static_cast<std::size_t>(length));
    }
  }
  return outcome;
}

// One call of the binding's uncompress, on its own.
Outcome Uncompress(std::string_view source, std::int32_t capacity, std::int32_t mode) {
  return UncompressWith(
      [&](std::uint8_t* dest, std::int32_t& length) {
        return DefaultZlibBinding().uncompress(dest, length, BytesOf(source), LengthOf(source),
                                               mode);
      },
      capacity);
}

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

namespace holvane {
namespace {

// A zlib stream whose header declares a 256-byte window while its distances
// reach further back: one call into a whole buffer accepts it, decoding in
// pieces through zlib's window does not.
std::string WithSmallWindowHeader(std::string stream) {
  const auto cmf = static_cast<unsigned>(0x08);  // deflate, CINFO 0
  unsigned flg = static_cast<unsigned char>(stream[1]) & 0xC0u;
  flg += (31 - (cmf * 256 + flg) % 31) % 31;
  stream[0] = static_cast<char>(cmf);
  stream[1] = static_cast<char>(flg);
  return stream;
}

// Compresses about 5:1, so growing from three times the input takes several
// attempts, as with real files.
std::string FiveToOne() {
  std::string payload;
  for (int i = 0; payload.size() < 150000; ++i) {
    payload += Sample(40 + i % 23) + RandomBytes(3 + i % 5, static_cast<unsigned>(i));
  }
  return payload;
}

// The attempts of one decompression must answer every buffer exactly as a
// single uncompress call does, whatever they learned from the attempts before:
// the same code, and on success the same length and bytes.
TEST(ZlibBindingAttemptsTest, AnswerAsSingleCallsDo) {
  const std::string payload = FiveToOne();
  const std::string zlib_stream = ZlibDeflate(payload, 15);
  const std::string gzip_member = ZlibDeflate(payload, 31);
  std::string damaged = zlib_stream;
  damaged[damaged.size() / 2] ^= 0x10;
  std::string bad_trailer = zlib_stream;
  bad_trailer.back() ^= 0x01;

  struct Case {
    const char* name;
    std::string source;
    std::int32_t mode;
  };
  const std::vector<Case> cases = {
      {"zlib stream", zlib_stream, 15},
      {"gzip member", gzip_member, 31},
      {"raw deflate", ZlibDeflate(payload, -15), -15},
      {"zlib stream, 512-byte window", ZlibDeflate(payload, 9), 9},
      {"zlib or gzip, either", gzip_member, 47},
      {"bytes after the stream", zlib_stream + zlib_stream, 15},
      {"empty stream", ZlibDeflate("", 15), 15},
      {"cut in the middle", zlib_stream.substr(0, zlib_stream.size() / 2), 15},
      {"cut inside the trailer", zlib_stream.substr(0, zlib_stream.size() - 2), 15},
      {"gzip member cut before its length", gzip_member.substr(0, gzip_member.size() - 4), 31},
      {"damaged in the middle", damaged, 15},
      {"wrong Adler-32", bad_trailer, 15},
      {"declared window smaller than its distances", WithSmallWindowHeader(zlib_stream), 15},
      {"not a stream", RandomBytes(5000, 3), 15},
      {"window not zlib's", zlib_stream, 100},
  };
  const auto m = LengthOf(payload);
  for (const Case& c : cases) {
    const auto n = LengthOf(c.source);
    std::vector<std::int32_t> growing;
    for (std::int32_t size = 3 * n; growing.size() < 40; size += n) {
      growing.push_back(size);
      if (size > m + n) break;
    }
    const std::vector<std::vector<std::int32_t>> sequences = {
        growing,
        {0, 1, m - 1, m, m + 1, 2 * m, m - 1, 0},
        {2 * m, m, m - 1, 1, m},
        {m / 2, m / 2, m, m / 2},
    };
    // Outputs kept while learning, and none kept: libdeflate's way; each
    // attempt first offered the kept output, as UncompressString does, or not.
    for (const std::int64_t kept : {internal::kKeptOutput, std::int64_t{0}})
      for (const bool offer : {true, false})
        for (const auto& sequence : sequences) {
          const auto attempts =
              internal::BeginLearningUncompression(BytesOf(c.source), n, c.mode, kept);
          bool handed_over = false;
          for (std::size_t i = 0; i < sequence.size(); ++i) {
            const std::int32_t capacity = std::max(sequence[i], 0);
            SCOPED_TRACE(std::string(c.name) + (kept > 0 ? ", output kept" : ", nothing kept") +
                         (offer ? ", offered" : "") + ", attempt " + std::to_string(i + 1) +
                         " with " + std::to_string(capacity) + " bytes");
            const Outcome single = Uncompress(c.source, capacity, c.mode);
            if (offer) {
              if (const auto output = attempts->takeOutput(capacity)) {
                ASSERT_EQ(single.code, 0);
                ASSERT_TRUE(*output == single.output);
                handed_over = true;
                continue;
              }
              // A kept output goes to the first attempt that holds it.
              ASSERT_FALSE(kept > 0 && single.code == 0 && !handed_over);
            }
            const Outcome attempt = UncompressWith(
                [&](std::uint8_t* dest, std::int32_t& length) {
                  return attempts->uncompress(dest, length);
                },
                capacity);
            ASSERT_EQ(attempt.code, single.code);
            ASSERT_EQ(attempt.output.size(), single.output.size());
            ASSERT_TRUE(attempt.output == single.output);
          }
        }
  }
}

// The cases above only test something if they reach the paths they are
// meant for: a valid stream that needs several attempts, and the small
// window, which a single call accepts.
TEST(ZlibBindingAttemptsTest, CasesReachTheirPaths) {
  const std::string payload = FiveToOne();
  const std::string stream = ZlibDeflate(payload, 15);
  EXPECT_GT(payload.size(), 4 * stream.size());
  const Outcome small_window = Uncompress(WithSmallWindowHeader(stream), LengthOf(payload), 15);
  EXPECT_EQ(small_window.code, 0);
  EXPECT_TRUE(small_window.output == payload);
}

}  // namespace
}  // namespace holvane
