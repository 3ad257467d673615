// SPDX-License-Identifier: MIT
#include "conversion/convert_file.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "common/file_system.h"
#include "common/run_time_error.h"
#include "compression/czlib.h"
#include "tests/test_support.h"

namespace holvane {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using namespace ::holvane::testing;  // the test kit and its GoogleTest helpers
using Names = std::set<std::string>;

constexpr std::int32_t kInt32Min = std::numeric_limits<std::int32_t>::min();

// Every marker, and text bytes that must pass unchanged: code page 1251
// Cyrillic ("Привет"), NUL, CR, LF and high bytes.
const std::vector<Entry>& SampleEntries() {
  static const std::vector<Entry> entries = {
      {"\xCF\xF0\xE8\xE2\xE5\xF2", 0}, {"Hello", -1},           {"", 0},
      {"line\r\nbreak\0z"s, 7},        {"\x80\xFF", kInt32Min}, {"last", -1},
  };
  return entries;
}

// Random texts of random lengths, some longer than the file layer's buffers.
std::vector<Entry> LongEntries(std::uint32_t seed, std::size_t total) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> kind(0, 99);
  std::uniform_int_distribution<std::size_t> length(0, 2000);
  std::vector<Entry> entries;
  std::size_t size = 0;
  while (size < total) {
    const std::size_t n = kind(random) < 2 ? 200000 : length(random);
    std::string text(n, '\0');
    for (char& c : text) c = static_cast<char>(byte(random));
    const int flag_kind = kind(random);
    entries.push_back({std::move(text), flag_kind < 45 ? 0 : flag_kind < 90 ? -1 : flag_kind});
    size += 8 + n;
  }
  return entries;
}

Names Listing(const fs::path& folder) {
  Names names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.insert(Utf8String(entry.path().filename()));
  }
  return names;
}

std::optional<RunTimeError> Convert(const TempDir& dir, const std::string& name,
                                    FileSystem& file_system = DefaultFileSystem()) {
  std::optional<cZLIB> zlib;
  return RunTimeErrorOf([&] { ConvertFile(dir.path(), Utf8Path(name), zlib, file_system); });
}

TEST(ConvertFileTest, WritesTheOutputBesideTheInputUnderAnyName) {
  const std::string input = ZlibCompress(RecordStream(SampleEntries()));
  for (const std::string name :
       {"game.wvl", "a.b.wvl", "Привет мир.wvl", "no extension", "UPPER.WVL"}) {
    SCOPED_TRACE(name);
    TempDir dir;
    WriteFileBytes(dir / Utf8Path(name), input);
    std::optional<cZLIB> zlib;
    ConvertFile(dir.path(), Utf8Path(name), zlib);

    EXPECT_EQ(Listing(dir.path()), (Names{name, name + ".txt"}));
    EXPECT_EQ(ReadFileBytes(dir / Utf8Path(name + ".txt")), RenderedText(SampleEntries()));
    EXPECT_EQ(ReadFileBytes(dir / Utf8Path(name)), input);
    EXPECT_TRUE(zlib.has_value());
  }
}

