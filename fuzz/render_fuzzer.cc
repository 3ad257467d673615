// SPDX-License-Identifier: MIT
// RenderRecordStream over any record stream, held in a real file as the
// conversion holds it, checked against the plain reading in tests/test_kit.cc: the
// same text, and on a failure the same error number and offset with exactly
// the entries before it written.
#include <cstdint>
#include <filesystem>
#include <string>

#include "common/file_system.h"
#include "common/run_time_error.h"
#include "conversion/record_stream.h"
#include "fuzz/fuzz_support.h"
#include "tests/test_kit.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using holvane::fuzz::ScratchFolder;
  using holvane::testing::Check;
  const std::string stream(reinterpret_cast<const char*>(data), size);
  const auto source_path = ScratchFolder() / "stream.tmp";
  const auto target_path = ScratchFolder() / "stream.txt";
  holvane::testing::WriteFileBytes(source_path, stream);

  holvane::FileSystem& file_system = holvane::DefaultFileSystem();
  std::optional<holvane::RunTimeError> failure;
  {
    auto source = file_system.OpenForReading(source_path);
    auto target = file_system.CreateForWriting(target_path, holvane::testing::kOwnerReadWrite);
    try {
      holvane::RenderRecordStream(*source, *target);
    } catch (const holvane::RunTimeError& error) {
      failure = error;
    }
    target->Close();
    source->Close();
  }

  const auto expected = holvane::testing::RenderReference(stream);
  Check(holvane::testing::ReadFileBytes(target_path) == expected.text);
  Check(failure.has_value() == expected.error_number.has_value());
  Check(!failure ||
        (failure->code() == *expected.error_number && failure->offset() == expected.offset));
  return 0;
}
