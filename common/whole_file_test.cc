// SPDX-License-Identifier: MIT
#include "common/whole_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "common/file_system.h"
#include "common/run_time_error.h"
#include "tests/test_support.h"

namespace holvane {
namespace {

namespace fs = std::filesystem;
using namespace ::holvane::testing;  // the test kit and its GoogleTest helpers

TEST(WholeFileTest, RoundTripsExactBytes) {
  std::string every_byte;
  for (int b = 0; b < 256; ++b) every_byte += static_cast<char>(b);
  struct Case {
    const char* what;
    std::string data;
  };
  const std::vector<Case> cases = {
      {"nothing", ""},
      {"one byte", "a"},
      {"every byte value", every_byte},
      {"UTF-8 Cyrillic", "Привет мир\r\n"},
      {"one byte short of a buffer", RandomBytes(65535, 1)},
      {"a buffer", RandomBytes(65536, 2)},
      {"one byte over a buffer", RandomBytes(65537, 3)},
      {"several buffers", RandomBytes(200000, 4)},
  };
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const fs::path written = dir / (std::string(c.what) + ".written");
    WriteWholeFile(written, c.data, kOwnerReadWrite);
    EXPECT_TRUE(SameBytes(ReadFileBytes(written), c.data));

    const fs::path read = dir / (std::string(c.what) + ".read");
    WriteFileBytes(read, c.data);
    EXPECT_TRUE(SameBytes(ReadWholeFile(read), c.data));
    EXPECT_TRUE(SameBytes(ReadFileBytes(read), c.data)) << "reading changed the file";
  }
}

TEST(WholeFileTest, WriteLeavesExactlyTheNewBytes) {
  struct Case {
    const char* what;
    std::optional<std::string> before;
    std::string data;
  };
  const std::vector<Case> cases = {
      {"missing, written empty", std::nullopt, ""},
      {"longer file, written shorter", std::string(100000, 'Z'), "short"},
      {"longer file, written empty", std::string(100000, 'Z'), ""},
      {"shorter file, written longer", "ab", RandomBytes(70000, 5)},
  };
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const fs::path path = dir / c.what;
    if (c.before) WriteFileBytes(path, *c.before);
    WriteWholeFile(path, c.data, kOwnerReadWrite);
    ASSERT_TRUE(fs::is_regular_file(path));
    EXPECT_TRUE(SameBytes(ReadFileBytes(path), c.data));
  }
}

TEST(WholeFileTest, ReadFailuresNameTheFile) {
  TempDir dir;
  fs::create_directory(dir / "папка.wvl");
  struct Case {
    const char* what;
    fs::path path;
    std::optional<ErrorNumber> number;
  };
  const std::vector<Case> cases = {
      {"missing", dir / "missing.wvl", ErrorNumber::kFileNotFound},
      {"missing, Cyrillic name", dir / "Привет мир.wvl", ErrorNumber::kFileNotFound},
      {"a folder", dir / "папка.wvl", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto error = RunTimeErrorOf([&] { ReadWholeFile(c.path); });
    EXPECT_TRUE(ConcernsFile(error, c.path));
    if (c.number && error) {
      EXPECT_EQ(error->number(), *c.number);
    }
  }
}

// A file whose length promises more than it delivers, as when it shrinks
// while being read.
TEST(WholeFileFaultsTest, ShortReadIsAnErrorNotPadding) {
  MemoryFileSystem memory;
  memory.Put("shrinking.wvl", std::string(10, 'a'));
  FaultyFileSystem file_system(memory);
  file_system.ShortenReads(5);
  const auto error = RunTimeErrorOf([&] { ReadWholeFile("shrinking.wvl", file_system); });
  ASSERT_TRUE(error.has_value());
  EXPECT_EQ(error->number(), ErrorNumber::kInputPastEndOfFile);
  EXPECT_TRUE(ConcernsFile(error, "shrinking.wvl"));
}

// A disk that takes every byte and reports itself full only when the file is
// closed, as a network file system may.
TEST(WholeFileFaultsTest, FailureWhenClosingIsReported) {
  MemoryFileSystem memory;
  FaultyFileSystem file_system(memory);
  file_system.Fail(FileCall::kCloseWritable, 1, {}, ErrorNumber::kDiskFull, "no room left");
  const auto error =
      RunTimeErrorOf([&] { WriteWholeFile("out.tmp", "data", kOwnerReadWrite, file_system); });
  ASSERT_TRUE(error.has_value());
  EXPECT_EQ(error->number(), ErrorNumber::kDiskFull);
}

}  // namespace
}  // namespace holvane