TEST(ConvertFileTest, EmptyInputsGiveAnEmptyOutput) {
  struct Case {
    const char* what;
    std::string input;
  };
  const std::vector<Case> cases = {
      {"0-byte file", ""},
      {"stream without entries", ZlibCompress("")},
      {"single stray byte", ZlibCompress("\x01")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    WriteFileBytes(dir / "empty.wvl", c.input);
    const auto error = Convert(dir, "empty.wvl");
    ASSERT_FALSE(error.has_value()) << error->what();
    EXPECT_EQ(Listing(dir.path()), (Names{"empty.wvl", "empty.wvl.txt"}));
    EXPECT_EQ(ReadFileBytes(dir / "empty.wvl.txt"), "");
  }
}

// Stands in for zlib, counting the decompressions; `failure` makes them fail
// with that number, as an unreachable binding or a failed allocation would.
class CountingBinding final : public ZlibBinding {
 public:
  explicit CountingBinding(std::optional<ErrorNumber> failure = std::nullopt) : failure_(failure) {}

  std::int32_t adler32(std::int32_t value, const std::uint8_t* data, std::int32_t length) override {
    return DefaultZlibBinding().adler32(value, data, length);
  }
  std::int32_t crc32(std::int32_t value, const std::uint8_t* data, std::int32_t length) override {
    return DefaultZlibBinding().crc32(value, data, length);
  }
  std::int32_t compress(std::uint8_t* dest, std::int32_t& dest_length, const std::uint8_t* source,
                        std::int32_t source_length, std::int32_t mode) override {
    return DefaultZlibBinding().compress(dest, dest_length, source, source_length, mode);
  }
  std::int32_t compressBound(std::int32_t source_length) override {
    return DefaultZlibBinding().compressBound(source_length);
  }
  std::int32_t uncompress(std::uint8_t* dest, std::int32_t& dest_length, const std::uint8_t* source,
                          std::int32_t source_length, std::int32_t mode) override {
    ++uncompress_calls;
    if (failure_) throw RunTimeError(*failure_, "a failure of the test's binding");
    return DefaultZlibBinding().uncompress(dest, dest_length, source, source_length, mode);
  }

  int uncompress_calls = 0;

 private:
  std::optional<ErrorNumber> failure_;
};

TEST(ConvertFileTest, UsesTheCallersZlibAndKeepsIt) {
  TempDir dir;
  WriteFileBytes(dir / "one.wvl", ZlibCompress(RecordStream({{"one", 0}})));
  WriteFileBytes(dir / "two.wvl", ZlibCompress(RecordStream({{"two", -1}})));
  CountingBinding binding;
  std::optional<cZLIB> zlib(std::in_place, binding);
  const cZLIB* const object = &*zlib;

  ConvertFile(dir.path(), "one.wvl", zlib);
  const int after_first = binding.uncompress_calls;
  ConvertFile(dir.path(), "two.wvl", zlib);

  EXPECT_GT(after_first, 0);
  EXPECT_GT(binding.uncompress_calls, after_first);
  ASSERT_TRUE(zlib.has_value());
  EXPECT_EQ(&*zlib, object);
  EXPECT_EQ(ReadFileBytes(dir / "two.wvl.txt"), "+two\r\n");
}

// Output rendered from bytes that did not decompress would be garbage, so a
// failed decompression writes nothing at all and leaves an earlier output.
// That holds for a file cut short anywhere, header and checksum included.
TEST(ConvertFileTest, InputThatDoesNotDecompressWritesNothing) {
  const std::string name = "Привет мир.wvl";
  const std::string stream = RecordStream(LongEntries(8, 100000));
  const std::string compressed = ZlibCompress(stream);
  std::string bad_checksum = compressed;
  bad_checksum.back() = static_cast<char>(bad_checksum.back() ^ 0x01);
  struct Case {
    std::string what;
    std::string input;
  };
  std::vector<Case> cases = {
      {"plain text", "this was never compressed\r\n"},
      {"record stream left uncompressed", stream},
      {"zlib stream cut in half", compressed.substr(0, compressed.size() / 2)},
      {"zlib stream without its checksum", compressed.substr(0, compressed.size() - 4)},
      {"wrong checksum", bad_checksum},
  };
  const std::string small = ZlibCompress(RecordStream(SampleEntries()));
  for (std::size_t length = 1; length < small.size(); ++length) {
    cases.push_back(
        {"first " + std::to_string(length) + " bytes of a small file", small.substr(0, length)});
  }
  // One zlib for every file, as a run keeps it: a failure must leave it fit
  // for the next file.
  std::optional<cZLIB> zlib;
  const auto convert = [&](const TempDir& dir) {
    return RunTimeErrorOf([&] { ConvertFile(dir.path(), Utf8Path(name), zlib); });
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    WriteFileBytes(dir / Utf8Path(name), c.input);

    auto error = convert(dir);
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->number(), ErrorNumber::kInvalidFileFormat);
    EXPECT_TRUE(ConcernsFile(error, dir / Utf8Path(name)));
    EXPECT_EQ(Listing(dir.path()), (Names{name}));

    // Files an earlier run left are left as they were, a temporary file too.
    const std::string previous = "an earlier run's output\r\n";
    WriteFileBytes(dir / Utf8Path(name + ".txt"), previous);
    WriteFileBytes(dir / Utf8Path(name + ".tmp"), previous);
    error = convert(dir);
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->number(), ErrorNumber::kInvalidFileFormat);
    EXPECT_EQ(Listing(dir.path()), (Names{name, name + ".tmp", name + ".txt"}));
    EXPECT_EQ(ReadFileBytes(dir / Utf8Path(name + ".txt")), previous);
    EXPECT_EQ(ReadFileBytes(dir / Utf8Path(name + ".tmp")), previous);
    EXPECT_TRUE(ReadFileBytes(dir / Utf8Path(name)) == c.input);
  }
  TempDir dir;
  WriteFileBytes(dir / Utf8Path(name), small);
  const auto error = convert(dir);
  EXPECT_FALSE(error.has_value()) << error->what();
  EXPECT_EQ(ReadFileBytes(dir / Utf8Path(name + ".txt")), RenderedText(SampleEntries()));
}

