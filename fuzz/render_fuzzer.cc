// SPDX-License-Identifier: MIT
// RenderRecordStream over any record stream, held in a real file as the
// conversion holds it, checked against the plain reading in reference.cc: the
// same text, and on a failure the same error number and offset with exactly
// the entries before it written.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/run_time_error.h"
#include "conversion/file_system.h"
#include "conversion/record_stream.h"
#include "fuzz/reference.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using holvane::fuzz::ScratchFolder;
  const std::string stream(reinterpret_cast<const char*>(data), size);
  const auto source_path = ScratchFolder() / "stream.tmp";
  const auto target_path = ScratchFolder() / "stream.txt";
  holvane::fuzz::WriteAll(source_path, stream);

  holvane::FileSystem& file_system = holvane::DefaultFileSystem();
  std::optional<holvane::RunTimeError> failure;
  {
    auto source = file_system.OpenForReading(source_path);
    auto target = file_system.CreateForWriting(
        target_path, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    try {
      holvane::RenderRecordStream(*source, *target);
    } catch (const holvane::RunTimeError& error) {
      failure = error;
    }
    target->Close();
    source->Close();
  }

  const auto expected = holvane::fuzz::RenderReference(stream);
  if (holvane::fuzz::ReadAll(target_path) != expected.text) std::abort();
  if (failure.has_value() != expected.error_number.has_value()) std::abort();
  if (failure &&
      (failure->code() != *expected.error_number || failure->offset() != expected.offset)) {
    std::abort();
  }
  return 0;
}
