// SPDX-License-Identifier: MIT
// The file layer's guarantees the Windows way: reparse points and hard links
// at a name to write are refused, the input is left as it was, a lock is
// waited for, and Windows' errors become the program's numbers.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "common/file_system.h"
#include "common/run_time_error.h"
#include "tests/test_support.h"

namespace holvane {
namespace {

namespace fs = std::filesystem;
using namespace ::holvane::testing;  // the test kit and its GoogleTest helpers

// The name a conversion gives the temporary file of `input`.
fs::path TemporaryOf(const fs::path& input) {
  fs::path temporary = input;
  temporary += ".tmp";
  return temporary;
}

// The folder's name and the files' names have Cyrillic letters in them, which
// only a path kept wide all the way reaches.
const fs::path kFolderName = fs::path(u8"данные");
const fs::path kSentinelName = fs::path(u8"образец.wvl");
const fs::path kRefusedName = fs::path(u8"образец.wvl.txt");

// Makes `name` a reparse point or a hard link leading to `target`; false
// where the system (Wine, an account without the right) cannot make it.
using Maker = std::function<bool(const fs::path& name, const fs::path& target)>;

bool MakeFileSymlink(const fs::path& name, const fs::path& target) {
  return ::CreateSymbolicLinkW(name.c_str(), target.c_str(),
                               SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) != 0;
}

bool MakeFolderSymlink(const fs::path& name, const fs::path& target) {
  return ::CreateSymbolicLinkW(
             name.c_str(), target.parent_path().c_str(),
             SYMBOLIC_LINK_FLAG_DIRECTORY | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) != 0;
}

bool MakeHardLink(const fs::path& name, const fs::path& target) {
  return ::CreateHardLinkW(name.c_str(), target.c_str(), nullptr) != 0;
}

// Whether `name` is there as a reparse point. (Wine says yes to a symbolic
// link it then does not make.)
bool IsReparsePoint(const fs::path& name) {
  const DWORD attributes = ::GetFileAttributesW(name.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Writing must never go through a name to some other file.
struct LinkCase {
  const char* what;
  Maker make;
  bool reparse_point;
};

void PrintTo(const LinkCase& c, std::ostream* out) { *out << c.what; }

class Win32LinkAtTheNameToWrite : public ::testing::TestWithParam<LinkCase> {};

TEST_P(Win32LinkAtTheNameToWrite, IsRefusedAndNotFollowed) {
  const LinkCase& c = GetParam();
  const std::string kSentinel = "sentinel bytes\r\n";
  TempDir dir;
  const fs::path folder = dir / kFolderName;
  fs::create_directory(folder);
  const fs::path sentinel = folder / kSentinelName;
  const fs::path name = folder / kRefusedName;
  WriteFileBytes(sentinel, kSentinel);
  if (!c.make(name, sentinel) || (c.reparse_point && !IsReparsePoint(name))) {
    // Wine reports symbolic links as made without making them.
    GTEST_SKIP() << "the system could not make it: error " << ::GetLastError();
  }
  const auto before = fs::symlink_status(name).type();

  const auto error = RunTimeErrorOf([&] { WriteWholeFile(name, "new bytes", kOwnerReadWrite); });
  EXPECT_TRUE(ConcernsFile(error, name));
  if (error) {
    EXPECT_EQ(error->number(), ErrorNumber::kPathFileAccess);
  }
  EXPECT_EQ(ReadFileBytes(sentinel), kSentinel);
  EXPECT_EQ(fs::symlink_status(name).type(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Links, Win32LinkAtTheNameToWrite,
    ::testing::Values(LinkCase{"symbolic link to the file", MakeFileSymlink, true},
                      LinkCase{"symbolic link to a folder", MakeFolderSymlink, true},
                      LinkCase{"hard link to the file", MakeHardLink, false}),
    [](const auto& info) {
      return std::string(info.index == 2   ? "HardLink"
                         : info.index == 1 ? "FolderSymlink"
                                           : "FileSymlink");
    });

// Reading and locking an input changes nothing of it, not even its time of
// last writing, and what is read is what it holds.
TEST(Win32FileSystemTest, InputIsReadAndLockedUnchanged) {
  TempDir dir;
  fs::create_directory(dir / kFolderName);
  const fs::path input = dir / kFolderName / kSentinelName;
  const std::string bytes = "входные байты";
  WriteFileBytes(input, bytes);
  const auto written = fs::last_write_time(input);
  {
    auto lock = DefaultFileSystem().LockConversion(input, TemporaryOf(input), LockWait::kWait);
    EXPECT_EQ(ReadWholeFile(input), bytes);
  }
  EXPECT_EQ(ReadFileBytes(input), bytes);
  EXPECT_EQ(fs::last_write_time(input), written);
}

// A second lock of a locked input waits for the first to go, or, told not to
// wait, is refused at once; one of another file is not held up. The order is
// seen, not timed: the waiting thread has not finished while the first lock
// is held, and finishes once it is gone.
TEST(Win32FileSystemTest, LockedInputMakesASecondLockWait) {
  TempDir dir;
  fs::create_directory(dir / kFolderName);
  const fs::path input = dir / kFolderName / kSentinelName;
  const fs::path other = dir / kFolderName / u8"другой.wvl";
  WriteFileBytes(input, "locked");
  WriteFileBytes(other, "other");
  auto lock = DefaultFileSystem().LockConversion(input, TemporaryOf(input), LockWait::kWait);
  EXPECT_NE(DefaultFileSystem().LockConversion(other, TemporaryOf(other), LockWait::kDontWait),
            nullptr);
  EXPECT_EQ(DefaultFileSystem().LockConversion(input, TemporaryOf(input), LockWait::kDontWait),
            nullptr);

  std::atomic<bool> started = false;
  std::atomic<bool> finished = false;
  std::optional<RunTimeError> error;
  std::thread second([&] {
    started = true;
    error = RunTimeErrorOf(
        [&] { DefaultFileSystem().LockConversion(input, TemporaryOf(input), LockWait::kWait); });
    finished = true;
  });
  while (!started) std::this_thread::yield();
  // The thread is given time to get as far as it can; should it not wait, it
  // finishes meanwhile and the check below fails.
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  const bool finished_first = finished;
  lock.reset();
  second.join();
  EXPECT_FALSE(finished_first) << "the second lock did not wait";
  EXPECT_FALSE(error.has_value()) << error->what();
}

// Windows' errors become the numbers the program reports on every system, and
// the failure concerns the path it was about.
TEST(Win32FileSystemTest, ErrorsMapToTheProgramsNumbers) {
  TempDir dir;
  fs::create_directory(dir / kFolderName);
  const fs::path folder = dir / kFolderName;
  const fs::path busy = folder / u8"занят.wvl";
  WriteFileBytes(busy, "bytes");
  // Held open with no sharing: every other open is a sharing violation.
  const HANDLE holder = ::CreateFileW(busy.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  const std::unique_ptr<void, decltype(&::CloseHandle)> holding(holder, &::CloseHandle);

  struct Case {
    const char* what;
    fs::path path;
    std::function<void(const fs::path&)> call;
    ErrorNumber number;
  };
  const auto read = [](const fs::path& path) { ReadWholeFile(path); };
  const auto write = [](const fs::path& path) { WriteWholeFile(path, "data", kOwnerReadWrite); };
  const std::vector<Case> cases = {
      {"missing file", folder / u8"нет.wvl", read, ErrorNumber::kFileNotFound},
      {"missing folder", folder / u8"нет" / u8"файла.wvl", read, ErrorNumber::kPathNotFound},
      {"missing folder to write in", folder / u8"нет" / u8"файла.txt", write,
       ErrorNumber::kPathNotFound},
      {"folder to read", folder, read, ErrorNumber::kPathFileAccess},
      {"folder to write", folder, write, ErrorNumber::kPathFileAccess},
      {"file another holds to read", busy, read, ErrorNumber::kPathFileAccess},
      {"file another holds to write", busy, write, ErrorNumber::kPathFileAccess},
      {"file another holds to remove", busy,
       [](const fs::path& path) { DefaultFileSystem().Remove(path); },
       ErrorNumber::kPathFileAccess},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto error = RunTimeErrorOf([&] { c.call(c.path); });
    EXPECT_TRUE(ConcernsFile(error, c.path));
    if (error) {
      EXPECT_EQ(error->number(), c.number) << error->what();
    }
  }
}

}  // namespace
}  // namespace holvane
