// SPDX-License-Identifier: MIT
#ifndef HOLVANE_FUZZ_FUZZ_SUPPORT_H_
#define HOLVANE_FUZZ_FUZZ_SUPPORT_H_

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// What only the fuzz targets need. The reference they hold the conversion to
// (RenderReference), zlib itself and the file helpers are the test kit's
// (tests/test_kit.h), shared with the tests.
namespace holvane::fuzz {

struct Inflated {
  enum Outcome { kValid, kInvalid, kTooLarge } outcome;
  std::string output;  // when kValid
};

// One inflate of `input` with windowBits `mode` into a buffer of `limit` + 1
// bytes, in one call as the binding makes it: its whole output, or why there
// is none (invalid or truncated stream, or more than `limit` bytes).
Inflated InflateOnce(std::string_view input, int mode, std::size_t limit);

// An input of the uncompress and binding targets. The first byte picks the
// mode. When the second byte's low bit is set, the rest is taken as plain
// bytes: compressed here and padded so that the input's length stands in a
// chosen relation to the output's (exactly 3n, 4n, ... or one byte to either
// side), which drives the buffer growth through its boundaries. Otherwise the
// rest is the compressed input itself.
struct CompressedInput {
  int mode;
  std::string input;
  std::optional<std::string> plain;  // what `input` was made from, if made here
};

// Nothing for inputs too short to read, or plain bytes in a mode that cannot
// be compressed to.
std::optional<CompressedInput> ReadCompressedInput(const std::uint8_t* data, std::size_t size);

// A folder for the target's files (in memory where /dev/shm allows), made
// once per process, when first asked for, and removed with its files when the
// process ends by returning from main or calling exit, as a fuzzer does when
// its runs are done. A crash leaves it, and in it the files of the input at
// fault.
const std::filesystem::path& ScratchFolder();

}  // namespace holvane::fuzz

#endif  // HOLVANE_FUZZ_FUZZ_SUPPORT_H_
