// SPDX-License-Identifier: MIT
// The machine's file layer, mostly reached through the whole-file calls over
// it: what it opens and refuses to open, reads at any position, appends and
// removes.
#include "common/file_system.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/run_time_error.h"
#include "tests/test_support.h"

namespace holvane {
namespace {

namespace fs = std::filesystem;
using namespace ::holvane::testing;  // the test kit and its GoogleTest helpers

#ifndef _WIN32
// Runs `action` on another thread. Should it still be blocked after a few
// seconds (opening a named pipe waits for the other end unless told not to),
// the test fails and the pipe is opened from the other end with `release`
// (O_RDONLY or O_WRONLY), so the thread can finish.
std::optional<RunTimeError> WithoutWaitingOnPipe(const fs::path& pipe,
                                                 const std::function<void()>& action, int release) {
  auto outcome = std::async(std::launch::async, [&] { return RunTimeErrorOf(action); });
  if (outcome.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
    ADD_FAILURE() << "blocked on the named pipe " << pipe;
    const int fd = ::open(pipe.c_str(), release | O_NONBLOCK);
    outcome.wait_for(std::chrono::seconds(1));
    if (fd >= 0) ::close(fd);
  }
  return outcome.get();
}

void MakePipe(const fs::path& path) { ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); }
#endif

TEST(FileSystemOpenForReadingTest, RefusesNamedPipeWithoutWaiting) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows keeps no named pipes among a folder's files";
#else
  TempDir dir;
  const fs::path pipe = dir / "pipe.wvl";
  MakePipe(pipe);
  const auto error = WithoutWaitingOnPipe(
      pipe, [&] { ReadWholeFile(pipe); }, O_WRONLY);
  EXPECT_TRUE(ConcernsFile(error, pipe));
#endif
}

