// SPDX-License-Identifier: MIT
// Listing one large folder, as each program does it: holvane-convert's list
// of the files a folder stands for, and the window's file list filled from
// the folder.
//
//   cmake --build build --target holvane_listing_bench
//   build/bench/holvane_listing_bench --benchmark_repetitions=5
//
// The folder is made once per process, in /dev/shm when there is one (so the
// figures are of the program, not of a disk), with 100,000 empty *.wvl files
// whose names mix numbers, Latin and Cyrillic letters and letter case, and
// removed at the end. The window's list runs under Qt's offscreen platform.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/file_set.h"
#include "tests/test_kit.h"

#ifdef HOLVANE_LISTING_BENCH_WINDOW
#include <QApplication>
#include <memory>

#include "main_window/file_list_box.h"
#include "main_window/qt/lists.h"
#endif

namespace {

constexpr int kFiles = 100'000;

// Names as people and old games give them: numbered saves and maps, words in
// either alphabet, any letter case, the extension in any case too. The index
// at the end of each stem keeps the names apart.
std::string NameOf(int index, std::mt19937& engine) {
  static constexpr std::array<const char*, 8> kStems = {"save",        "Level", "MAP_", "карта",
                                                        "Сохранение ", "ИГРА",  "мир-", "Quest"};
  static constexpr std::array<const char*, 4> kExtensions = {".wvl", ".WVL", ".Wvl", ".wvl"};
  std::uniform_int_distribution<int> pick_stem(0, kStems.size() - 1);
  std::uniform_int_distribution<int> pick_extension(0, kExtensions.size() - 1);
  std::uniform_int_distribution<int> number(0, 999);
  std::string name = kStems[pick_stem(engine)];
  if (engine() % 2 == 0) name += std::to_string(number(engine)) + "_";
  name += std::to_string(index);
  return name + kExtensions[pick_extension(engine)];
}

const std::filesystem::path& Folder() {
  // In memory where /dev/shm allows; removed as the process ends.
  static const holvane::testing::TempDir folder(
      "holvane-listing-bench", holvane::testing::TempDir::Place::kMemoryIfPossible);
  static const bool filled = [] {
    std::mt19937 engine(1);
    for (int i = 0; i < kFiles; ++i) {
      const std::filesystem::path file = folder / NameOf(i, engine);
      const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
      if (fd < 0) throw std::runtime_error("cannot create " + file.string());
      ::close(fd);
    }
    return true;
  }();
  static_cast<void>(filled);
  return folder.path();
}

// (a) holvane-convert's listing of a folder given on its command line.
void BM_FilesToConvert(benchmark::State& state) {
  const std::filesystem::path& folder = Folder();
  std::size_t listed = 0;
  for (auto _ : state) {
    std::vector<holvane::cli::UnlistedFolder> unlisted;
    const std::vector<std::filesystem::path> files =
        holvane::cli::FilesToConvert(folder, false, unlisted);
    listed = files.size();
    benchmark::DoNotOptimize(files.data());
  }
  if (listed != kFiles) state.SkipWithError("not every file was listed");
  state.counters["files"] = static_cast<double>(listed);
}
BENCHMARK(BM_FilesToConvert)->Unit(benchmark::kMillisecond)->UseRealTime();

#ifdef HOLVANE_LISTING_BENCH_WINDOW
// (b) The window's file list reading the folder and its Qt view showing its files.
void BM_FileListBoxSetPath(benchmark::State& state) {
  const std::filesystem::path& folder = Folder();
  const auto view = std::make_unique<holvane::ui::QtFileList>();
  holvane::ui::FileListBox list("/", *view);
  view->Attach(list);
  for (auto _ : state) list.SetPath(folder);
  if (list.ListCount() != kFiles || view->count() != kFiles) {
    state.SkipWithError("not every file was listed");
  }
  state.counters["files"] = static_cast<double>(list.ListCount());
}
BENCHMARK(BM_FileListBoxSetPath)->Unit(benchmark::kMillisecond)->UseRealTime();
#endif

}  // namespace

int main(int argc, char** argv) {
#ifdef HOLVANE_LISTING_BENCH_WINDOW
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
#endif
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