TEST(ConvertFileTest, ZlibFailureKeepsItsNumberAndSaysWhatItMeans) {
  struct Case {
    ErrorNumber number;
    const char* cause;
  };
  const std::vector<Case> cases = {
      {ErrorNumber::kBindingUnavailable, "не удаётся распаковать: ошибка выполнения 48"},
      {ErrorNumber::kOutOfMemory,
       "не удаётся распаковать: недостаточно памяти для распакованного содержимого "
       "(ошибка выполнения 7)"},
      {ErrorNumber::kOverflow,
       "не удаётся распаковать: содержимое слишком велико для 32-битных размеров "
       "(ошибка выполнения 6)"},
  };
  const std::string input = ZlibCompress(RecordStream(SampleEntries()));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.cause);
    TempDir dir;
    WriteFileBytes(dir / "game.wvl", input);
    CountingBinding binding(c.number);
    std::optional<cZLIB> zlib(std::in_place, binding);

    const auto error = RunTimeErrorOf([&] { ConvertFile(dir.path(), "game.wvl", zlib); });
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->number(), c.number);
    EXPECT_EQ(error->cause(), c.cause);
    EXPECT_TRUE(ConcernsFile(error, dir / "game.wvl"));
    EXPECT_EQ(Listing(dir.path()), (Names{"game.wvl"}));
  }
}

TEST(ConvertFileTest, InputThatCannotBeReadWritesNothing) {
  TempDir dir;
  auto error = Convert(dir, "missing.wvl");
  ASSERT_TRUE(error.has_value());
  EXPECT_EQ(error->number(), ErrorNumber::kFileNotFound);
  EXPECT_TRUE(ConcernsFile(error, dir / "missing.wvl"));
  EXPECT_EQ(Listing(dir.path()), Names{});

  fs::create_directory(dir / "folder.wvl");
  error = Convert(dir, "folder.wvl");
  ASSERT_TRUE(error.has_value());
  EXPECT_TRUE(ConcernsFile(error, dir / "folder.wvl"));
  EXPECT_EQ(Listing(dir.path()), (Names{"folder.wvl"}));
}

#ifndef _WIN32
// Whether the thread `tid` of this process is waiting in flock, as the kernel
// tells; nothing when it does not tell (or the thread is gone).
std::optional<bool> WaitsInFlock(pid_t tid) {
  std::ifstream status("/proc/self/task/" + std::to_string(tid) + "/syscall");
  std::string call;
  if (!(status >> call)) return std::nullopt;
  return call == std::to_string(SYS_flock);
}