// Writing must never go through a name to some other file, nor into
// something that is not a plain file.
TEST(FileSystemCreateForWritingTest, RefusesNamesThatLeadElsewhere) {
#ifdef _WIN32
  GTEST_SKIP() << "MinGW's std::filesystem cannot make symbolic links; file_system_win32_test.cc "
                  "makes them with CreateSymbolicLinkW";
#else
  const std::string kSentinel = "sentinel bytes\n";
  struct Case {
    const char* what;
    std::function<void(const fs::path& name, const fs::path& sentinel)> make;
  };
  const std::vector<Case> cases = {
      {"symbolic link to a file",
       [](const fs::path& name, const fs::path& sentinel) { fs::create_symlink(sentinel, name); }},
      {"symbolic link to nothing",
       [](const fs::path& name, const fs::path& sentinel) {
         fs::create_symlink(sentinel.parent_path() / "never made", name);
       }},
      {"hard link to another name",
       [](const fs::path& name, const fs::path& sentinel) {
         fs::create_hard_link(sentinel, name);
       }},
      {"folder", [](const fs::path& name, const fs::path&) { fs::create_directory(name); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    const fs::path sentinel = dir / "sentinel.wvl";
    const fs::path name = dir / "refused.txt";
    WriteFileBytes(sentinel, kSentinel);
    c.make(name, sentinel);
    const auto before = fs::symlink_status(name).type();

    const auto error = RunTimeErrorOf([&] { WriteWholeFile(name, "new bytes", kOwnerReadWrite); });
    EXPECT_TRUE(ConcernsFile(error, name));
    EXPECT_EQ(ReadFileBytes(sentinel), kSentinel);
    EXPECT_EQ(fs::symlink_status(name).type(), before);
    EXPECT_FALSE(fs::exists(dir / "never made"));
  }
#endif
}

TEST(FileSystemCreateForWritingTest, RefusesNamedPipeWithoutWaiting) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows keeps no named pipes among a folder's files";
#else
  TempDir dir;
  const fs::path pipe = dir / "pipe.txt";
  MakePipe(pipe);
  const auto error = WithoutWaitingOnPipe(
      pipe, [&] { WriteWholeFile(pipe, "data", kOwnerReadWrite); }, O_RDONLY);
  EXPECT_TRUE(ConcernsFile(error, pipe));
#endif
}

// What the system will not even open says why in the words every other
// file that is not a regular one gets, not as a system error's number.
TEST(FileSystemTest, SocketsAndPipesWithNoReaderAreNotRegularFiles) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows keeps no sockets or named pipes among a folder's files";
#else
  const auto make_socket = [](const fs::path& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(path.native().size(), sizeof address.sun_path);
    path.native().copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
  };
  struct Case {
    const char* what;
    std::function<void(const fs::path&)> make;
    std::function<void(const fs::path&)> use;
  };
  const std::vector<Case> cases = {
      {"socket read", make_socket, [](const fs::path& path) { ReadWholeFile(path); }},
      {"socket written", make_socket,
       [](const fs::path& path) { WriteWholeFile(path, "data", kOwnerReadWrite); }},
      {"named pipe with no reader written", MakePipe,
       [](const fs::path& path) { WriteWholeFile(path, "data", kOwnerReadWrite); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir("h", TempDir::Place::kMemoryIfPossible);
    const fs::path path = dir / "s";
    c.make(path);
    const auto error = RunTimeErrorOf([&] { c.use(path); });
    ASSERT_TRUE(ConcernsFile(error, path));
    EXPECT_NE(std::string_view(error->what()).find("это не обычный файл"), std::string_view::npos)
        << error->what();
  }
#endif
}

TEST(FileSystemCreateForWritingTest, DeviceThatRefusesWritesIsNotWrittenTo) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  const auto error =
      RunTimeErrorOf([] { WriteWholeFile("/dev/full", "данные", testing::kOwnerReadWrite); });
  ASSERT_TRUE(error.has_value());
  EXPECT_TRUE(testing::ConcernsFile(error, "/dev/full"));
}

TEST(FileSystemReadableFileTest, ReadAtServesAnyRange) {
  TempDir dir;
  const fs::path path = dir / "data.bin";
  const std::string data = RandomBytes(300000, 11);
  WriteFileBytes(path, data);
  auto file = DefaultFileSystem().OpenForReading(path);
  EXPECT_EQ(file->Length(), static_cast<std::int64_t>(data.size()));

  // Reads short and long, forwards and backwards, around 64 and 128 KiB,
  // and at or past the end: each returns every byte asked for that the file
  // holds, fewer only where it ends.
  std::vector<std::pair<std::int64_t, std::size_t>> reads = {
      {0, 10},     {65530, 20},  {65536, 4},  {70000, 65536}, {100, 200000},
      {5, 100},    {299990, 10}, {299997, 8}, {300000, 5},    {300100, 5},
      {0, 300000}, {0, 300010},  {131071, 2}, {65535, 1},     {0, 0}};
  std::mt19937 random(12);
  std::uniform_int_distribution<std::int64_t> offset(0, 300100);
  std::uniform_int_distribution<std::size_t> length(0, 140000);
  for (int i = 0; i < 300; ++i) reads.emplace_back(offset(random), length(random));

  for (const auto& [at, n] : reads) {
    SCOPED_TRACE("reading " + std::to_string(n) + " bytes at " + std::to_string(at));
    std::string got(n, '\0');
    const std::size_t count = file->ReadAt(at, got.data(), n);
    got.resize(count);
    const std::string expected = at < static_cast<std::int64_t>(data.size())
                                     ? data.substr(static_cast<std::size_t>(at), n)
                                     : "";
    ASSERT_TRUE(SameBytes(got, expected));
  }
  // A closed file is not read, not even the bytes it has just given.
  char byte = 0;
  ASSERT_EQ(file->ReadAt(0, &byte, 1), 1u);
  file->Close();
  EXPECT_TRUE(ConcernsFile(RunTimeErrorOf([&] { file->ReadAt(0, &byte, 1); }), path));
  file->Close();
}

TEST(FileSystemWritableFileTest, AppendsOfAnySizeArriveInOrder) {
  TempDir dir;
  const fs::path path = dir / "out.txt";
  auto file = DefaultFileSystem().CreateForWriting(path, kOwnerReadWrite);
  std::string expected;
  std::uint32_t seed = 20;
  for (const std::size_t n : {1, 0, 65535, 1, 65536, 3, 65537, 100000, 7, 65534, 2}) {
    const std::string piece = RandomBytes(n, seed++);
    file->Append(piece);
    expected += piece;
  }
  file->Close();
  file->Close();
  EXPECT_TRUE(SameBytes(ReadFileBytes(path), expected));
}

// Nothing is held back: what a conversion appended before it failed is in
// the file, closed or not.
TEST(FileSystemWritableFileTest, BytesReachTheDiskAtEachAppend) {
  TempDir dir;
  const fs::path path = dir / "out.txt";
  {
    auto file = DefaultFileSystem().CreateForWriting(path, kOwnerReadWrite);
    file->Append("first");
    EXPECT_EQ(ReadFileBytes(path), "first");
    const std::string_view pieces[] = {" sec", "", "ond"};
    file->AppendPieces(pieces);
    EXPECT_EQ(ReadFileBytes(path), "first second");
  }
  EXPECT_EQ(ReadFileBytes(path), "first second");
}

// Each time the temporary file is made for writing under one lock, it is
// emptied first, however it was left by the time before.
TEST(FileSystemTemporaryTest, EveryWritingUnderOneLockStartsEmpty) {
  TempDir dir;
  const fs::path input = dir / "game.wvl";
  const fs::path temporary = dir / "game.wvl.tmp";
  WriteFileBytes(input, "the input");  // Windows locks the input itself
  WriteFileBytes(temporary, "an earlier run's");
  FileSystem& files = DefaultFileSystem();
  const auto lock = files.LockConversion(input, temporary, LockWait::kWait);
  for (const std::string_view content : {"longer than the next", "short"}) {
    WriteWholeFile(*lock->CreateTemporary(kOwnerReadWrite), content);
    const auto file = lock->OpenTemporary();
    EXPECT_EQ(file->Length(), static_cast<std::int64_t>(content.size()));
    std::string read(content.size() + 1, '?');
    EXPECT_EQ(file->ReadAt(0, read.data(), read.size()), content.size());
    EXPECT_EQ(read.substr(0, content.size()), content);
    file->Close();
  }
  EXPECT_EQ(ReadFileBytes(temporary), "short");
}

TEST(FileSystemRemoveTest, RemovesAndReportsAMissingFile) {
  TempDir dir;
  const fs::path path = dir / "Привет мир.wvl.tmp";
  WriteFileBytes(path, "data");
  DefaultFileSystem().Remove(path);
  EXPECT_FALSE(fs::exists(fs::symlink_status(path)));

  const auto error = RunTimeErrorOf([&] { DefaultFileSystem().Remove(path); });
  EXPECT_TRUE(ConcernsFile(error, path));
  if (error) {
    EXPECT_EQ(error->number(), ErrorNumber::kFileNotFound);
  }
}

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
