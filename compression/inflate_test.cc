// SPDX-License-Identifier: MIT
#include "compression/inflate.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/test_support.h"

namespace holvane {
namespace {

using namespace ::holvane::testing;  // the test kit and its GoogleTest helpers

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
// single uncompress call does, whatever the one decoding showed:
// the same code, and on success the same length and bytes.
TEST(InflateAttemptsTest, AnswerAsSingleCallsDo) {
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
    // Outputs kept from the one decoding, and none kept: libdeflate's way; each
    // attempt first offered the kept output, as UncompressString does, or not.
    for (const std::int64_t kept : {internal::kKeptOutput, std::int64_t{0}})
      for (const bool offer : {true, false})
        for (const auto& sequence : sequences) {
          internal::InflateAttempts attempts(BytesOf(c.source), n, c.mode, kept);
          bool handed_over = false;
          for (std::size_t i = 0; i < sequence.size(); ++i) {
            const std::int32_t capacity = std::max(sequence[i], 0);
            SCOPED_TRACE(std::string(c.name) + (kept > 0 ? ", output kept" : ", nothing kept") +
                         (offer ? ", offered" : "") + ", attempt " + std::to_string(i + 1) +
                         " with " + std::to_string(capacity) + " bytes");
            const Outcome single = Uncompress(c.source, capacity, c.mode);
            if (offer) {
              if (const auto output = attempts.TakeOutput(capacity)) {
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
                  return attempts.Uncompress(dest, length);
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
TEST(InflateAttemptsTest, CasesReachTheirPaths) {
  const std::string payload = FiveToOne();
  const std::string stream = ZlibDeflate(payload, 15);
  EXPECT_GT(payload.size(), 4 * stream.size());
  const Outcome small_window = Uncompress(WithSmallWindowHeader(stream), LengthOf(payload), 15);
  EXPECT_EQ(small_window.code, 0);
  EXPECT_TRUE(small_window.output == payload);
}

}  // namespace
}  // namespace holvane
