// SPDX-License-Identifier: MIT
// Runs a fuzz target's entry point over files and folders of inputs, so that
// seed corpora and the inputs behind fixed crashes are replayed by the
// ordinary test suite, with any compiler.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "tests/test_kit.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

int Replay(const std::filesystem::path& file) {
  const std::string bytes = holvane::testing::ReadFileBytes(file);
  LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  int replayed = 0;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path path = argv[i];
    if (std::filesystem::is_directory(path)) {
      for (const auto& entry : std::filesystem::recursive_directory_iterator(path)) {
        // Dot files keep empty folders in the repository; they are no inputs.
        if (entry.is_regular_file() && !entry.path().filename().string().starts_with('.')) {
          replayed += Replay(entry.path());
        }
      }
    } else if (std::filesystem::exists(path)) {
      replayed += Replay(path);
    }
  }
  std::printf("replayed %d inputs\n", replayed);
  return replayed > 0 ? 0 : 1;
}
