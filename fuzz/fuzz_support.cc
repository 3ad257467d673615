// SPDX-License-Identifier: MIT
#include "fuzz/fuzz_support.h"

#include <zlib.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <optional>
#include <utility>

#include "tests/test_kit.h"

namespace holvane::fuzz {

namespace {

constexpr int kModes[] = {15, 31, -15, 9, 47, 0, 7, 25, -8, 100};

// One inflate call of `input` into a buffer of `room` bytes: its output, or
// nothing when the buffer ran full first.
std::optional<Inflated> InflateInto(std::string_view input, int mode, std::size_t room) {
  z_stream stream{};
  if (inflateInit2(&stream, mode) != Z_OK) return Inflated{Inflated::kInvalid, {}};
  const auto buffer = std::make_unique_for_overwrite<Bytef[]>(room);
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
  stream.avail_in = static_cast<uInt>(input.size());
  stream.next_out = buffer.get();
  stream.avail_out = static_cast<uInt>(room);
  const int result = inflate(&stream, Z_FINISH);
  const std::size_t produced = stream.total_out;
  inflateEnd(&stream);
  if (result == Z_STREAM_END) {
    return Inflated{Inflated::kValid,
                    std::string(reinterpret_cast<const char*>(buffer.get()), produced)};
  }
  if (produced == room) return std::nullopt;
  return Inflated{Inflated::kInvalid, {}};
}

}  // namespace

Inflated InflateOnce(std::string_view input, int mode, std::size_t limit) {
  // One call into one buffer: decoding in pieces would judge distances
  // against zlib's window, which a stream's header may declare smaller than
  // the whole output a single call can look back into. A small buffer is
  // tried first, as most inputs need little room and a large one costs a
  // fresh mapping on every call.
  const std::size_t small =
      std::min(limit + 1, std::max<std::size_t>(64 * 1024, 16 * input.size()));
  if (auto inflated = InflateInto(input, mode, small)) return *std::move(inflated);
  if (small == limit + 1) return {Inflated::kTooLarge, {}};
  if (auto inflated = InflateInto(input, mode, limit + 1)) return *std::move(inflated);
  return {Inflated::kTooLarge, {}};
}

std::optional<CompressedInput> ReadCompressedInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return std::nullopt;
  const int mode = kModes[data[0] % std::size(kModes)];
  const std::uint8_t shape = data[1];
  std::string input(reinterpret_cast<const char*>(data + 2), size - 2);

  std::optional<std::string> plain;
  if (shape & 1) {
    if (mode != 15 && mode != 31 && mode != -15) return std::nullopt;
    plain = input;
    input = testing::ZlibDeflate(input, mode);
    // Pad after the stream's end (ignored by inflate) towards m = k * n + d.
    const std::int64_t k = 3 + (shape >> 1) % 4;
    const std::int64_t d = static_cast<std::int64_t>((shape >> 3) % 3) - 1;
    const std::int64_t m = static_cast<std::int64_t>(plain->size());
    const std::int64_t n = (m - d) / k;
    if (n > static_cast<std::int64_t>(input.size()))
      input.resize(static_cast<std::size_t>(n), '\x5a');
  }

  return CompressedInput{mode, std::move(input), std::move(plain)};
}

const std::filesystem::path& ScratchFolder() {
  // Destroyed as the process ends, as every static object is, and only by the
  // process that made it.
  static const testing::TempDir scratch("holvane-fuzz", testing::TempDir::Place::kMemoryIfPossible);
  return scratch.path();
}

}  // namespace holvane::fuzz
