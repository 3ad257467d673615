// SPDX-License-Identifier: MIT
#ifndef HOLVANE_TESTS_TEST_SUPPORT_H_
#define HOLVANE_TESTS_TEST_SUPPORT_H_

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/run_time_error.h"

namespace holvane::testing {

// Read and write for the owner alone: the permissions tests give the files
// they write through the file layer.
inline constexpr std::filesystem::perms kOwnerReadWrite =
    std::filesystem::perms::owner_read | std::filesystem::perms::owner_write;

// A fresh, empty folder under the system's temporary folder, removed with
// everything in it when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::filesystem::path& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// One entry of a record stream, for building streams in tests.
struct Entry {
  std::string text;
  std::int32_t flag;
};

// The record stream of `entries`: each a 32-bit little-endian length, the
// text bytes and a 32-bit little-endian flag.
std::string RecordStream(std::initializer_list<Entry> entries);
std::string RecordStream(const std::vector<Entry>& entries);

// The text `entries` render to, worked out here from the marker rules rather
// than by the renderer: "-" for flag 0, "+" for -1, "?" CR LF for any other
// flag, then the text bytes and CR LF.
std::string RenderedText(const std::vector<Entry>& entries);

// A signed 32-bit value as its four little-endian bytes.
std::string Int32Bytes(std::int32_t value);

// `data` compressed as a zlib stream (windowBits 15) with zlib itself, not
// through the code under test.
std::string ZlibCompress(std::string_view data);

// `data` compressed with zlib itself in the format `window_bits` names
// (deflateInit2), with a preset dictionary when one is given. Streams made so
// do not pass through the binding, so a fault in its compress cannot hide
// one in its uncompress.
std::string ZlibDeflate(std::string_view data, int window_bits, std::string_view dictionary = {});

// zlib's own inflate of `source` into `output`; false unless the whole
// stream was there and valid.
bool ZlibInflate(std::string_view source, int window_bits, std::string& output);

// `size` pseudo-random bytes from `seed`, none below `lowest`.
std::string RandomBytes(std::size_t size, unsigned seed, int lowest = 0);

// `size` compressible bytes, with zero bytes and bytes of 0x80 and above in
// them.
std::string Sample(std::size_t size);

inline const std::uint8_t* BytesOf(std::string_view data) {
  return reinterpret_cast<const std::uint8_t*>(data.data());
}

inline std::int32_t LengthOf(std::string_view data) {
  return static_cast<std::int32_t>(data.size());
}

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

std::string ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, std::string_view data);

}  // namespace holvane::testing

#endif  // HOLVANE_TESTS_TEST_SUPPORT_H_
