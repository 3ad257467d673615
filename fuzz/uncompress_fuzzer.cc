// UncompressString on any input, in any mode. The first byte picks the mode.
// When the second byte's low bit is set, the rest is taken as plain bytes:
// compressed here and padded so that the input's length stands in a chosen
// relation to the output's (exactly 3n, 4n, ... or one byte to either side),
// which drives the buffer growth through its boundaries. Otherwise the rest is
// the compressed input itself.
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "compression/czlib.h"
#include "fuzz/reference.h"

namespace {

constexpr int kModes[] = {15, 31, -15, 9, 47, 0, 7, 25, -8, 100};

// Past this the growing attempts would spend seconds on one input; such
// inputs are left out rather than slowing every run.
constexpr std::size_t kOutputLimit = 1 << 20;
constexpr std::size_t kMaxRatio = 64;

std::string Compress(const std::string& plain, int mode) {
  z_stream stream{};
  if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, mode, 8, Z_DEFAULT_STRATEGY) !=
      Z_OK) {
    return {};
  }
  std::string out(deflateBound(&stream, plain.size()), '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(plain.data()));
  stream.avail_in = static_cast<uInt>(plain.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  const int result = deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  if (result != Z_STREAM_END) std::abort();
  return out;
}

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const int mode = kModes[data[0] % std::size(kModes)];
  const std::uint8_t shape = data[1];
  std::string input(reinterpret_cast<const char*>(data + 2), size - 2);

  std::optional<std::string> plain;
  if (shape & 1) {
    if (mode != 15 && mode != 31 && mode != -15) return 0;
    plain = input;
    input = Compress(input, mode);
    // Pad after the stream's end (ignored by inflate) towards m = k * n + d.
    const std::int64_t k = 3 + (shape >> 1) % 4;
    const std::int64_t d = static_cast<std::int64_t>((shape >> 3) % 3) - 1;
    const std::int64_t m = static_cast<std::int64_t>(plain->size());
    const std::int64_t n = (m - d) / k;
    if (n > static_cast<std::int64_t>(input.size()))
      input.resize(static_cast<std::size_t>(n), '\x5a');
  }

  const auto expected = holvane::fuzz::InflateOnce(input, mode, kOutputLimit);
  if (expected.outcome == holvane::fuzz::Inflated::kTooLarge ||
      expected.output.size() > kMaxRatio * std::max<std::size_t>(input.size(), 1)) {
    return 0;
  }

  std::string data_in_place = input;
  const holvane::cZLIB zlib;
  const std::int32_t result = zlib.UncompressString(data_in_place, mode);
  Check(result == 0 || result == -1 || result == 6 || result == 7 || result == 9);
  if (expected.outcome == holvane::fuzz::Inflated::kValid) Check(result == 0);
  if (result != 0) {
    Check(data_in_place == input);
    Check(!plain.has_value());  // a stream made here always decompresses
    return 0;
  }
  if (input.empty()) {
    Check(data_in_place.empty());
    return 0;
  }
  Check(expected.outcome == holvane::fuzz::Inflated::kValid);
  Check(data_in_place == expected.output);
  if (plain) Check(data_in_place == *plain);
  return 0;
}
