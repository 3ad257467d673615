// SPDX-License-Identifier: MIT
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "compression/czlib.h"

namespace holvane::testing {

::testing::AssertionResult SameBytes(std::string_view actual, std::string_view expected) {
  if (actual == expected) return ::testing::AssertionSuccess();
  const auto mismatch =
      std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
  const auto at = static_cast<std::size_t>(mismatch.first - actual.begin());
  auto excerpt = [at](std::string_view bytes) {
    return ::testing::PrintToString(std::string(bytes.substr(std::min(at, bytes.size()), 16)));
  };
  return ::testing::AssertionFailure()
         << actual.size() << " bytes where " << expected.size() << " were expected, first "
         << "difference at offset " << at << ": " << excerpt(actual) << " instead of "
         << excerpt(expected);
}

::testing::AssertionResult ConcernsFile(const std::optional<RunTimeError>& error,
                                        const std::filesystem::path& path) {
  if (!error)
    return ::testing::AssertionFailure() << "no failure, where one concerning " << Utf8String(path);
  if (error->file() != path) {
    return ::testing::AssertionFailure() << "the failure concerns " << Utf8String(error->file())
                                         << ", not " << Utf8String(path) << ": " << error->what();
  }
  const std::string name = Utf8String(path.filename());
  if (std::string_view(error->what()).find(name) != std::string_view::npos) {
    return ::testing::AssertionFailure() << "the message repeats the name: " << error->what();
  }
  return ::testing::AssertionSuccess();
}

Outcome Uncompress(std::string_view source, std::int32_t capacity, std::int32_t mode) {
  return UncompressWith(
      [&](std::uint8_t* dest, std::int32_t& length) {
        return DefaultZlibBinding().uncompress(dest, length, BytesOf(source), LengthOf(source),
                                               mode);
      },
      capacity);
}

}  // namespace holvane::testing
