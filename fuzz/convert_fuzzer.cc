// SPDX-License-Identifier: MIT
// ConvertFile end to end on real files. The first byte's low bit chooses
// whether the rest is compressed here first (so that it reaches the record
// stream) or taken as the file's bytes as they are. Whatever happens, the
// input keeps its bytes; a file that does not decompress leaves nothing
// behind; one that does leaves exactly the text the plain reading in
// reference.cc gives, with the temporary file kept only on a failure.
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "common/run_time_error.h"
#include "conversion/convert_file.h"
#include "fuzz/reference.h"

namespace {

constexpr std::size_t kOutputLimit = 1 << 20;

void Check(bool condition) {
  if (!condition) std::abort();
}

std::string ZlibCompress(const std::string& plain) {
  uLongf length = compressBound(static_cast<uLong>(plain.size()));
  std::string out(length, '\0');
  if (compress(reinterpret_cast<Bytef*>(out.data()), &length,
               reinterpret_cast<const Bytef*>(plain.data()),
               static_cast<uLong>(plain.size())) != Z_OK) {
    std::abort();
  }
  out.resize(length);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  std::string input(reinterpret_cast<const char*>(data + 1), size - 1);
  if (data[0] & 1) input = ZlibCompress(input);

  const auto expected_content = holvane::fuzz::InflateOnce(input, 15, kOutputLimit);
  if (expected_content.outcome == holvane::fuzz::Inflated::kTooLarge) return 0;

  const std::filesystem::path folder = holvane::fuzz::ScratchFolder();
  const std::filesystem::path name = "input.wvl";
  const auto input_path = folder / name;
  const auto temporary = holvane::TemporaryPathFor(input_path);
  const auto output = holvane::OutputPathFor(input_path);
  std::filesystem::remove(temporary);
  std::filesystem::remove(output);
  holvane::fuzz::WriteAll(input_path, input);

  static std::optional<holvane::cZLIB> zlib;
  std::optional<holvane::RunTimeError> failure;
  try {
    holvane::ConvertFile(folder, name, zlib);
  } catch (const holvane::RunTimeError& error) {
    failure = error;
  }

  Check(holvane::fuzz::ReadAll(input_path) == input);
  const bool decompresses =
      input.empty() || expected_content.outcome == holvane::fuzz::Inflated::kValid;
  if (!decompresses) {
    Check(failure.has_value());
    Check(!std::filesystem::exists(temporary) && !std::filesystem::exists(output));
    return 0;
  }
  const std::string content = input.empty() ? std::string() : expected_content.output;
  const auto expected = holvane::fuzz::RenderReference(content);
  Check(holvane::fuzz::ReadAll(output) == expected.text);
  Check(failure.has_value() == expected.error_number.has_value());
  if (failure) {
    Check(failure->code() == *expected.error_number && failure->offset() == expected.offset);
    Check(holvane::fuzz::ReadAll(temporary) == content);
  } else {
    Check(!std::filesystem::exists(temporary));
  }
  return 0;
}