// Waits until the thread `tid` (0 until it has told it) is seen waiting in
// flock (true), or has `finished` first (false); nothing when the kernel
// does not tell. The thread sets `finished` before it ends, so a thread gone
// from /proc is seen as finished.
std::optional<bool> SeenWaitingInFlock(const std::atomic<pid_t>& tid,
                                       const std::atomic<bool>& finished) {
  std::optional<bool> waiting = false;
  while (waiting == false && !finished) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (tid != 0) waiting = WaitsInFlock(tid);
  }
  return waiting;
}

// A conversion of an input that is locked waits for the lock before it
// touches anything, then converts. The order is seen, not timed: the kernel
// shows the conversion's thread waiting in flock while nothing is written.
#endif

TEST(ConvertFileTest, ConversionOfALockedInputWaitsForTheLock) {
#ifdef _WIN32
  GTEST_SKIP() << "only Linux tells where a thread waits; file_system_win32_test.cc holds the "
                  "lock's own test on Windows";
#else
  TempDir dir;
  WriteFileBytes(dir / "game.wvl", ZlibCompress(RecordStream(SampleEntries())));
  WriteFileBytes(dir / "other.wvl", ZlibCompress(RecordStream({{"other", 0}})));
  auto lock =
      DefaultFileSystem().LockConversion(dir / "game.wvl", dir / "game.wvl.tmp", LockWait::kWait);
  // Another input is not held up by this one's lock.
  ASSERT_FALSE(Convert(dir, "other.wvl").has_value());

  std::atomic<pid_t> tid = 0;
  std::atomic<bool> finished = false;
  std::optional<RunTimeError> error;
  std::thread second([&] {
    tid = ::gettid();
    error = Convert(dir, "game.wvl");
    finished = true;
  });
  const std::optional<bool> waiting = SeenWaitingInFlock(tid, finished);
  const bool finished_first = finished;
  if (waiting == true) {
    // The lock's temporary file, which the lock made, and nothing more.
    EXPECT_EQ(Listing(dir.path()),
              (Names{"game.wvl", "game.wvl.tmp", "other.wvl", "other.wvl.txt"}));
  }
  lock.reset();
  second.join();

  EXPECT_FALSE(finished_first) << "the conversion did not wait for the lock";
  if (!finished_first && !waiting.has_value()) {
    GTEST_SKIP() << "the kernel does not tell where a thread waits";
  }
  EXPECT_FALSE(error.has_value()) << error->what();
  EXPECT_EQ(ReadFileBytes(dir / "game.wvl.txt"), RenderedText(SampleEntries()));
#endif
}

// A holder removes the temporary file before it lets go, as a finished
// conversion does. A lock that waited on that file must end up on the file
// the name holds then, or a third conversion would find the name free and
// overlap with the one that waited.
TEST(ConversionLockTest, WaiterEndsUpLockingWhatTheNameHolds) {
#ifdef _WIN32
  GTEST_SKIP() << "the lock is the input's on Windows, whose name cannot change while it is held";
#else
  TempDir dir;
  const fs::path input = dir / "game.wvl";
  const fs::path temporary = TemporaryPathFor(input);
  auto first = DefaultFileSystem().LockConversion(input, temporary, LockWait::kWait);
  ASSERT_TRUE(first->CreatedTemporary());
  EXPECT_EQ(DefaultFileSystem().LockConversion(input, temporary, LockWait::kDontWait), nullptr);

  std::atomic<pid_t> tid = 0;
  std::atomic<bool> finished = false;
  std::unique_ptr<ConversionLock> second;
  std::thread waiter([&] {
    tid = ::gettid();
    second = DefaultFileSystem().LockConversion(input, temporary, LockWait::kWait);
    finished = true;
  });
  const std::optional<bool> waiting = SeenWaitingInFlock(tid, finished);
  DefaultFileSystem().Remove(temporary);
  first.reset();
  waiter.join();
  if (!waiting.has_value()) GTEST_SKIP() << "the kernel does not tell where a thread waits";
  ASSERT_TRUE(*waiting) << "the second lock did not wait";

  ASSERT_NE(second, nullptr);
  EXPECT_TRUE(fs::exists(temporary));
  EXPECT_TRUE(second->CreatedTemporary());
  EXPECT_EQ(DefaultFileSystem().LockConversion(input, temporary, LockWait::kDontWait), nullptr);
#endif
}

