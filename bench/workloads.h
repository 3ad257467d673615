// SPDX-License-Identifier: MIT
#ifndef HOLVANE_BENCH_WORKLOADS_H_
#define HOLVANE_BENCH_WORKLOADS_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The record streams the benchmarks measure. Entries are written, and
// streams compressed, files written and temporary folders made, by the test
// kit (tests/test_kit.h).
namespace holvane::bench {

// The kinds of content the measurements run over. Every one is made from a
// fixed seed, so two runs measure the same bytes.
enum class Workload {
  kShortEntries,    // word lists: 1 to 5 made-up Russian words per entry
  kLongEntries,     // paragraphs of 4 to 64 KiB of the same words
  kIncompressible,  // entries of 16 to 255 random bytes
};

std::string_view NameOf(Workload workload);

// Parses "short", "long" or "incompressible"; throws std::invalid_argument.
Workload WorkloadNamed(std::string_view name);

// A record stream of whole entries, in code page 1251, whose text (as the
// conversion renders it) is at least `output_bytes` long: one entry more at
// most.
std::string MakeRecordStream(Workload workload, std::size_t output_bytes, std::uint32_t seed = 1);

}  // namespace holvane::bench

#endif  // HOLVANE_BENCH_WORKLOADS_H_
