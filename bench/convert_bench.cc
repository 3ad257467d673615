// SPDX-License-Identifier: MIT
// The conversion and its parts, each beside the floor for decompression: one
// zlib inflate of the same input into a buffer of the right size.
//
//   cmake --build build --target holvane_convert_bench
//   build/bench/holvane_convert_bench --benchmark_repetitions=3
//
// bench/report.py turns the JSON output (--benchmark_format=json) into the
// table in docs/performance.md. Arguments of each benchmark: the workload (0
// short entries, 1 long entries, 2 incompressible) and the size of the
// rendered text in MiB. Bytes per second are of rendered text.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <filesystem>
#include <map>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include "bench/workloads.h"
#include "common/file_system.h"
#include "compression/czlib.h"
#include "conversion/convert_file.h"
#include "conversion/record_stream.h"
#include "tests/test_kit.h"

namespace {

using holvane::bench::Workload;

// One input, made once per process and kept on disk (in the page cache)
// under the benchmark's temporary folder.
struct Input {
  std::filesystem::path folder;
  std::string name;        // the .wvl file in `folder`
  std::string stream;      // the record stream it holds
  std::string compressed;  // the file's bytes
  std::int64_t output_bytes = 0;
};

// Removed, with the inputs in it, as the process ends.
const std::filesystem::path& BenchFolder() {
  static const holvane::testing::TempDir folder("holvane-bench");
  return folder.path();
}

const Input& InputFor(const benchmark::State& state) {
  static std::map<std::pair<std::int64_t, std::int64_t>, Input> inputs;
  const auto key = std::make_pair(state.range(0), state.range(1));
  auto found = inputs.find(key);
  if (found != inputs.end()) return found->second;

  const auto workload = static_cast<Workload>(state.range(0));
  Input input;
  input.folder = BenchFolder();
  input.name =
      std::string(holvane::bench::NameOf(workload)) + "-" + std::to_string(state.range(1)) + ".wvl";
  input.stream =
      holvane::bench::MakeRecordStream(workload, static_cast<std::size_t>(state.range(1)) << 20);
  input.compressed = holvane::testing::ZlibCompress(input.stream);
  holvane::testing::WriteFileBytes(input.folder / input.name, input.compressed);
  // The rendered size, from the conversion itself.
  std::optional<holvane::cZLIB> zlib;
  holvane::ConvertFile(input.folder, input.name, zlib);
  input.output_bytes = static_cast<std::int64_t>(
      std::filesystem::file_size(holvane::OutputPathFor(input.folder / input.name)));
  return inputs.emplace(key, std::move(input)).first->second;
}

void SetCounters(benchmark::State& state, const Input& input) {
  state.SetBytesProcessed(state.iterations() * input.output_bytes);
  state.SetLabel(std::string(holvane::bench::NameOf(static_cast<Workload>(state.range(0)))));
  state.counters["output_MiB"] = static_cast<double>(input.output_bytes) / (1 << 20);
  state.counters["input_MiB"] = static_cast<double>(input.compressed.size()) / (1 << 20);
  state.counters["stream_MiB"] = static_cast<double>(input.stream.size()) / (1 << 20);
}

// One file's conversion, end to end: read, decompress, temporary file,
// rendering, removal.
void BM_ConvertFile(benchmark::State& state) {
  const Input& input = InputFor(state);
  std::optional<holvane::cZLIB> zlib;
  const std::filesystem::path text = holvane::OutputPathFor(input.folder / input.name);
  for (auto _ : state) {
    // Each conversion writes a new text file, as the first conversion of a
    // file does; emptying an old one would add the file system's work of
    // freeing it.
    state.PauseTiming();
    std::filesystem::remove(text);
    state.ResumeTiming();
    holvane::ConvertFile(input.folder, input.name, zlib);
  }
  SetCounters(state, input);
}

// Decompression alone, with its growing attempts.
void BM_UncompressString(benchmark::State& state) {
  const Input& input = InputFor(state);
  const holvane::cZLIB zlib;
  for (auto _ : state) {
    std::string data = input.compressed;
    if (zlib.UncompressString(data, 15) != 0) state.SkipWithError("UncompressString failed");
    benchmark::DoNotOptimize(data.data());
  }
  SetCounters(state, input);
}

// Rendering alone, from a record stream already in the page cache to the
// text file.
void BM_RenderRecordStream(benchmark::State& state) {
  const Input& input = InputFor(state);
  const std::filesystem::path source_path = input.folder / (input.name + ".stream");
  const std::filesystem::path target_path = input.folder / (input.name + ".rendered");
  holvane::testing::WriteFileBytes(source_path, input.stream);
  holvane::FileSystem& file_system = holvane::DefaultFileSystem();
  for (auto _ : state) {
    state.PauseTiming();
    std::filesystem::remove(target_path);
    state.ResumeTiming();
    auto source = file_system.OpenForReading(source_path);
    auto target = file_system.CreateForWriting(target_path, holvane::testing::kOwnerReadWrite);
    holvane::RenderRecordStream(*source, *target);
    target->Close();
    source->Close();
  }
  SetCounters(state, input);
  std::filesystem::remove(source_path);
  std::filesystem::remove(target_path);
}

// Rendering alone with the text thrown away: what the renderer itself costs,
// apart from the file system's work of storing the text.
class DiscardedText final : public holvane::WritableFile {
 public:
  void AppendPieces(std::span<const std::string_view> pieces) override {
    for (const std::string_view piece : pieces) benchmark::DoNotOptimize(piece.data());
  }
  void Close() override {}
};

void BM_RenderDiscarded(benchmark::State& state) {
  const Input& input = InputFor(state);
  const std::filesystem::path source_path = input.folder / (input.name + ".stream");
  holvane::testing::WriteFileBytes(source_path, input.stream);
  holvane::FileSystem& file_system = holvane::DefaultFileSystem();
  for (auto _ : state) {
    auto source = file_system.OpenForReading(source_path);
    DiscardedText target;
    holvane::RenderRecordStream(*source, target);
    source->Close();
  }
  SetCounters(state, input);
  std::filesystem::remove(source_path);
}

// The floor: one inflate of the whole input into a buffer of the right size.
void BM_SinglePassInflate(benchmark::State& state) {
  const Input& input = InputFor(state);
  std::string out(input.stream.size(), '\0');
  for (auto _ : state) {
    uLongf length = static_cast<uLongf>(out.size());
    if (uncompress(reinterpret_cast<Bytef*>(out.data()), &length,
                   reinterpret_cast<const Bytef*>(input.compressed.data()),
                   static_cast<uLong>(input.compressed.size())) != Z_OK) {
      state.SkipWithError("uncompress failed");
    }
    benchmark::DoNotOptimize(out.data());
  }
  SetCounters(state, input);
}

// Every workload at 64 MiB of text, and short entries at 1, 8 and 256 MiB
// for the scaling.
void Inputs(benchmark::internal::Benchmark* benchmark) {
  benchmark->Unit(benchmark::kMillisecond)->UseRealTime();
  for (std::int64_t mib : {1, 8, 64, 256}) benchmark->Args({0, mib});
  benchmark->Args({1, 64});
  benchmark->Args({2, 64});
}

BENCHMARK(BM_SinglePassInflate)->Apply(Inputs);
BENCHMARK(BM_UncompressString)->Apply(Inputs);
BENCHMARK(BM_RenderRecordStream)->Apply(Inputs);
BENCHMARK(BM_RenderDiscarded)->Apply(Inputs);
BENCHMARK(BM_ConvertFile)->Apply(Inputs);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code ignored;
  std::filesystem::remove_all(BenchFolder(), ignored);
  return 0;
}
