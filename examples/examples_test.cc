// SPDX-License-Identifier: MIT
// The bundled examples must hold what their generator says they hold: a
// change to the generator without making the files again fails here.
#include <gtest/gtest.h>

#include <optional>

#include "conversion/convert_file.h"
#include "conversion/editable_form.h"
#include "conversion/pack.h"
#include "examples/example_set.h"
#include "tests/test_support.h"

namespace holvane {
namespace {

TEST(BundledExamplesTest, EachConvertsToItsEntries) {
  testing::TempDir dir;
  std::optional<cZLIB> zlib;
  const auto files = examples::ExampleFiles();
  ASSERT_FALSE(files.empty());
  for (const auto& example : files) {
    SCOPED_TRACE(example.name);
    const std::filesystem::path name = testing::Utf8Path(example.name);
    const std::filesystem::path source = std::filesystem::path(HOLVANE_EXAMPLES_DIR) / name;
    std::filesystem::copy_file(source, dir / name);
    ConvertFile(dir.path(), name, zlib);
    EXPECT_EQ(testing::ReadFileBytes(dir / testing::Utf8Path(example.name + ".txt")),
              testing::RenderedText(example.entries));
    EXPECT_FALSE(std::filesystem::exists(dir / testing::Utf8Path(example.name + ".tmp")));
  }
}

// Each example, written in the editable form in every encoding and line
// break and packed back, decompresses to the very stream it holds.
TEST(BundledExamplesTest, EachComesBackFromItsEditableForm) {
  testing::TempDir dir;
  std::optional<cZLIB> zlib;
  for (const auto& example : examples::ExampleFiles()) {
    const std::filesystem::path name = testing::Utf8Path(example.name);
    std::filesystem::copy_file(std::filesystem::path(HOLVANE_EXAMPLES_DIR) / name, dir / name);
    std::string original;
    ASSERT_TRUE(testing::ZlibInflate(testing::ReadFileBytes(dir / name), 15, original));
    for (const TextEncoding encoding : {TextEncoding::kUtf8, TextEncoding::kCp1251}) {
      for (const LineBreak line_break : {LineBreak::kLf, LineBreak::kCrLf}) {
        SCOPED_TRACE(example.name + (encoding == TextEncoding::kUtf8 ? " utf-8" : " cp1251") +
                     (line_break == LineBreak::kLf ? " lf" : " crlf"));
        ConvertFile(dir.path(), name, zlib, DefaultFileSystem(),
                    {encoding, line_break, TextLayout::kEditable});
        const EditableReading reading =
            ReadEditable(testing::ReadFileBytes(EditablePathFor(dir / name)), encoding);
        ASSERT_EQ(reading.fault_count, 0u);
        std::string unpacked;
        ASSERT_TRUE(testing::ZlibInflate(PackRecordStream(reading.stream, zlib), 15, unpacked));
        EXPECT_EQ(unpacked, original);
      }
    }
  }
}

TEST(BundledExamplesTest, CoverEveryMarkerAndCyrillicText) {
  bool plus = false, minus = false, unknown = false, cyrillic = false;
  for (const auto& example : examples::ExampleFiles()) {
    for (const auto& entry : example.entries) {
      plus |= entry.flag == -1;
      minus |= entry.flag == 0;
      unknown |= entry.flag != 0 && entry.flag != -1;
      for (char c : entry.text) cyrillic |= static_cast<unsigned char>(c) >= 0xC0;
    }
  }
  EXPECT_TRUE(plus && minus && unknown && cyrillic);
}

}  // namespace
}  // namespace holvane