// A stream that breaks part-way keeps the temporary file (the decompressed
// stream, for a look at what went wrong) and an output holding exactly the
// entries before the break, also when they are still in the output's buffer.
// Longer files left by an earlier run must not show through.
TEST(ConvertFileTest, MalformedStreamKeepsTemporaryAndEntriesBefore) {
  struct Case {
    const char* what;
    std::vector<Entry> entries;
    std::string tail;
    ErrorNumber number;
  };
  const std::vector<Case> cases = {
      {"text past the end", SampleEntries(), Int32Bytes(10) + "abc",
       ErrorNumber::kInputPastEndOfFile},
      {"negative length", SampleEntries(), Int32Bytes(-1) + Int32Bytes(0),
       ErrorNumber::kInvalidArgument},
      {"break after many buffers of output", LongEntries(9, 700000), Int32Bytes(5) + "ab",
       ErrorNumber::kInputPastEndOfFile},
  };
  const std::string stale(1 << 20, 'Z');
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    const std::string stream = RecordStream(c.entries) + c.tail;
    const std::string input = ZlibCompress(stream);
    WriteFileBytes(dir / "a.b.wvl", input);
    WriteFileBytes(dir / "a.b.wvl.tmp", stale);
    WriteFileBytes(dir / "a.b.wvl.txt", stale);

    const auto error = Convert(dir, "a.b.wvl");
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->number(), c.number);
    EXPECT_EQ(Listing(dir.path()), (Names{"a.b.wvl", "a.b.wvl.tmp", "a.b.wvl.txt"}));
    EXPECT_TRUE(SameBytes(ReadFileBytes(dir / "a.b.wvl.tmp"), stream));
    EXPECT_TRUE(SameBytes(ReadFileBytes(dir / "a.b.wvl.txt"), RenderedText(c.entries)));
    EXPECT_TRUE(ReadFileBytes(dir / "a.b.wvl") == input);
  }
}

// The temporary file, which holds the whole content, is its owner's alone; the
// output may be read by whoever may read the input, and is never read-only.
// The bits hold for files left by an earlier run as for new ones.
TEST(ConvertFileTest, FilesGetTheInputsReadersAndNoMore) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows has no permission bits: its files get their folder's access rules";
#else
  using fs::perms;
  const perms umask = [] {
    const mode_t mask = ::umask(0077);
    ::umask(mask);
    return static_cast<perms>(mask);
  }();
  struct Case {
    const char* what;
    perms input;
    std::optional<perms> left_before;  // of a .tmp and .txt already there
    perms output;
  };
  const std::vector<Case> cases = {
      {"private input", perms(0600), std::nullopt, perms(0600)},
      {"input anyone may read", perms(0644), std::nullopt, perms(0644)},
      {"input its group may read", perms(0640), std::nullopt, perms(0640)},
      {"read-only input", perms(0444), std::nullopt, perms(0644)},
      {"private input, open files left before", perms(0600), perms(0666), perms(0600)},
      {"input anyone may read, private files left before", perms(0644), perms(0600), perms(0644)},
  };
  // The stream breaks after its entries, so the temporary file stays too.
  const std::string stream = RecordStream(SampleEntries()) + Int32Bytes(10);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    WriteFileBytes(dir / "game.wvl", ZlibCompress(stream));
    fs::permissions(dir / "game.wvl", c.input);
    if (c.left_before) {
      for (const char* name : {"game.wvl.tmp", "game.wvl.txt"}) {
        WriteFileBytes(dir / name, "an earlier run's bytes");
        fs::permissions(dir / name, *c.left_before);
      }
    }

    const auto error = Convert(dir, "game.wvl");
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->number(), ErrorNumber::kInputPastEndOfFile);
    EXPECT_EQ(fs::status(dir / "game.wvl.tmp").permissions(), perms(0600) & ~umask);
    EXPECT_EQ(fs::status(dir / "game.wvl.txt").permissions(), c.output & ~umask);
    EXPECT_EQ(fs::status(dir / "game.wvl").permissions(), c.input);
    EXPECT_EQ(ReadFileBytes(dir / "game.wvl.txt"), RenderedText(SampleEntries()));
  }
