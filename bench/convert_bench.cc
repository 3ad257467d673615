// Converting one large file, beside the cost of inflating the same input once.
//
//   ninja -C build holvane_convert_bench && build/bench/holvane_convert_bench
//
// The input is a record stream of about 64 MiB of short Cyrillic entries (code
// page 1251), compressed as a zlib stream. Bytes per second are of the
// decompressed record stream.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "compression/czlib.h"
#include "conversion/convert_file.h"

namespace {

constexpr std::size_t kStreamBytes = 64 * 1024 * 1024;

void AppendInt32(std::string& out, std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>(bits >> shift));
}

// Entries of one to five words drawn from a vocabulary of made-up Russian
// words, so the stream compresses about as well as real word lists do.
std::string MakeRecordStream() {
  std::mt19937 random(20261208);
  std::vector<std::string> words(2000);
  for (auto& word : words) {
    const int letters = std::uniform_int_distribution<int>(2, 11)(random);
    for (int i = 0; i < letters; ++i) {
      word.push_back(static_cast<char>(0xE0 + std::uniform_int_distribution<int>(0, 31)(random)));
    }
  }
  std::string stream;
  stream.reserve(kStreamBytes + 256);
  std::string text;
  while (stream.size() < kStreamBytes) {
    text.clear();
    const int count = std::uniform_int_distribution<int>(1, 5)(random);
    for (int i = 0; i < count; ++i) {
      if (i > 0) text.push_back(' ');
      text += words[std::uniform_int_distribution<std::size_t>(0, words.size() - 1)(random)];
    }
    const int pick = std::uniform_int_distribution<int>(0, 19)(random);
    AppendInt32(stream, static_cast<std::int32_t>(text.size()));
    stream += text;
    AppendInt32(stream, pick == 0 ? 1 : pick % 2 == 0 ? 0 : -1);
  }
  return stream;
}

struct Input {
  std::filesystem::path folder;
  std::string stream;
  std::string compressed;
};

const Input& SharedInput() {
  static const Input input = [] {
    Input made;
    made.stream = MakeRecordStream();
    uLongf length = compressBound(static_cast<uLong>(made.stream.size()));
    made.compressed.resize(length);
    if (compress(reinterpret_cast<Bytef*>(made.compressed.data()), &length,
                 reinterpret_cast<const Bytef*>(made.stream.data()),
                 static_cast<uLong>(made.stream.size())) != Z_OK) {
      throw std::runtime_error("compress failed");
    }
    made.compressed.resize(length);
    std::string folder = (std::filesystem::temp_directory_path() / "holvane-bench-XXXXXX").string();
    if (mkdtemp(folder.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    made.folder = folder;
    std::ofstream(made.folder / "large.wvl", std::ios::binary)
        .write(made.compressed.data(), static_cast<std::streamsize>(made.compressed.size()));
    return made;
  }();
  return input;
}

void SetCounters(benchmark::State& state, const Input& input) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input.stream.size()));
  state.counters["input_MiB"] = static_cast<double>(input.compressed.size()) / (1 << 20);
  state.counters["stream_MiB"] = static_cast<double>(input.stream.size()) / (1 << 20);
}

void BM_ConvertFile(benchmark::State& state) {
  const Input& input = SharedInput();
  std::optional<holvane::cZLIB> zlib;
  for (auto _ : state) holvane::ConvertFile(input.folder, "large.wvl", zlib);
  SetCounters(state, input);
}

// The decompression step alone, with its growing attempts.
void BM_UncompressString(benchmark::State& state) {
  const Input& input = SharedInput();
  const holvane::cZLIB zlib;
  for (auto _ : state) {
    std::string data = input.compressed;
    if (zlib.UncompressString(data, 15) != 0) state.SkipWithError("UncompressString failed");
    benchmark::DoNotOptimize(data.data());
  }
  SetCounters(state, input);
}

// The floor: one inflate of the input into a buffer of the right size.
void BM_SinglePassInflate(benchmark::State& state) {
  const Input& input = SharedInput();
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

BENCHMARK(BM_ConvertFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_UncompressString)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SinglePassInflate)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code ignored;
  std::filesystem::remove_all(SharedInput().folder, ignored);
  return 0;
}
