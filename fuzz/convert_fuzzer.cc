// SPDX-License-Identifier: MIT
// ConvertFile end to end on real files. The first byte's low bit chooses
// whether the rest is compressed here first (so that it reaches the record
// stream) or taken as the file's bytes as they are. Whatever happens, the
// input keeps its bytes; a file that does not decompress leaves nothing
// behind; one that does leaves exactly the text the plain reading in
// tests/test_kit.cc gives, with the temporary file kept only on a failure.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "common/run_time_error.h"
#include "conversion/convert_file.h"
#include "fuzz/fuzz_support.h"
#include "tests/test_kit.h"

namespace {

constexpr std::size_t kOutputLimit = 1 << 20;

using holvane::testing::Check;
using holvane::testing::ReadFileBytes;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  std::string input(reinterpret_cast<const char*>(data + 1), size - 1);
  if (data[0] & 1) input = holvane::testing::ZlibCompress(input);

  const auto expected_content = holvane::fuzz::InflateOnce(input, 15, kOutputLimit);
  if (expected_content.outcome == holvane::fuzz::Inflated::kTooLarge) return 0;

  const std::filesystem::path folder = holvane::fuzz::ScratchFolder();
  const std::filesystem::path name = "input.wvl";
  const auto input_path = folder / name;
  const auto temporary = holvane::TemporaryPathFor(input_path);
  const auto output = holvane::OutputPathFor(input_path);
  std::filesystem::remove(temporary);
  std::filesystem::remove(output);
  holvane::testing::WriteFileBytes(input_path, input);

  static std::optional<holvane::cZLIB> zlib;
  std::optional<holvane::RunTimeError> failure;
  try {
    holvane::ConvertFile(folder, name, zlib);
  } catch (const holvane::RunTimeError& error) {
    failure = error;
  }

  Check(ReadFileBytes(input_path) == input);
  const bool decompresses =
      input.empty() || expected_content.outcome == holvane::fuzz::Inflated::kValid;
  if (!decompresses) {
    Check(failure.has_value());
    Check(!std::filesystem::exists(temporary) && !std::filesystem::exists(output));
    return 0;
  }
  const std::string content = input.empty() ? std::string() : expected_content.output;
  const auto expected = holvane::testing::RenderReference(content);
  Check(ReadFileBytes(output) == expected.text);
  Check(failure.has_value() == expected.error_number.has_value());
  if (failure) {
    Check(failure->code() == *expected.error_number && failure->offset() == expected.offset);
    Check(ReadFileBytes(temporary) == content);
  } else {
    Check(!std::filesystem::exists(temporary));
  }
  return 0;
}
