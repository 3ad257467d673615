// SPDX-License-Identifier: MIT
// UncompressString on any input, in any mode, checked against a single-pass
// inflate. The input is read as ReadCompressedInput describes.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>

#include "compression/czlib.h"
#include "fuzz/fuzz_support.h"
#include "tests/test_kit.h"

namespace {

using holvane::testing::Check;

// Past this the growing attempts would spend seconds on one input; such
// inputs are left out rather than slowing every run.
constexpr std::size_t kOutputLimit = 1 << 20;
constexpr std::size_t kMaxRatio = 64;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto read = holvane::fuzz::ReadCompressedInput(data, size);
  if (!read) return 0;
  const int mode = read->mode;
  const std::string& input = read->input;
  const std::optional<std::string>& plain = read->plain;

  const auto expected = holvane::fuzz::InflateOnce(
      input, mode, std::min(kOutputLimit, kMaxRatio * std::max<std::size_t>(input.size(), 1)));
  if (expected.outcome == holvane::fuzz::Inflated::kTooLarge) return 0;

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
