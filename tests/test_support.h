// SPDX-License-Identifier: MIT
#ifndef HOLVANE_TESTS_TEST_SUPPORT_H_
#define HOLVANE_TESTS_TEST_SUPPORT_H_

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/run_time_error.h"
#include "tests/test_kit.h"

// The tests' helpers that need GoogleTest. Everything else they share (the
// record stream and its reference rendering, zlib itself, TempDir, the file
// helpers, the faulty file layer) is the test kit's, included here.
namespace holvane::testing {

// What one decompression attempt answered: its code and, on 0, its output.
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

// One call of the program's binding's uncompress, on its own.
Outcome Uncompress(std::string_view source, std::int32_t capacity, std::int32_t mode);

// The RunTimeError `action` throws, or nothing when it returns normally (any
// other exception passes through and fails the test).
template <typename Action>
std::optional<RunTimeError> RunTimeErrorOf(Action&& action) {
  try {
    action();
  } catch (const RunTimeError& error) {
    return error;
  }
  return std::nullopt;
}

// Whether `actual` holds exactly the bytes `expected` does; on a mismatch it
// tells the lengths and the first differing offset instead of printing
// strings that may be megabytes long.
::testing::AssertionResult SameBytes(std::string_view actual, std::string_view expected);

// Whether `error` concerns the file at `path` (its file() is `path`) and, as
// the name is shown beside the cause, neither its cause nor what() repeats
// the file's name.
::testing::AssertionResult ConcernsFile(const std::optional<RunTimeError>& error,
                                        const std::filesystem::path& path);

}  // namespace holvane::testing

#endif  // HOLVANE_TESTS_TEST_SUPPORT_H_
