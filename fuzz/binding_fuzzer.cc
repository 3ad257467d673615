// SPDX-License-Identifier: MIT
// The binding's attempts against single uncompress calls, on any input, in
// any mode (read as ReadCompressedInput describes). Whatever an attempt
// learned from the ones before it, and whichever decoder it then used, each
// must answer exactly as one plain call with the same buffer size: the same
// code, and on success the same length and bytes.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "compression/czlib.h"
#include "compression/inflate.h"
#include "fuzz/fuzz_support.h"
#include "tests/test_kit.h"

namespace {

// Larger outputs are left out, as in the uncompress target.
constexpr std::size_t kOutputLimit = 1 << 20;
constexpr std::size_t kMaxRatio = 64;

using holvane::testing::Check;

struct Answer {
  std::int32_t code;
  std::string output;
};

template <typename Call>
Answer Run(Call&& uncompress, std::int32_t capacity) {
  // A byte more than asked for, to catch a write past the buffer's end.
  const auto buffer = std::make_unique<std::uint8_t[]>(static_cast<std::size_t>(capacity) + 1);
  buffer[static_cast<std::size_t>(capacity)] = 0xA5;
  std::int32_t length = capacity;
  Answer answer{uncompress(buffer.get(), length), {}};
  Check(buffer[static_cast<std::size_t>(capacity)] == 0xA5);
  if (answer.code == 0) {
    Check(length >= 0 && length <= capacity);
    answer.output.assign(reinterpret_cast<const char*>(buffer.get()),
                         static_cast<std::size_t>(length));
  }
  return answer;
}

// The buffer sizes to try, in order: those UncompressString would try, and
// then, as the last input byte chooses, sizes just around the output's
// length, in one of several orders.
std::vector<std::int32_t> SizesFor(std::int64_t n, std::int64_t m, std::uint8_t choice) {
  std::vector<std::int64_t> sizes;
  for (std::int64_t size = 3 * n; sizes.size() < 24; size += std::max<std::int64_t>(n, 1)) {
    sizes.push_back(size);
    if (size > m + n) break;
  }
  switch (choice % 4) {
    case 0:
      break;
    case 1:
      sizes.insert(sizes.end(), {m - 1, m, m + 1, 0, m - 1});
      break;
    case 2:
      sizes.assign({m + 1, m, m - 1, m / 2, m});
      break;
    case 3:
      sizes.assign({m / 2, m / 2, m, 1, 0});
      break;
  }
  std::vector<std::int32_t> result;
  for (std::int64_t size : sizes) {
    result.push_back(static_cast<std::int32_t>(std::clamp<std::int64_t>(size, 0, 4 << 20)));
  }
  return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto read = holvane::fuzz::ReadCompressedInput(data, size);
  if (!read) return 0;
  const std::string& input = read->input;
  const auto expected = holvane::fuzz::InflateOnce(
      input, read->mode,
      std::min(kOutputLimit, kMaxRatio * std::max<std::size_t>(input.size(), 1)));
  if (expected.outcome == holvane::fuzz::Inflated::kTooLarge) return 0;
  // An invalid stream's output length is unknown; a few times its input
  // covers where it would have ended.
  const std::int64_t m = expected.outcome == holvane::fuzz::Inflated::kValid
                             ? static_cast<std::int64_t>(expected.output.size())
                             : 4 * static_cast<std::int64_t>(input.size());

  holvane::ZlibBinding& binding = holvane::DefaultZlibBinding();
  const auto* source = reinterpret_cast<const std::uint8_t*>(input.data());
  const auto n = static_cast<std::int32_t>(input.size());
  // The last byte chooses the sizes, whether the output learned on the way
  // is kept for the attempt that fits, or that attempt decodes again, and
  // whether each attempt is first offered the kept output.
  const std::uint8_t choice = size > 0 ? data[size - 1] : 0;
  holvane::internal::InflateAttempts attempts(
      source, n, read->mode, (choice >> 2) & 1 ? holvane::internal::kKeptOutput : 0);
  const bool offer = (choice >> 3) & 1;
  for (const std::int32_t capacity : SizesFor(n, m, choice)) {
    const Answer single = Run(
        [&](std::uint8_t* dest, std::int32_t& length) {
          return binding.uncompress(dest, length, source, n, read->mode);
        },
        capacity);
    if (offer) {
      if (const auto output = attempts.TakeOutput(capacity)) {
        Check(single.code == 0 && *output == single.output);
        continue;
      }
    }
    const Answer attempt = Run(
        [&](std::uint8_t* dest, std::int32_t& length) { return attempts.Uncompress(dest, length); },
        capacity);
    Check(attempt.code == single.code);
    Check(attempt.output == single.output);
    if (single.code == 0) {
      Check(expected.outcome == holvane::fuzz::Inflated::kValid);
      Check(single.output == expected.output);
    }
  }
  return 0;
}