#endif
}

// Writing through a link would change another file, perhaps the input.
TEST(ConvertFileTest, RefusesToWriteThroughLinksOrIntoFolders) {
#ifdef _WIN32
  GTEST_SKIP() << "MinGW's std::filesystem cannot make symbolic links; file_system_win32_test.cc "
                  "makes them with CreateSymbolicLinkW";
#else
  const std::string name = "a.b.wvl";
  const std::string kSentinel = "sentinel bytes\r\n";
  struct Case {
    const char* what;
    std::string refused;  // the name that must not be written
    std::function<void(const fs::path& dir)> make;
  };
  const std::vector<Case> cases = {
      {".txt a symbolic link to another file", name + ".txt",
       [&](const fs::path& dir) { fs::create_symlink("sentinel", dir / (name + ".txt")); }},
      {".txt a hard link to the input", name + ".txt",
       [&](const fs::path& dir) { fs::create_hard_link(dir / name, dir / (name + ".txt")); }},
      {".txt a folder", name + ".txt",
       [&](const fs::path& dir) { fs::create_directory(dir / (name + ".txt")); }},
      {".tmp a symbolic link to the input", name + ".tmp",
       [&](const fs::path& dir) { fs::create_symlink(name, dir / (name + ".tmp")); }},
      {".tmp a hard link to the input", name + ".tmp",
       [&](const fs::path& dir) { fs::create_hard_link(dir / name, dir / (name + ".tmp")); }},
      {".tmp a symbolic link to nothing", name + ".tmp",
       [&](const fs::path& dir) { fs::create_symlink("never made", dir / (name + ".tmp")); }},
  };
  const std::string input = ZlibCompress(RecordStream(SampleEntries()));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    WriteFileBytes(dir / name, input);
    WriteFileBytes(dir / "sentinel", kSentinel);
    c.make(dir.path());
    const auto type = fs::symlink_status(dir / c.refused).type();

    const auto error = Convert(dir, name);
    ASSERT_TRUE(error.has_value());
    EXPECT_TRUE(ConcernsFile(error, dir / c.refused));
    EXPECT_TRUE(ReadFileBytes(dir / name) == input);
    EXPECT_EQ(ReadFileBytes(dir / "sentinel"), kSentinel);
    EXPECT_EQ(fs::symlink_status(dir / c.refused).type(), type);
    EXPECT_FALSE(fs::exists(dir / "never made"));
  }
#endif
}

TEST(ConvertFileTest, OutputThatCannotBeWrittenKeepsTheTemporary) {
  TempDir dir;
  const std::string stream = RecordStream(SampleEntries());
  WriteFileBytes(dir / "game.wvl", ZlibCompress(stream));
  // The real file system, but the output's disk fills up after 20 bytes; an
  // append that does not fit is refused whole, as WritableFile promises.
  FaultyFileSystem file_system;
  file_system.LimitRoom(/*room=*/20, WithExtension(".txt"));

  const auto error = Convert(dir, "game.wvl", file_system);
  ASSERT_TRUE(error.has_value());
  EXPECT_EQ(error->number(), ErrorNumber::kDiskFull);
  EXPECT_EQ(Listing(dir.path()), (Names{"game.wvl", "game.wvl.tmp", "game.wvl.txt"}));
  EXPECT_EQ(ReadFileBytes(dir / "game.wvl.tmp"), stream);
  const std::string text = ReadFileBytes(dir / "game.wvl.txt");
  EXPECT_LE(text.size(), 20u);
  EXPECT_EQ(text, RenderedText(SampleEntries()).substr(0, text.size()));
}

}  // namespace
}  // namespace holvane
