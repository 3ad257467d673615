// SPDX-License-Identifier: MIT
// What a stop removes: the temporary file the conversion in progress made
// through the guard's file layer, and nothing else. Each stop ends a forked
// child, so the files are looked at from the parent.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "cli/interrupts.h"
#include "common/file_system.h"
#include "tests/test_support.h"

namespace holvane::cli {
namespace {

namespace fs = std::filesystem;
using namespace ::holvane::testing;  // the test kit and its GoogleTest helpers

// In a child process, begins the conversion of `input` under a guard, runs
// `conversion` on the guard's file layer and stops the run with SIGINT; the
// files `conversion` keeps alive are alive when the stop comes. Returns the
// child's exit status: 130 when the stop ended it.
int StatusOfStopAfter(const fs::path& input, const std::function<void(FileSystem&)>& conversion) {
  const pid_t child = ::fork();
  if (child == 0) {
    InterruptGuard guard(DefaultFileSystem(), [](int, const fs::path*) { return std::string(); });
    guard.Begin(input);
    conversion(guard.files());
    std::_Exit(99);  // the conversion did not stop
  }
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Stops the run from within a conversion, its files still alive.
[[noreturn]] void StopHere() {
  ::kill(::getpid(), SIGINT);
  for (;;) ::pause();
}

// A pack's temporary file, made new, goes on a stop until it has its name.
TEST(InterruptGuardTest, StopRemovesAFileMadeNewUntilItIsRenamed) {
  TempDir dir;
  const fs::path input = dir / "game.wvl.edit.txt";
  const fs::path temporary = dir / "game.wvl.1.pack.tmp";
  const fs::path output = dir / "game.wvl";
  WriteFileBytes(input, "+ текст\n");

  EXPECT_EQ(StatusOfStopAfter(input,
                              [&](FileSystem& files) {
                                const auto file =
                                    files.CreateNewForWriting(temporary, kOwnerReadWrite);
                                file->Append("packed");
                                file->Close();
                                StopHere();
                              }),
            130);
  EXPECT_FALSE(fs::exists(temporary));
  EXPECT_FALSE(fs::exists(output));

  EXPECT_EQ(StatusOfStopAfter(input,
                              [&](FileSystem& files) {
                                const auto file =
                                    files.CreateNewForWriting(temporary, kOwnerReadWrite);
                                file->Append("packed");
                                file->Close();
                                files.Rename(temporary, output, FileSystem::RenameMode::kReplace);
                                StopHere();
                              }),
            130);
  EXPECT_FALSE(fs::exists(temporary));
  EXPECT_EQ(ReadFileBytes(output), "packed");
}

// A temporary file an earlier run left is not the stopped run's to remove
// while it has not written it; once written, it is.
TEST(InterruptGuardTest, StopRemovesTheLocksTemporaryFileOnlyOnceWritten) {
  TempDir dir;
  const fs::path input = dir / "game.wvl";
  const fs::path temporary = dir / "game.wvl.tmp";
  WriteFileBytes(input, "input");
  WriteFileBytes(temporary, "left by an earlier run");

  EXPECT_EQ(StatusOfStopAfter(input,
                              [&](FileSystem& files) {
                                const auto lock =
                                    files.LockConversion(input, temporary, LockWait::kWait);
                                StopHere();
                              }),
            130);
  EXPECT_EQ(ReadFileBytes(temporary), "left by an earlier run");

  EXPECT_EQ(StatusOfStopAfter(input,
                              [&](FileSystem& files) {
                                const auto lock =
                                    files.LockConversion(input, temporary, LockWait::kWait);
                                WriteWholeFile(*lock->CreateTemporary(kOwnerReadWrite), "content");
                                StopHere();
                              }),
            130);
  EXPECT_FALSE(fs::exists(temporary));
}

}  // namespace
}  // namespace holvane::cli
