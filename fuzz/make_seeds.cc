// SPDX-License-Identifier: MIT
// Writes the fuzz targets' seed corpora, made from the bundled examples:
//   holvane_make_seeds FOLDER   → FOLDER/uncompress, FOLDER/binding, FOLDER/render, FOLDER/convert
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "compression/czlib.h"
#include "examples/example_set.h"

namespace {

namespace fs = std::filesystem;

void Write(const fs::path& folder, const std::string& name, const std::string& bytes) {
  fs::create_directories(folder);
  std::ofstream out(folder / name, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) {
    std::fprintf(stderr, "cannot write %s\n", (folder / name).c_str());
    std::exit(1);
  }
}

std::string Int32(std::int32_t value) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i)
    bytes[static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i));
  return bytes;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  const fs::path root = argv[1];
  const holvane::cZLIB zlib;

  std::vector<std::string> streams;
  for (const auto& example : holvane::examples::ExampleFiles()) {
    streams.push_back(holvane::examples::EncodeRecordStream(example.entries));
  }
  // The failures the rendering knows: cut in a text, a negative length.
  streams.push_back(streams[0].substr(0, streams[0].size() / 2));
  streams.push_back(Int32(-1) + "abcd" + Int32(0));
  streams.push_back(std::string(1, '\0'));

  // Mode index bytes as the uncompress target reads them: 0 → 15, 1 → 31, 2 → -15.
  const std::pair<char, std::int32_t> modes[] = {{0, 15}, {1, 31}, {2, -15}};
  int index = 0;
  for (const std::string& stream : streams) {
    const std::string id = std::to_string(index++);
    Write(root / "render", id, stream);
    Write(root / "convert", id + "-plain", std::string(1, '\1') + stream);
    for (const auto& [selector, mode] : modes) {
      std::string compressed = stream;
      if (zlib.CompressString(compressed, mode) != 0) continue;
      const std::string tag = id + "-mode" + std::to_string(mode);
      // The binding target reads its inputs as the uncompress target does.
      for (const char* target : {"uncompress", "binding"}) {
        Write(root / target, tag, std::string{selector, '\0'} + compressed);
        Write(root / target, tag + "-plain", std::string{selector, '\1'} + stream);
        Write(root / target, tag + "-cut",
              std::string{selector, '\0'} + compressed.substr(0, compressed.size() / 2));
      }
      if (mode == 15) Write(root / "convert", id + "-zlib", std::string(1, '\0') + compressed);
    }
  }
  return 0;
}
