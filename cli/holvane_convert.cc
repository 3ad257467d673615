// holvane-convert FILE...: converts each file beside itself.
#include <cstdio>
#include <filesystem>
#include <optional>

#include "compression/run_time_error.h"
#include "conversion/convert_file.h"

int main(int argc, char** argv) {
  std::optional<holvane::cZLIB> zlib;
  int converted = 0;
  int failed = 0;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path path = argv[i];
    try {
      holvane::ConvertFile(path.parent_path(), path.filename(), zlib);
      ++converted;
    } catch (const holvane::RunTimeError& error) {
      std::fprintf(stderr, "holvane-convert: %s: %s\n", argv[i], error.what());
      ++failed;
    }
  }
  if (converted > 0) std::printf("Файлов успешно декомпилировано: %d.\n", converted);
  return failed > 0 ? 1 : 0;
}
