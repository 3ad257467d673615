// SPDX-License-Identifier: MIT
// The conversion under faults: a file layer that fails at its k-th call, for
// every k; a real write limit. Whatever fails, the failure is clear, the input
// keeps its bytes, and a file converted before keeps its text.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

#include <cstdlib>
#include <optional>
#include <vector>

#include "common/run_time_error.h"
#include "conversion/convert_file.h"
#include "tests/test_support.h"

namespace holvane {
namespace {

using testing::Entry;
using testing::ReadFileBytes;
using testing::RecordStream;
using testing::RenderedText;
using testing::RunTimeErrorOf;
using testing::SameBytes;
using testing::TempDir;
using testing::WriteFileBytes;
using testing::ZlibCompress;

// The file layer that fails at its k-th call is the kit's FaultyFileSystem:
// it counts every call into the file layer, files included, and fails the
// k-th one (counted from 1; 0 for none) as a device error would, with the
// cause kInjectedCause.
using testing::FaultyFileSystem;
using testing::kInjectedCause;

// The entry of ManyEntries() too long to be gathered with others into one of
// the renderer's 128 KiB appends: it is an append of its own, of three pieces.
constexpr int kLongEntry = 100;

// Few entries, so that a sweep over every call stays quick, but long ones, and
// one longer than the renderer's pieces, so that the output takes several
// appends. The letters vary so that the file compresses no better than real
// text: a very compressible one would spend the sweep growing decompression
// buffers.
std::vector<Entry> ManyEntries() {
  std::vector<Entry> entries;
  std::uint32_t state = 12345;
  for (int i = 0; i < 160; ++i) {
    std::string text = "строка " + std::to_string(i) + " ";
    for (int letter = 0; letter < (i == kLongEntry ? 200'000 : 420 + i % 80); ++letter) {
      state = state * 1103515245u + 12345u;
      text.push_back(static_cast<char>('a' + (state >> 16) % 26));
    }
    entries.push_back({text, i % 3 == 0 ? 0 : i % 3 == 1 ? -1 : i});
  }
  return entries;
}

TEST(FaultSweepTest, EveryFailingCallOfTheFileLayerFailsCleanly) {
  TempDir dir;
  const std::string earlier_input = ZlibCompress(RecordStream({{"раньше", -1}}));
  WriteFileBytes(dir / "a.wvl", earlier_input);
  std::optional<cZLIB> zlib;
  ConvertFile(dir.path(), "a.wvl", zlib);
  const std::string earlier_text = ReadFileBytes(dir / "a.wvl.txt");

  const std::vector<Entry> entries = ManyEntries();
  const std::string stream = RecordStream(entries);
  const std::string full_text = RenderedText(entries);
  ASSERT_GT(entries[kLongEntry].text.size(), 128u * 1024) << "one entry must be an append alone";
  const std::string input = ZlibCompress(stream);
  WriteFileBytes(dir / "b.wvl", input);
  // The call that creates the temporary file to write it, counted as the
  // sweep counts. A fault before it, while the input is read, leaves no
  // temporary file, though the lock made one.
  int writing_temporary = 0;
  {
    FaultyFileSystem file_system;
    file_system.OnCreate([&](const std::filesystem::path& path) {
      if (path == dir / "b.wvl.tmp" && writing_temporary == 0) {
        writing_temporary = file_system.calls();
      }
    });
    ConvertFile(dir.path(), "b.wvl", zlib, file_system);
  }
  ASSERT_GT(writing_temporary, 0);

  int faults = 0;
  for (int k = 1;; ++k) {
    SCOPED_TRACE("failing call " + std::to_string(k));
    std::filesystem::remove(dir / "b.wvl.tmp");
    std::filesystem::remove(dir / "b.wvl.txt");
    FaultyFileSystem file_system;
    file_system.FailCall(k);
    const auto error = RunTimeErrorOf([&] { ConvertFile(dir.path(), "b.wvl", zlib, file_system); });

    EXPECT_TRUE(SameBytes(ReadFileBytes(dir / "b.wvl"), input));
    EXPECT_EQ(ReadFileBytes(dir / "a.wvl.txt"), earlier_text);
    if (!error) {
      // k lies past the last call: the conversion ran untouched.
      EXPECT_LT(file_system.calls(), k);
      EXPECT_TRUE(SameBytes(ReadFileBytes(dir / "b.wvl.txt"), full_text));
      EXPECT_FALSE(std::filesystem::exists(dir / "b.wvl.tmp"));
      break;
    }
    ++faults;
    EXPECT_EQ(error->number(), ErrorNumber::kDeviceIo);
    EXPECT_EQ(error->cause(), kInjectedCause);
    if (k < writing_temporary) {
      EXPECT_FALSE(std::filesystem::exists(dir / "b.wvl.tmp"));
    }
    // What reached the output before the fault is a clean beginning of it.
    if (std::filesystem::exists(dir / "b.wvl.txt")) {
      const std::string text = ReadFileBytes(dir / "b.wvl.txt");
      EXPECT_TRUE(SameBytes(text, std::string_view(full_text).substr(0, text.size())));
    }
  }
  EXPECT_GT(faults, 10);
}

#ifndef _WIN32
// Run in a child process: converts `name` in `folder`, the file size limit of
// the process set to `limit` bytes as the file `name` + `limited` is created,
// and exits 0 when the conversion fails as a full disk concerning that file.
// SIGXFSZ keeps its default here, which ends the process unless the file
// layer sets it aside.
[[noreturn]] void ConvertUnderFileSizeLimit(const std::filesystem::path& folder, const char* name,
                                            const char* limited, rlim_t limit) {
  const std::filesystem::path limited_path = folder / (std::string(name) + limited);
  FaultyFileSystem file_system;
  file_system.OnCreate([&](const std::filesystem::path& path) {
    const rlimit bytes{limit, limit};
    if (path == limited_path && ::setrlimit(RLIMIT_FSIZE, &bytes) != 0) std::_Exit(3);
  });
  std::optional<cZLIB> zlib;
  const auto error = RunTimeErrorOf([&] { ConvertFile(folder, name, zlib, file_system); });
  const bool clear =
      error && error->number() == ErrorNumber::kDiskFull && error->file() == limited_path;
  std::_Exit(clear ? 0 : 1);
}
#endif

// A real write that stops part-way: the kernel's file size limit makes the
// write fail as a full disk would, in a child process so the limit stays
// there. The temporary file, written in one append, is cut back to nothing.
// The output ends at the last whole entry that fits, whether the limit falls
// in the long entry, an append of its own, or inside a piece of short entries
// gathered into one append.
TEST(FaultSweepTest, WriteCutShortByTheSystemFailsAsDiskFull) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows has no file size limit to make a real write stop part-way";
#else
  TempDir dir;
  WriteFileBytes(dir / "a.wvl", ZlibCompress(RecordStream({{"раньше", 0}})));
  std::optional<cZLIB> zlib;
  ConvertFile(dir.path(), "a.wvl", zlib);
  const std::string earlier_text = ReadFileBytes(dir / "a.wvl.txt");
  const std::vector<Entry> entries = ManyEntries();
  const std::string stream = RecordStream(entries);
  const std::string input = ZlibCompress(stream);
  WriteFileBytes(dir / "b.wvl", input);
  const std::size_t before_long =
      RenderedText({entries.begin(), entries.begin() + kLongEntry}).size();
  // The rendering of the most entries, from the first on, that fits in
  // `limit` bytes.
  const auto whole_entries_within = [&](rlim_t limit) {
    std::string text;
    for (const Entry& entry : entries) {
      const std::string line = RenderedText({entry});
      if (text.size() + line.size() > limit) break;
      text += line;
    }
    return text;
  };

  struct Case {
    const char* limited;
    rlim_t limit;
    std::string temporary;
    bool output;
  };
  const std::vector<Case> cases = {
      {".tmp", 50'000, "", false},
      {".txt", before_long + 100'000, stream, true},
      {".txt", before_long / 2, stream, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.limited) + " limited to " + std::to_string(c.limit));
    std::filesystem::remove(dir / "b.wvl.tmp");
    std::filesystem::remove(dir / "b.wvl.txt");
    EXPECT_EXIT(ConvertUnderFileSizeLimit(dir.path(), "b.wvl", c.limited, c.limit),
                ::testing::ExitedWithCode(0), "");
    EXPECT_TRUE(SameBytes(ReadFileBytes(dir / "b.wvl.tmp"), c.temporary));
    if (c.output) {
      EXPECT_TRUE(SameBytes(ReadFileBytes(dir / "b.wvl.txt"), whole_entries_within(c.limit)));
    } else {
      EXPECT_FALSE(std::filesystem::exists(dir / "b.wvl.txt"));
    }
    EXPECT_TRUE(SameBytes(ReadFileBytes(dir / "b.wvl"), input));
    EXPECT_EQ(ReadFileBytes(dir / "a.wvl.txt"), earlier_text);
  }
#endif
}

}  // namespace
}  // namespace holvane
