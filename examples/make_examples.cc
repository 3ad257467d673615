// SPDX-License-Identifier: MIT
// Writes the bundled example files into the folder given on the command line:
//   holvane_make_examples examples/
#include <cstdio>
#include <filesystem>
#include <stdexcept>

#include "compression/czlib.h"
#include "examples/example_set.h"
#include "tests/test_kit.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  const holvane::cZLIB zlib;
  for (const auto& example : holvane::examples::ExampleFiles()) {
    std::string data = holvane::testing::RecordStream(example.entries);
    if (const std::int32_t result = zlib.CompressString(data, 15); result != 0) {
      std::fprintf(stderr, "%s: compression failed (%d)\n", example.name.c_str(), result);
      return 1;
    }
    const std::filesystem::path path = folder / example.name;
    try {
      holvane::testing::WriteFileBytes(path, data);
    } catch (const std::runtime_error&) {
      std::fprintf(stderr, "%s: cannot write\n", path.c_str());
      return 1;
    }
    std::printf("%s\n", path.c_str());
  }
  return 0;
}
