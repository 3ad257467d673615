// SPDX-License-Identifier: MIT
// The catalogue readers over any text: the first byte chooses the form (even
// PO, odd CSV), the rest is the catalogue. What a reader refuses is told
// within the lines the text has; what it accepts is written in its form,
// read again to the same entries, and applied without fault.
#include <algorithm>
#include <cstdint>
#include <string>

#include "conversion/catalogue.h"
#include "tests/test_kit.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using holvane::testing::Check;
  if (size == 0) return 0;
  const bool csv = data[0] % 2 == 1;
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  const holvane::CatalogueReading reading = csv ? holvane::ReadCsv(text) : holvane::ReadPo(text);
  const auto lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
  if (reading.fault_count > 0) {
    Check(reading.entries.empty());
    Check(reading.faults.size() == std::min(reading.fault_count, holvane::kReportedFaults));
    for (const holvane::LineFault& fault : reading.faults) {
      Check(fault.line >= 1 && fault.line <= lines && fault.column >= 1 && !fault.cause.empty());
    }
    return 0;
  }
  const std::string written = csv ? holvane::WriteCsv(reading.entries)
                                  : holvane::WritePo(reading.entries, holvane::CatalogueDate(0));
  const holvane::CatalogueReading again =
      csv ? holvane::ReadCsv(written) : holvane::ReadPo(written);
  Check(again.fault_count == 0);
  // CSV has no place for an obsolete entry or a context, and leaves them out.
  std::size_t kept = 0;
  for (const holvane::CatalogueEntry& entry : reading.entries) {
    if (csv && (entry.obsolete || entry.context)) continue;
    Check(kept < again.entries.size());
    const holvane::CatalogueEntry& read = again.entries[kept++];
    Check(read.source == entry.source && read.translation == entry.translation &&
          read.fuzzy == entry.fuzzy && read.obsolete == entry.obsolete &&
          read.context == entry.context && read.references == entry.references);
  }
  Check(kept == again.entries.size());
  // Every usable translation has its bytes: applying it cannot fail.
  holvane::Translations translations(again.entries);
  holvane::ApplyCounts counts;
  std::vector<holvane::Record> records;
  for (const holvane::CatalogueEntry& entry : again.entries) records.push_back({entry.source, 0});
  records = translations.Apply(std::move(records), counts);
  Check(records.size() == again.entries.size());
  return 0;
}
