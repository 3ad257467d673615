// SPDX-License-Identifier: MIT
// The editable form's reader over any text: the first byte chooses the
// encoding (even UTF-8, odd code page 1251), the rest is the text. What it
// accepts is packed, converted back to the editable form and read again: the
// same record stream, one line an entry; what it refuses is told within the
// lines the text has.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>

#include "compression/czlib.h"
#include "conversion/convert_file.h"
#include "conversion/editable_form.h"
#include "conversion/pack.h"
#include "tests/test_kit.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using holvane::testing::Check;
  if (size == 0) return 0;
  const holvane::TextEncoding encoding =
      data[0] % 2 == 0 ? holvane::TextEncoding::kUtf8 : holvane::TextEncoding::kCp1251;
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  const holvane::EditableReading reading = holvane::ReadEditable(text, encoding);
  const auto lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
  if (reading.fault_count > 0) {
    Check(reading.stream.empty());
    Check(reading.faults.size() == std::min(reading.fault_count, holvane::kReportedFaults));
    for (const holvane::LineFault& fault : reading.faults) {
      Check(fault.line >= 1 && fault.line <= lines && fault.column >= 1 && !fault.cause.empty());
    }
    return 0;
  }
  std::optional<holvane::cZLIB> zlib;
  const std::string packed = holvane::PackRecordStream(reading.stream, zlib);
  holvane::testing::MemoryFileSystem files;
  auto target = files.CreateForWriting("out", holvane::testing::kOwnerReadWrite);
  holvane::ConvertContent(packed, *target, zlib,
                          {encoding, holvane::LineBreak::kLf, holvane::TextLayout::kEditable});
  const std::string written = *files.Get("out");
  const holvane::EditableReading again = holvane::ReadEditable(written, encoding);
  Check(again.fault_count == 0 && again.stream == reading.stream);
  // One line an entry: each entry takes 8 bytes of the stream.
  std::size_t entries = 0;
  for (std::size_t at = 0; at < reading.stream.size(); ++entries) {
    std::uint32_t length = 0;
    for (int i = 3; i >= 0; --i) {
      length = length * 256 +
               static_cast<unsigned char>(reading.stream[at + static_cast<std::size_t>(i)]);
    }
    at += 8 + length;
  }
  Check(static_cast<std::size_t>(std::count(written.begin(), written.end(), '\n')) == entries);
  return 0;
}
