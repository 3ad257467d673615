// SPDX-License-Identifier: MIT
// Writes the fuzz targets' seed corpora, made from the bundled examples:
//   holvane_make_seeds FOLDER   → FOLDER/uncompress, FOLDER/binding, FOLDER/render, FOLDER/convert,
//                                 FOLDER/editable, FOLDER/catalogue
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "compression/czlib.h"
#include "conversion/catalogue.h"
#include "conversion/convert_file.h"
#include "examples/example_set.h"
#include "tests/test_kit.h"

namespace {

namespace fs = std::filesystem;
using holvane::testing::Int32Bytes;

void Write(const fs::path& folder, const std::string& name, const std::string& bytes) {
  fs::create_directories(folder);
  try {
    holvane::testing::WriteFileBytes(folder / name, bytes);
  } catch (const std::runtime_error& error) {
    std::fprintf(stderr, "%s\n", error.what());
    std::exit(1);
  }
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
    streams.push_back(holvane::testing::RecordStream(example.entries));
  }
  // The examples' editable texts, in either encoding (the target's first
  // byte), and lines of every kind of fault.
  std::optional<holvane::cZLIB> converter;
  int text_index = 0;
  for (const std::string& stream : streams) {
    for (const auto encoding : {holvane::TextEncoding::kUtf8, holvane::TextEncoding::kCp1251}) {
      holvane::testing::MemoryFileSystem files;
      auto target = files.CreateForWriting("out", holvane::testing::kOwnerReadWrite);
      holvane::ConvertContent(
          holvane::testing::ZlibCompress(stream), *target, converter,
          {encoding, holvane::LineBreak::kCrLf, holvane::TextLayout::kEditable});
      const char selector = encoding == holvane::TextEncoding::kUtf8 ? '\0' : '\1';
      Write(root / "editable", std::to_string(text_index++), selector + *files.Get("out"));
    }
  }
  Write(root / "editable", "faults",
        std::string(1, '\0') + "+ok\n*\n\n?\n?99999999999 x\n?1x\n+\\q\n+\x01\n+\xFF\n+\xC3\xA9\n");
  // The examples' catalogue as PO and CSV (the target's first byte), as a
  // template and translated, and lines of every kind of fault.
  holvane::CatalogueBuilder builder;
  for (std::size_t i = 0; i < streams.size(); ++i) {
    builder.AddFile("examples/" + std::to_string(i) + ".wvl", holvane::ReadRecords(streams[i]));
  }
  std::vector<holvane::CatalogueEntry> translated = builder.entries();
  for (std::size_t i = 0; i < translated.size(); ++i) {
    translated[i].translation = translated[i].source;
    translated[i].fuzzy = i % 3 == 1;
    translated[i].obsolete = i % 5 == 4;
  }
  const std::string date = holvane::CatalogueDate(0);
  Write(root / "catalogue", "template.po", '\0' + holvane::WritePo(builder.entries(), date));
  Write(root / "catalogue", "translated.po", '\0' + holvane::WritePo(translated, date));
  Write(root / "catalogue", "template.csv", '\1' + holvane::WriteCsv(builder.entries()));
  Write(root / "catalogue", "translated.csv", '\1' + holvane::WriteCsv(translated));
  Write(root / "catalogue", "faults.po",
        std::string(1, '\0') +
            "msgctxt \"c\"\nmsgid \"a\\x41\\101\"\nmsgstr \"\xE2\x9C\x93\"\nmsgid_plural \"p\"\n"
            "#~ msgid \"o\"\n#~ msgstr \"\"\nmsgid \"\\q\nbad\n\"x\"\nmsgid \"\"\nmsgstr "
            "\"Content-Type: text/plain; charset=KOI8-R\\n\"\n");
  Write(root / "catalogue", "faults.csv",
        std::string(1, '\1') +
            "\xEF\xBB\xBFsource,target,fuzzy\r\n\"a\r\nb\",\"\\q\"\r\nx\"y,z\r\n"
            "\"a\"b,c\r\nk,\xE2\x9C\x93\r\n\"open\r\n");
  // The failures the rendering knows: cut in a text, a negative length.
  streams.push_back(streams[0].substr(0, streams[0].size() / 2));
  streams.push_back(Int32Bytes(-1) + "abcd" + Int32Bytes(0));
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
