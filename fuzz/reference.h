// SPDX-License-Identifier: MIT
#ifndef HOLVANE_FUZZ_REFERENCE_H_
#define HOLVANE_FUZZ_REFERENCE_H_

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// What the fuzz targets hold the code to: a second, deliberately plain
// reading of the record stream, written from the format alone, and a
// single-pass inflate.
namespace holvane::fuzz {

struct ExpectedRendering {
  std::string text;                    // everything rendered before a failure
  std::optional<int> error_number;     // 62 truncated, 5 negative length
  std::optional<std::int64_t> offset;  // of the field at fault
};

ExpectedRendering RenderReference(std::string_view stream);

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

// A folder for the target's files, made once per process, when first asked
// for, and removed with its files when the process ends by returning from
// main or calling exit, as a fuzzer does when its runs are done. A crash
// leaves it, and in it the files of the input at fault.
const std::filesystem::path& ScratchFolder();

std::string ReadAll(const std::filesystem::path& path);
void WriteAll(const std::filesystem::path& path, std::string_view data);

}  // namespace holvane::fuzz

#endif  // HOLVANE_FUZZ_REFERENCE_H_
