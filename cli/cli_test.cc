// SPDX-License-Identifier: MIT
// Runs the built holvane-convert as a person or a script would, with its
// standard error on a pipe or on a pseudo-terminal, and checks what it writes
// to disk, to both streams and its exit status.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <string.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "common/run_time_error.h"
#include "compression/czlib.h"
#include "conversion/convert_file.h"
#include "tests/test_support.h"

namespace holvane {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using namespace ::holvane::testing;  // the test kit and its GoogleTest helpers
using Arguments = std::vector<std::string>;

constexpr std::string_view kPrefix = "holvane-convert: ";
constexpr std::string_view kUsage = "Использование: holvane-convert";
constexpr std::string_view kClearLine = "\r\033[K";

// ---------------------------------------------------------------------------
// Running the program

struct Result {
  int status = -1;  // the exit status, or -1 when a signal ended the program
  int signal = 0;   // the signal that ended it
  std::string out;
  std::string err;
};

// Where standard output goes: a pipe the test reads, or one that fails
// every write.
enum class Output { kPipe, kFullDevice, kClosedPipe };

struct How {
  bool stderr_on_terminal = false;
  unsigned short columns = 200;
  fs::path working_folder;
  Output output = Output::kPipe;
  // What standard input holds, through a pipe (at most a pipe's buffer, 64
  // KiB); /dev/null when none.
  std::optional<std::string> input;
  // Run as an ordinary user would: when the tests run as root, the program
  // runs as nobody (its files must be open to all), since root is exempt
  // from some limits and from every permission.
  bool unprivileged = false;
  // Resource limits (RLIMIT_*) set for the program alone, after privileges
  // are dropped, soft and hard alike.
  std::vector<std::pair<int, rlim_t>> limits;
  // NAME=VALUE settings of the program's environment, beside the test's own.
  std::vector<std::string> environment;
};

// Lets any user, nobody among them, read and write in `folder`.
void OpenToAll(const fs::path& folder) { fs::permissions(folder, fs::perms::all); }

// The program where any user may run it: the build's folder may be closed
// to others (a clone in root's home), so a copy is made once for the tests.
const fs::path& ProgramForAll() {
  static const TempDir folder("holvane-program");
  static const fs::path program = [] {
    fs::permissions(folder.path(), fs::perms::owner_all | fs::perms::group_read |
                                       fs::perms::group_exec | fs::perms::others_read |
                                       fs::perms::others_exec);
    const fs::path copy = folder / "holvane-convert";
    fs::copy_file(HOLVANE_CONVERT_PATH, copy);
    return copy;
  }();
  return program;
}

How OnTerminal(unsigned short columns = 200, const fs::path& working_folder = {}) {
  How how;
  how.stderr_on_terminal = true;
  how.columns = columns;
  how.working_folder = working_folder;
  return how;
}

void CloseOnExec(int fd) { ::fcntl(fd, F_SETFD, FD_CLOEXEC); }

// Reads every stream until its writers are gone, whichever fills first, so a
// child blocked on a full pipe cannot stall the test.
void Drain(std::vector<std::pair<int, std::string*>> streams) {
  while (!streams.empty()) {
    std::vector<pollfd> fds;
    for (const auto& [fd, sink] : streams) fds.push_back({fd, POLLIN, 0});
    if (::poll(fds.data(), fds.size(), -1) < 0) {
      if (errno == EINTR) continue;
      throw std::system_error(errno, std::generic_category(), "poll");
    }
    for (std::size_t i = fds.size(); i-- > 0;) {
      if (fds[i].revents == 0) continue;
      char buffer[4096];
      const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        streams[i].second->append(buffer, static_cast<std::size_t>(n));
      } else if (n < 0 && errno == EINTR) {
        continue;
      } else {
        // A pseudo-terminal's master reports EIO, not end of file, once the
        // last slave is closed.
        ::close(fds[i].fd);
        streams.erase(streams.begin() + static_cast<std::ptrdiff_t>(i));
      }
    }
  }
}

// The program started with `arguments`; Finish waits for it to end, reading
// both of its streams meanwhile.
class Running {
 public:
  explicit Running(const Arguments& arguments, const How& how = {}) {
    std::vector<std::string> argv_strings{how.unprivileged ? ProgramForAll().string()
                                                           : HOLVANE_CONVERT_PATH};
    argv_strings.insert(argv_strings.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : argv_strings) argv.push_back(argument.data());
    argv.push_back(nullptr);
    const std::string folder = how.working_folder.string();

    int out[2];
    if (::pipe(out) != 0) throw std::system_error(errno, std::generic_category(), "pipe");
    int err_write = -1;
    if (how.stderr_on_terminal) {
      // Raw, so the terminal hands over the bytes as written (no CR added
      // before each LF).
      termios mode{};
      ::cfmakeraw(&mode);
      winsize size{};
      size.ws_row = 24;
      size.ws_col = how.columns;
      if (::openpty(&err_read_, &err_write, nullptr, &mode, &size) != 0) {
        throw std::system_error(errno, std::generic_category(), "openpty");
      }
    } else {
      int err[2];
      if (::pipe(err) != 0) throw std::system_error(errno, std::generic_category(), "pipe");
      err_read_ = err[0];
      err_write = err[1];
    }
    out_read_ = out[0];
    int in_read = -1;
    if (how.input) {
      int in[2];
      if (::pipe(in) != 0) throw std::system_error(errno, std::generic_category(), "pipe");
      if (::write(in[1], how.input->data(), how.input->size()) !=
          static_cast<ssize_t>(how.input->size())) {
        throw std::system_error(errno, std::generic_category(), "write");
      }
      ::close(in[1]);
      in_read = in[0];
      CloseOnExec(in_read);
    }
    for (int fd : {out[0], out[1], err_read_, err_write}) CloseOnExec(fd);
    if (how.output == Output::kClosedPipe) ::close(std::exchange(out_read_, -1));

    pid_ = ::fork();
    if (pid_ < 0) throw std::system_error(errno, std::generic_category(), "fork");
    if (pid_ == 0) {
      const int null = in_read >= 0 ? in_read : ::open("/dev/null", O_RDONLY);
      const int stdout_fd =
          how.output == Output::kFullDevice ? ::open("/dev/full", O_WRONLY) : out[1];
      if (null < 0 || ::dup2(null, 0) < 0 || ::dup2(stdout_fd, 1) < 0 || ::dup2(err_write, 2) < 0) {
        ::_exit(126);
      }
      if (!folder.empty() && ::chdir(folder.c_str()) != 0) ::_exit(126);
      constexpr uid_t kNobody = 65534;
      if (how.unprivileged && ::geteuid() == 0 &&
          (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
        ::_exit(126);
      }
      for (const std::string& setting : how.environment) {
        if (::putenv(const_cast<char*>(setting.c_str())) != 0) ::_exit(126);
      }
      for (const auto& [resource, value] : how.limits) {
        const rlimit limit{value, value};
        if (::setrlimit(resource, &limit) != 0) ::_exit(126);
      }
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    ::close(out[1]);
    ::close(err_write);
    if (in_read >= 0) ::close(in_read);
  }
  Running(const Running&) = delete;
  Running& operator=(const Running&) = delete;

  pid_t pid() const { return pid_; }

  // Whether the program has ended; it is left for Finish to collect.
  bool Ended() const {
    siginfo_t info{};
    return ::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
           info.si_pid == pid_;
  }

  // Reads standard error until it holds `text` (true) or ends (false). What
  // is read is kept for Finish.
  bool AwaitError(std::string_view text) {
    while (err_so_far_.find(text) == std::string::npos) {
      char buffer[4096];
      const ssize_t n = ::read(err_read_, buffer, sizeof buffer);
      if (n > 0) {
        err_so_far_.append(buffer, static_cast<std::size_t>(n));
      } else if (n == 0 || errno != EINTR) {
        return false;
      }
    }
    return true;
  }

  Result Finish() {
    Result result;
    result.err = std::move(err_so_far_);
    std::vector<std::pair<int, std::string*>> streams{{err_read_, &result.err}};
    if (out_read_ >= 0) streams.emplace_back(out_read_, &result.out);
    Drain(std::move(streams));
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) result.status = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
    return result;
  }

 private:
  pid_t pid_ = -1;
  int out_read_ = -1;
  int err_read_ = -1;
  std::string err_so_far_;
};

Result RunConvert(const Arguments& arguments, const How& how = {}) {
  return Running(arguments, how).Finish();
}

// ---------------------------------------------------------------------------
// Samples and what to compare

std::vector<Entry> Sample(int seed) {
  return {{"file " + std::to_string(seed), 0},
          {"\xCF\xF0\xE8\xE2\xE5\xF2", -1},  // "Привет" in code page 1251
          {"line\r\nbreak\0z"s, seed + 7},
          {"", 0}};
}

void WriteSample(const fs::path& path, int seed) {
  WriteFileBytes(path, ZlibCompress(RecordStream(Sample(seed))));
}

enum class Fault { kNotZlib, kTruncatedRecords };

void PrintTo(Fault fault, std::ostream* out) {
  switch (fault) {
    case Fault::kNotZlib:
      *out << "NotZlib";
      return;
    case Fault::kTruncatedRecords:
      *out << "TruncatedRecords";
      return;
  }
}

std::string Faulty(Fault fault) {
  const std::string records = RecordStream({{"first", 0}, {"second", -1}});
  switch (fault) {
    case Fault::kNotZlib:
      return "plain text, not a zlib stream";
    case Fault::kTruncatedRecords:
      return ZlibCompress(records.substr(0, records.size() - 3));
  }
  return {};
}

std::string CountLine(int converted) {
  return "Файлов успешно декомпилировано: " + std::to_string(converted) + ".\n";
}

std::string FailedLine(int failed) {
  return "Файлов с ошибками: " + std::to_string(failed) + ".\n";
}

std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    lines.emplace_back(text.substr(0, end));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

// The lines of standard error before the count of failed files that ends it.
std::vector<std::string> FailureLines(std::string_view err) {
  std::vector<std::string> lines = Lines(err);
  if (!lines.empty() && lines.back().starts_with("Файлов с ошибками: ")) lines.pop_back();
  return lines;
}

bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

// Whether `line` is one failure report for `file`: the program's prefix, the
// file's name, and a cause after it.
::testing::AssertionResult ReportsFailureOf(const std::string& line, const fs::path& file) {
  const std::size_t at = line.find(file.string());
  if (!line.starts_with(kPrefix) || at == std::string::npos ||
      line.size() <= at + file.string().size() + 2) {
    return ::testing::AssertionFailure() << "«" << line << "» is no failure report for " << file;
  }
  return ::testing::AssertionSuccess();
}

// Every file and folder under `root` (symbolic links not followed), each with
// its bytes, a folder's marked as such, a link's as its target.
std::map<std::string, std::string> Snapshot(const fs::path& root) {
  std::map<std::string, std::string> snapshot;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    const std::string name = fs::relative(entry.path(), root).string();
    if (entry.is_symlink()) {
      snapshot[name] = "link to " + fs::read_symlink(entry.path()).string();
    } else if (entry.is_directory()) {
      snapshot[name] = "folder";
    } else {
      snapshot[name] = ReadFileBytes(entry.path());
    }
  }
  return snapshot;
}

void ExpectSameTree(const fs::path& actual, const fs::path& expected) {
  const auto got = Snapshot(actual);
  const auto want = Snapshot(expected);
  std::vector<std::string> got_names;
  std::vector<std::string> want_names;
  for (const auto& [name, bytes] : got) got_names.push_back(name);
  for (const auto& [name, bytes] : want) want_names.push_back(name);
  ASSERT_EQ(got_names, want_names);
  for (const auto& [name, bytes] : want) EXPECT_TRUE(SameBytes(got.at(name), bytes)) << name;
}

// ---------------------------------------------------------------------------
// One bad file among good ones

// A file that fails, before anything is written or with its record stream
// broken off, is the program's one report, naming the file and giving the
// core's cause (with the offset where the stream breaks); the files after it
// are still converted, and the folder is left as ConvertFile leaves it. On a
// pipe there is no progress line to erase.
class CliBadFileAmongGood : public ::testing::TestWithParam<Fault> {};

TEST_P(CliBadFileAmongGood, ReportsItOnceAndConvertsTheRest) {
  TempDir by_core;
  TempDir by_program;
  for (const TempDir* dir : {&by_core, &by_program}) {
    WriteSample(*dir / "a.wvl", 1);
    WriteFileBytes(*dir / "b.wvl", Faulty(GetParam()));
    WriteSample(*dir / "c.wvl", 3);
  }
  std::optional<cZLIB> zlib;
  std::optional<RunTimeError> core_error;
  for (const char* name : {"a.wvl", "b.wvl", "c.wvl"}) {
    if (auto error = RunTimeErrorOf([&] { ConvertFile(by_core.path(), name, zlib); })) {
      core_error = std::move(error);
    }
  }
  ASSERT_TRUE(core_error.has_value());

  const Result result = RunConvert({by_program.path().string()});

  EXPECT_EQ(result.status, 1);
  const auto lines = FailureLines(result.err);
  ASSERT_EQ(lines.size(), 1u) << result.err;
  EXPECT_TRUE(result.err.ends_with(FailedLine(1))) << result.err;
  EXPECT_TRUE(ReportsFailureOf(lines[0], by_program / "b.wvl"));
  EXPECT_TRUE(Contains(lines[0], core_error->what())) << lines[0];
  EXPECT_FALSE(Contains(result.err, "\r")) << result.err;
  EXPECT_FALSE(Contains(result.err, "\033")) << result.err;
  EXPECT_EQ(result.out, CountLine(2));
  ExpectSameTree(by_program.path(), by_core.path());
}

INSTANTIATE_TEST_SUITE_P(Faults, CliBadFileAmongGood,
                         ::testing::Values(Fault::kNotZlib, Fault::kTruncatedRecords),
                         [](const auto& info) { return ::testing::PrintToString(info.param); });

// ---------------------------------------------------------------------------
// Which files a folder stands for, and in what order

TEST(CliFolder, ConvertsOnlyWhatTheFileListShows) {
  TempDir dir;
  for (const char* name : {"a.wvl", "B.WVL", "c.Wvl"}) WriteSample(dir / name, 1);
  // Each of these would fail to convert, so taking any of them shows.
  for (const char* name : {".hidden.wvl", "d.txt", "e.wvl.bak", "wvl", "f.wvl2"}) {
    WriteFileBytes(dir / name, Faulty(Fault::kNotZlib));
  }
  fs::create_directory(dir / "folder.wvl");
  fs::create_directory(dir / "sub");
  WriteFileBytes(dir / "sub" / "g.wvl", Faulty(Fault::kNotZlib));
  auto expected = Snapshot(dir.path());
  for (const char* name : {"a.wvl.txt", "B.WVL.txt", "c.Wvl.txt"}) {
    expected[name] = RenderedText(Sample(1));
  }

  const Result result = RunConvert({dir.path().string()});

  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.out, CountLine(3));
  EXPECT_EQ(Snapshot(dir.path()), expected);
}

// Conversion order only shows in the order of the reports, so every file here
// fails.
TEST(CliFolder, TakesFilesByNameIgnoringCaseAndPathsInTheOrderGiven) {
  TempDir first;
  TempDir second;
  for (const char* name : {"c.wvl", "B.wvl", "a.wvl", "D.wvl"}) {
    WriteFileBytes(first / name, Faulty(Fault::kNotZlib));
  }
  WriteFileBytes(second / "0.wvl", Faulty(Fault::kNotZlib));
  WriteFileBytes(second / "lone.dat", Faulty(Fault::kNotZlib));

  const Result result = RunConvert(
      {(second / "lone.dat").string(), first.path().string(), (second / "0.wvl").string()});

  EXPECT_EQ(result.status, 1);
  // Nothing converted, so no count line either.
  EXPECT_EQ(result.out, "");
  const std::vector<fs::path> expected = {second / "lone.dat", first / "a.wvl", first / "B.wvl",
                                          first / "c.wvl",     first / "D.wvl", second / "0.wvl"};
  const auto lines = FailureLines(result.err);
  ASSERT_EQ(lines.size(), expected.size()) << result.err;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_TRUE(ReportsFailureOf(lines[i], expected[i])) << "report " << i;
  }
}

struct WalkCase {
  const char* name;
  Arguments options;
  std::vector<const char*> reported;  // relative to the folder given
};

void PrintTo(const WalkCase& c, std::ostream* out) { *out << c.name; }

class CliWalk : public ::testing::TestWithParam<WalkCase> {};

TEST_P(CliWalk, TakesSubfoldersOnlyWhenAskedAndNeverLinkedOrHiddenOnes) {
  TempDir dir;
  TempDir elsewhere;
  fs::create_directories(dir / "B");
  fs::create_directories(dir / "a" / "deep");
  fs::create_directories(dir / ".hidden");
  for (const char* name :
       {"z.wvl", "B/Y.wvl", "B/x.wvl", "a/w.wvl", "a/deep/v.wvl", ".hidden/h.wvl"}) {
    WriteFileBytes(dir / name, Faulty(Fault::kNotZlib));
  }
  WriteFileBytes(elsewhere / "o.wvl", Faulty(Fault::kNotZlib));
  fs::create_directory_symlink(elsewhere.path(), dir / "linked");
  fs::create_directory_symlink(".", dir / "a" / "loop");
  const auto elsewhere_before = Snapshot(elsewhere.path());

  Arguments arguments = GetParam().options;
  arguments.push_back(dir.path().string());
  const Result result = RunConvert(arguments);

  EXPECT_EQ(result.status, 1);
  const auto lines = FailureLines(result.err);
  const auto& reported = GetParam().reported;
  ASSERT_EQ(lines.size(), reported.size()) << result.err;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_TRUE(ReportsFailureOf(lines[i], dir / reported[i])) << "report " << i;
  }
  EXPECT_EQ(Snapshot(elsewhere.path()), elsewhere_before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliWalk,
    ::testing::Values(
        WalkCase{"Short", {"-r"}, {"z.wvl", "a/w.wvl", "a/deep/v.wvl", "B/x.wvl", "B/Y.wvl"}},
        WalkCase{
            "Long", {"--recursive"}, {"z.wvl", "a/w.wvl", "a/deep/v.wvl", "B/x.wvl", "B/Y.wvl"}},
        WalkCase{"NotAsked", {}, {"z.wvl"}}),
    [](const auto& info) { return std::string(info.param.name); });

// A chain of folders under `parent` whose full name grows past PATH_MAX, so
// that its deepest folder cannot be listed by name, by root neither (unlike a
// folder without permissions). Made and removed through descriptors, since
// the full name cannot be used.
class TooDeepFolder {
 public:
  explicit TooDeepFolder(const fs::path& parent) {
    fds_.push_back(::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    for (std::size_t length = parent.string().size(); length <= PATH_MAX;
         length += 1 + kName.size()) {
      if (fds_.back() < 0 || ::mkdirat(fds_.back(), kName.c_str(), 0755) != 0) {
        throw std::system_error(errno, std::generic_category(), "mkdirat");
      }
      fds_.push_back(::openat(fds_.back(), kName.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    }
  }
  ~TooDeepFolder() {
    for (std::size_t i = fds_.size() - 1; i > 0; --i) {
      ::close(fds_[i]);
      ::unlinkat(fds_[i - 1], kName.c_str(), AT_REMOVEDIR);
    }
    ::close(fds_[0]);
  }
  TooDeepFolder(const TooDeepFolder&) = delete;
  TooDeepFolder& operator=(const TooDeepFolder&) = delete;

  static inline const std::string kName = std::string(200, 'd');

 private:
  std::vector<int> fds_;
};

TEST(CliWalkFailure, UnlistableSubfolderCostsOnlyItself) {
  TempDir dir;
  WriteSample(dir / "a.wvl", 1);
  fs::create_directory(dir / "z");
  WriteSample(dir / "z" / "y.wvl", 2);
  const TooDeepFolder deep(dir.path());

  const Result result = RunConvert({"-r", dir.path().string()});

  EXPECT_EQ(result.status, 1);
  const auto lines = Lines(result.err);
  ASSERT_EQ(lines.size(), 1u) << result.err;
  EXPECT_TRUE(ReportsFailureOf(lines[0], dir / TooDeepFolder::kName));
  EXPECT_EQ(result.out, CountLine(2));
  EXPECT_TRUE(fs::exists(dir / "a.wvl.txt"));
  EXPECT_TRUE(fs::exists(dir / "z" / "y.wvl.txt"));
}

// ---------------------------------------------------------------------------
// Mistakes on the command line

struct UsageCase {
  const char* name;
  // "@file" stands for a convertible file, "@folder" for its folder.
  Arguments arguments;
  std::string named;  // what the message must mention, with the same stand-ins
};

void PrintTo(const UsageCase& c, std::ostream* out) { *out << c.name; }

class CliUsageError : public ::testing::TestWithParam<UsageCase> {};

TEST_P(CliUsageError, ExitsWithTwoAndUsageConvertingNothing) {
  TempDir dir;
  WriteSample(dir / "good.wvl", 1);
  const auto before = Snapshot(dir.path());
  auto substitute = [&dir](const std::string& text) -> std::string {
    if (text == "@file") return (dir / "good.wvl").string();
    if (text == "@folder") return dir.path().string();
    return text;
  };
  Arguments arguments;
  for (const std::string& argument : GetParam().arguments) {
    arguments.push_back(substitute(argument));
  }

  const Result result = RunConvert(arguments);

  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.out, "");
  EXPECT_TRUE(Contains(result.err, kUsage)) << result.err;
  EXPECT_TRUE(Contains(result.err, substitute(GetParam().named))) << result.err;
  EXPECT_EQ(Snapshot(dir.path()), before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliUsageError,
    ::testing::Values(UsageCase{"UnknownShort", {"-x", "@file"}, "-x"},
                      UsageCase{"UnknownLong", {"@file", "--bogus"}, "--bogus"},
                      UsageCase{"NoPath", {}, ""}, UsageCase{"OptionsButNoPath", {"-r"}, ""}),
    [](const auto& info) { return std::string(info.param.name); });

// A PATH that does not exist is that PATH's failure, not a mistake on the
// command line: the others are still converted, each file once however often
// it is named.
TEST(CliPaths, MissingOneFailsAloneAndEachFileIsConvertedOnce) {
  TempDir dir;
  WriteSample(dir / "a.wvl", 1);
  WriteSample(dir / "b.wvl", 2);
  How in_folder;
  in_folder.working_folder = dir.path();

  const Result result =
      RunConvert({"missing.wvl", "a.wvl", "./a.wvl", ".", dir.path().string(), "gone/"}, in_folder);

  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, CountLine(2));
  const auto lines = Lines(result.err);
  ASSERT_EQ(lines.size(), 2u) << result.err;
  EXPECT_TRUE(ReportsFailureOf(lines[0], "missing.wvl"));
  EXPECT_TRUE(ReportsFailureOf(lines[1], "gone/"));
  EXPECT_TRUE(SameBytes(ReadFileBytes(dir / "a.wvl.txt"), RenderedText(Sample(1))));
  EXPECT_TRUE(SameBytes(ReadFileBytes(dir / "b.wvl.txt"), RenderedText(Sample(2))));
}

// Standard output that cannot be written fails the run, even when every file
// was converted; a reader that went away ends it at once and quietly, by
// SIGPIPE, as it ends cat.
struct OutputErrorCase {
  const char* name;
  Output output;
  bool texts;  // -c: the texts go there, not only the count line
  int status;  // or -1 for `signal`
  int signal;
};

void PrintTo(const OutputErrorCase& c, std::ostream* out) { *out << c.name; }

class CliOutputError : public ::testing::TestWithParam<OutputErrorCase> {};

TEST_P(CliOutputError, FailsTheRunOrEndsItQuietly) {
  const OutputErrorCase& c = GetParam();
  TempDir dir;
  WriteSample(dir / "a.wvl", 1);
  WriteSample(dir / "b.wvl", 2);
  How how;
  how.output = c.output;
  Arguments arguments{(dir / "a.wvl").string(), (dir / "b.wvl").string()};
  if (c.texts) arguments.push_back("-c");

  const Result result = RunConvert(arguments, how);

  EXPECT_EQ(result.status, c.status);
  EXPECT_EQ(result.signal, c.signal);
  if (c.signal == 0) {
    const auto lines = Lines(result.err);
    ASSERT_EQ(lines.size(), 1u) << result.err;
    EXPECT_TRUE(lines[0].starts_with("holvane-convert: ошибка записи в стандартный вывод: "))
        << lines[0];
  } else {
    EXPECT_EQ(result.err, "");
  }
  EXPECT_EQ(fs::exists(dir / "a.wvl.txt"), !c.texts);
  if (!c.texts) {
    EXPECT_TRUE(SameBytes(ReadFileBytes(dir / "a.wvl.txt"), RenderedText(Sample(1))));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliOutputError,
    ::testing::Values(OutputErrorCase{"FullDevice", Output::kFullDevice, false, 1, 0},
                      OutputErrorCase{"ClosedPipe", Output::kClosedPipe, false, -1, SIGPIPE},
                      OutputErrorCase{"ClosedPipeForTexts", Output::kClosedPipe, true, -1,
                                      SIGPIPE}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Names that would drive the terminal

// Names whose bytes move the cursor, set the title, forge a line, or are not
// UTF-8, each beside the escaped form it must be shown as.
const std::vector<std::pair<std::string, std::string>> kHostileNames = {
    {"bell\a.wvl", "bell\\x07.wvl"},
    {"title\x1b]0;pwned\a.wvl", "title\\x1b]0;pwned\\x07.wvl"},
    {"back\rforged.wvl", "back\\x0dforged.wvl"},
    {"line\nholvane-convert: forged.wvl", "line\\x0aholvane-convert: forged.wvl"},
    {"cp1251 \xcf\xf0\xe8.wvl", "cp1251 \\xcf\\xf0\\xe8.wvl"},
};

// `err` without the progress line's own erasures.
std::string WithoutErasures(std::string err) {
  for (std::size_t at; (at = err.find(kClearLine)) != std::string::npos;) {
    err.erase(at, kClearLine.size());
  }
  return err;
}

bool HasRawControl(std::string_view text) {
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte < 0x20 && byte != '\n') || byte == 0x7F) return true;
  }
  return false;
}

TEST(CliHostileNames, AreShownEscapedInFailuresProgressAndUsage) {
  TempDir dir;
  for (const auto& [name, shown] : kHostileNames) {
    WriteFileBytes(dir / name, Faulty(Fault::kNotZlib));
  }

  const Result result = RunConvert({dir.path().string()}, OnTerminal());
  const Result usage = RunConvert({"--\x1b[2Jbogus", dir.path().string()});

  EXPECT_EQ(result.status, 1);
  const std::string err = WithoutErasures(result.err);
  EXPECT_FALSE(HasRawControl(err)) << err;
  const auto lines = FailureLines(err);
  // Each failure one line; the progress line drawn before each is part of it.
  ASSERT_EQ(lines.size(), kHostileNames.size()) << err;
  for (const auto& [name, shown] : kHostileNames) {
    const std::string report = std::string(kPrefix) + dir.path().string() + "/" + shown + ": ";
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [&](const std::string& line) { return Contains(line, report); }),
              1)
        << shown;
    EXPECT_TRUE(Contains(err, "] " + dir.path().string() + "/" + shown)) << shown;
  }
  EXPECT_EQ(usage.status, 2);
  EXPECT_FALSE(HasRawControl(usage.err)) << usage.err;
  EXPECT_TRUE(Contains(usage.err, "--\\x1b[2Jbogus")) << usage.err;
}

// ---------------------------------------------------------------------------
// Runs that overlap, and runs that are stopped

// Entries of one kind, numbered so that every line differs.
std::vector<Entry> Numbered(std::size_t count, std::size_t width) {
  std::vector<Entry> entries;
  entries.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    std::string text = std::to_string(i);
    text.insert(0, width - text.size(), '0');
    entries.push_back({text, static_cast<std::int32_t>(i % 3) - 1});
  }
  return entries;
}

TEST(CliOverlap, RunsOnTheSameFileWaitForOneAnother) {
  constexpr int kRounds = 10;
  constexpr int kRuns = 4;
  TempDir dir;
  const std::vector<Entry> entries = Numbered(400'000, 12);
  WriteFileBytes(dir / "big.wvl", ZlibCompress(RecordStream(entries)));
  const std::string expected = RenderedText(entries);

  for (int round = 0; round < kRounds; ++round) {
    std::vector<std::unique_ptr<Running>> runs;
    for (int i = 0; i < kRuns; ++i) {
      runs.push_back(std::make_unique<Running>(Arguments{(dir / "big.wvl").string()}));
    }
    for (auto& run : runs) {
      const Result result = run->Finish();
      EXPECT_EQ(result.status, 0) << "round " << round << ": " << result.err;
      EXPECT_EQ(result.out, CountLine(1));
    }
    ASSERT_TRUE(SameBytes(ReadFileBytes(dir / "big.wvl.txt"), expected)) << "round " << round;
    ASSERT_FALSE(fs::exists(dir / "big.wvl.tmp")) << "round " << round;
  }
}

// An editor saves the usual safe way, writing a new file and renaming it over
// the old one, while a run converts the old one, and a watcher starts a
// second run on the new one. Both write the same .tmp and .txt, so the
// second waits for the first, then converts the new content, whatever the
// moment of the rename. Also as an ordinary user, in a folder open to all.
class CliOverlapRenamedOver : public ::testing::TestWithParam<bool> {};

TEST_P(CliOverlapRenamedOver, SecondRunWaitsAndConvertsTheNewFile) {
  constexpr int kRounds = 20;
  TempDir dir;
  OpenToAll(dir.path());
  const std::string old_input = ZlibCompress(RecordStream(Numbered(400'000, 12)));
  // Small, so that a second run that did not wait would be writing the .tmp
  // and .txt while the first still renders.
  const std::vector<Entry> new_entries = Numbered(2000, 13);
  const std::string new_input = ZlibCompress(RecordStream(new_entries));
  const std::string expected = RenderedText(new_entries);
  How how;
  how.unprivileged = GetParam();
  const Arguments arguments{(dir / "big.wvl").string()};

  for (int round = 0; round < kRounds; ++round) {
    WriteFileBytes(dir / "big.wvl", old_input);
    Running first(arguments, how);
    // Once the first has begun: its .tmp is there.
    while (!fs::exists(dir / "big.wvl.tmp") && !first.Ended()) ::usleep(200);
    WriteFileBytes(dir / "big.wvl.new", new_input);
    fs::rename(dir / "big.wvl.new", dir / "big.wvl");
    Running second(arguments, how);
    for (Running* run : {&first, &second}) {
      const Result result = run->Finish();
      EXPECT_EQ(result.status, 0) << "round " << round << ": " << result.err;
      EXPECT_EQ(result.out, CountLine(1)) << "round " << round;
    }
    ASSERT_FALSE(fs::exists(dir / "big.wvl.tmp")) << "round " << round;
    ASSERT_TRUE(SameBytes(ReadFileBytes(dir / "big.wvl.txt"), expected)) << "round " << round;
  }
}

INSTANTIATE_TEST_SUITE_P(Users, CliOverlapRenamedOver, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Unprivileged" : "AsTester"; });

// Whether `folder` holds a temporary file a pack left.
bool HoldsPackTemporary(const fs::path& folder) {
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.path().string().ends_with(".pack.tmp")) return true;
  }
  return false;
}

// A file-size limit, as shells and batch systems set it, for an ordinary
// user: the file that crosses it fails as on a full disk, its text cut back
// to whole entries, and the run goes on with the next file.
// `prefix`, then `count` copies of `piece`.
std::string Repeated(std::string_view piece, int count, std::string prefix = {}) {
  for (int i = 0; i < count; ++i) prefix += piece;
  return prefix;
}

struct FileSizeLimitCase {
  const char* name;
  Arguments options;
  rlim_t limit;
  const char* crossing;  // the suffix of the file that crosses the limit
  std::string line;      // one entry's line in the text
};

void PrintTo(const FileSizeLimitCase& c, std::ostream* out) { *out << c.name; }

class CliFileSizeLimit : public ::testing::TestWithParam<FileSizeLimitCase> {};

TEST_P(CliFileSizeLimit, FailsThatFileAloneWithWholeEntries) {
  const FileSizeLimitCase& c = GetParam();
  TempDir dir;
  OpenToAll(dir.path());
  // 64 bytes a record, 59 a line in code page 1251 and 115 in UTF-8.
  const std::vector<Entry> entries(10'000, Entry{std::string(56, '\xE0'), -1});
  WriteFileBytes(dir / "big.wvl", ZlibCompress(RecordStream(entries)));
  WriteSample(dir / "small.wvl", 1);
  Arguments arguments = c.options;
  arguments.push_back((dir / "big.wvl").string());
  arguments.push_back((dir / "small.wvl").string());
  How how;
  how.unprivileged = true;
  how.limits = {{RLIMIT_FSIZE, c.limit}};

  const Result result = RunConvert(arguments, how);

  EXPECT_EQ(result.status, 1) << result.err;
  EXPECT_EQ(result.out, CountLine(1));
  const auto lines = FailureLines(result.err);
  ASSERT_EQ(lines.size(), 1u) << result.err;
  EXPECT_TRUE(ReportsFailureOf(lines[0], dir / ("big.wvl"s + c.crossing)));
  EXPECT_TRUE(Contains(lines[0], "файл слишком велик")) << lines[0];
  if (c.line.empty()) {
    // The temporary file failed whole: no text was begun.
    EXPECT_FALSE(fs::exists(dir / "big.wvl.txt"));
  } else {
    const std::string text = ReadFileBytes(dir / "big.wvl.txt");
    EXPECT_LT(text.size(), c.line.size() * entries.size());
    std::string whole_lines;
    while (whole_lines.size() < text.size()) whole_lines += c.line;
    EXPECT_TRUE(SameBytes(text, whole_lines));
  }
  EXPECT_TRUE(fs::exists(dir / "small.wvl.txt"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliFileSizeLimit,
    ::testing::Values(FileSizeLimitCase{"TemporaryFileCrossesIt", {}, 300'000, ".tmp", ""},
                      FileSizeLimitCase{"TextCrossesIt",
                                        {"--encoding=utf-8"},
                                        800'000,
                                        ".txt",
                                        Repeated("а", 56, "+") + "\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

// A run to stop: a.wvl, a sample converted first, then b.wvl, whose text is
// long enough to be stopped while it is written. Its entries are alike, so
// any cut at an entry's end is a whole number of lines.
const Entry kAlike{std::string(56, 'x'), -1};
constexpr int kLongEntries = 1'000'000;

Arguments WriteShortThenLong(const TempDir& dir) {
  WriteSample(dir / "a.wvl", 1);
  WriteFileBytes(dir / "b.wvl",
                 ZlibCompress(RecordStream(std::vector<Entry>(kLongEntries, kAlike))));
  return {(dir / "a.wvl").string(), (dir / "b.wvl").string()};
}

// Whether the program has ended (or cannot be asked); it is left to Finish
// to collect.
bool Ended(const Running& program) {
  siginfo_t info{};
  const int asked =
      ::waitid(P_PID, static_cast<id_t>(program.pid()), &info, WEXITED | WNOHANG | WNOWAIT);
  return asked != 0 || info.si_pid != 0;
}

// Signals `program` once it has begun writing b.wvl's text (unless it ended
// before that, as a failed start does). It is held still meanwhile, so that a
// busy machine cannot let it finish first.
void SignalWhileWritingLong(Running& program, const TempDir& dir, int signal) {
  for (std::error_code error;
       (fs::file_size(dir / "b.wvl.txt", error) == 0 || error) && !Ended(program);) {
    ::usleep(500);
  }
  ::kill(program.pid(), SIGSTOP);
  ::kill(program.pid(), signal);
  ::kill(program.pid(), SIGCONT);
}

void ExpectStoppedInLong(const Result& result, const TempDir& dir, int signal) {
  EXPECT_EQ(result.status, 128 + signal) << result.err;
  EXPECT_EQ(result.out, "");
  const auto lines = Lines(result.err);
  ASSERT_EQ(lines.size(), 1u) << result.err;
  EXPECT_TRUE(ReportsFailureOf(lines[0], dir / "b.wvl"));
  EXPECT_FALSE(fs::exists(dir / "b.wvl.tmp"));
  const std::string line = RenderedText({kAlike});
  const std::string text = ReadFileBytes(dir / "b.wvl.txt");
  EXPECT_LT(text.size(), line.size() * kLongEntries);
  std::string whole_lines;
  while (whole_lines.size() < text.size()) whole_lines += line;
  EXPECT_TRUE(SameBytes(text, whole_lines));
  EXPECT_TRUE(SameBytes(ReadFileBytes(dir / "a.wvl.txt"), RenderedText(Sample(1))));
}

std::string SignalName(const ::testing::TestParamInfo<int>& info) {
  return info.param == 0 ? "None" : sigabbrev_np(info.param);
}

class CliInterrupted : public ::testing::TestWithParam<int> {};

TEST_P(CliInterrupted, LeavesWholeEntriesNoTemporaryFileAndEarlierFilesConverted) {
  TempDir dir;
  Running program(WriteShortThenLong(dir));
  SignalWhileWritingLong(program, dir, GetParam());
  ExpectStoppedInLong(program.Finish(), dir, GetParam());
}

INSTANTIATE_TEST_SUITE_P(Signals, CliInterrupted, ::testing::Values(SIGINT, SIGTERM, SIGHUP),
                         SignalName);

// A temporary file an earlier run left is this run's once it is emptied to be
// written again, so a stop removes it as one this run made.
TEST(CliInterruptedTest, RemovesTemporaryFileAnEarlierRunLeft) {
  TempDir dir;
  const Arguments arguments = WriteShortThenLong(dir);
  WriteFileBytes(dir / "b.wvl.tmp", "left by an earlier run");
  Running program(arguments);
  SignalWhileWritingLong(program, dir, SIGINT);
  ExpectStoppedInLong(program.Finish(), dir, SIGINT);
}

// Where the process limit leaves no thread to start (for an ordinary user;
// root is exempt), the program converts all the same, and a signal stops it
// as cleanly as above. The parameter is the signal, 0 for none.
class CliWithoutThreads : public ::testing::TestWithParam<int> {};

TEST_P(CliWithoutThreads, ConvertsAndStopsCleanly) {
  const int signal = GetParam();
  TempDir dir;
  OpenToAll(dir.path());
  How how;
  how.unprivileged = true;
  how.limits = {{RLIMIT_NPROC, 1}};
  // LeakSanitizer, in a sanitized build, checks at exit on a thread of its
  // own, which this limit denies it; the other checks stay.
  const char* sanitizer_options = std::getenv("ASAN_OPTIONS");
  how.environment = {
      "ASAN_OPTIONS=" + (sanitizer_options ? std::string(sanitizer_options) + ":" : std::string()) +
      "detect_leaks=0"};

  Running program(WriteShortThenLong(dir), how);
  if (signal != 0) {
    SignalWhileWritingLong(program, dir, signal);
    ExpectStoppedInLong(program.Finish(), dir, signal);
    return;
  }
  const Result result = program.Finish();

  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.out, CountLine(2));
  EXPECT_TRUE(SameBytes(ReadFileBytes(dir / "a.wvl.txt"), RenderedText(Sample(1))));
  EXPECT_TRUE(
      SameBytes(ReadFileBytes(dir / "b.wvl.txt"), Repeated(RenderedText({kAlike}), kLongEntries)));
  EXPECT_FALSE(fs::exists(dir / "b.wvl.tmp"));
}

INSTANTIATE_TEST_SUITE_P(Signals, CliWithoutThreads, ::testing::Values(0, SIGINT, SIGTERM, SIGHUP),
                         SignalName);

// ---------------------------------------------------------------------------
// Texts on standard output, from standard input, in other forms

// A stream with what each form changes: Cyrillic and the unmapped byte 0x98
// in code page 1251, a line break inside a text, every kind of marker.
const std::vector<Entry> kFormSample = {
    {"\xCF\xF0\xE8\xE2\xE5\xF2", -1}, {"a\r\nb\x98", 0}, {"z", 7}};
const std::string kUtf8Lf = "+Привет\n-a\r\nb\uFFFD\n?\nz\n";

struct FormCase {
  const char* name;
  // "@a" and "@b" stand for two files, "@cut" for a stream that breaks off
  // after the first entry of the sample.
  Arguments arguments;
  bool sample_on_stdin;
  std::string out;  // "@count1" and "@count2" for the count lines
  std::string err;
  int status;
  // The .txt beside "a.wvl", none when nothing may be written beside it.
  std::optional<std::string> text_beside_a;
};

void PrintTo(const FormCase& c, std::ostream* out) { *out << c.name; }

class CliForms : public ::testing::TestWithParam<FormCase> {};

TEST_P(CliForms, WritesWhereAndHowAsked) {
  const FormCase& c = GetParam();
  TempDir dir;
  const std::string compressed = ZlibCompress(RecordStream(kFormSample));
  WriteFileBytes(dir / "a.wvl", compressed);
  WriteSample(dir / "b.wvl", 2);
  const std::string records = RecordStream(kFormSample);
  WriteFileBytes(dir / "cut.wvl",
                 ZlibCompress(records.substr(0, RecordStream({kFormSample[0]}).size() + 3)));
  auto before = Snapshot(dir.path());
  Arguments arguments;
  for (const std::string& argument : c.arguments) {
    arguments.push_back(argument.starts_with('@') ? (dir / (argument.substr(1) + ".wvl")).string()
                                                  : argument);
  }
  How how;
  if (c.sample_on_stdin) how.input = compressed;
  auto expand = [](std::string text) {
    for (const int count : {1, 2}) {
      const std::string stand_in = "@count" + std::to_string(count);
      if (const std::size_t at = text.find(stand_in); at != std::string::npos) {
        text.replace(at, stand_in.size(), CountLine(count));
      }
    }
    return text;
  };

  const Result result = RunConvert(arguments, how);

  EXPECT_EQ(result.status, c.status);
  EXPECT_TRUE(SameBytes(result.out, expand(c.out)));
  if (c.err.starts_with(kPrefix)) {
    EXPECT_TRUE(result.err.starts_with(c.err)) << result.err;
    EXPECT_EQ(FailureLines(result.err).size(), 1u) << result.err;
  } else {
    EXPECT_EQ(result.err, expand(c.err));
  }
  if (c.text_beside_a) before["a.wvl.txt"] = *c.text_beside_a;
  EXPECT_EQ(Snapshot(dir.path()), before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliForms,
    ::testing::Values(
        FormCase{"StdoutOneAfterAnother",
                 {"-c", "@a", "@b"},
                 false,
                 RenderedText(kFormSample) + RenderedText(Sample(2)),
                 "@count2",
                 0,
                 std::nullopt},
        FormCase{
            "StdinToStdout", {"-"}, true, RenderedText(kFormSample), "@count1", 0, std::nullopt},
        FormCase{"StdinAmongFilesQuiet",
                 {"-q", "-", "--stdout", "@b"},
                 true,
                 RenderedText(kFormSample) + RenderedText(Sample(2)),
                 "",
                 0,
                 std::nullopt},
        FormCase{"Utf8LfBeside",
                 {"--encoding=utf-8", "--eol", "lf", "@a"},
                 false,
                 "@count1",
                 "",
                 0,
                 kUtf8Lf},
        FormCase{"Utf8LfStdout",
                 {"-cq", "--eol=lf", "--encoding", "utf-8", "@a"},
                 false,
                 kUtf8Lf,
                 "",
                 0,
                 std::nullopt},
        FormCase{"QuietBeside", {"--quiet", "@a"}, false, "", "", 0, RenderedText(kFormSample)},
        FormCase{"BreaksOffOnStdout",
                 {"-c", "@cut"},
                 false,
                 RenderedText({kFormSample[0]}),
                 std::string(kPrefix),
                 1,
                 std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// The same bytes as the core

// The program's wiring of a file to ConvertFile: a name relative to the
// working folder (no folder part), or a folder's file, the names not ASCII
// and not ending in ".wvl" as written.
struct SameAsCoreCase {
  const char* name;
  const char* file;
  bool folder_given;  // or the file by its relative name
};

void PrintTo(const SameAsCoreCase& c, std::ostream* out) { *out << c.name; }

class CliSameAsCore : public ::testing::TestWithParam<SameAsCoreCase> {};

TEST_P(CliSameAsCore, WritesWhatConvertFileWrites) {
  const SameAsCoreCase& c = GetParam();
  TempDir by_core;
  TempDir by_program;
  WriteSample(by_core / c.file, 5);
  WriteSample(by_program / c.file, 5);
  std::optional<cZLIB> zlib;
  ConvertFile(by_core.path(), c.file, zlib);

  How how;
  Arguments arguments;
  if (c.folder_given) {
    arguments = {by_program.path().string()};
  } else {
    how.working_folder = by_program.path();
    arguments = {c.file};
  }
  const Result result = RunConvert(arguments, how);

  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.out, CountLine(1));
  ExpectSameTree(by_program.path(), by_core.path());
}

INSTANTIATE_TEST_SUITE_P(Cases, CliSameAsCore,
                         ::testing::Values(SameAsCoreCase{"RelativeCyrillicNotWvl",
                                                          "Сохранение 1.dat", false},
                                           SameAsCoreCase{"CyrillicInFolder", "Игра.WVL", true}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// The progress line

// What is drawn between the erasures of the line, in order.
std::vector<std::string> Drawn(std::string_view err) {
  std::vector<std::string> pieces;
  for (std::size_t at = 0; (at = err.find(kClearLine, at)) != std::string_view::npos;) {
    at += kClearLine.size();
    const std::string_view piece = err.substr(at, err.find(kClearLine, at) - at);
    if (!piece.empty()) pieces.emplace_back(piece);
  }
  return pieces;
}

struct TerminalCase {
  const char* name;
  std::vector<const char*> files;  // made in a fresh folder, in this order
  bool folder_given;               // or each file by name
  std::vector<const char*> shown;  // in the order drawn; none for no line
};

void PrintTo(const TerminalCase& c, std::ostream* out) { *out << c.name; }

class CliProgressOnTerminal : public ::testing::TestWithParam<TerminalCase> {};

TEST_P(CliProgressOnTerminal, DrawsEachFileInOrderAndClearsTheLine) {
  const TerminalCase& c = GetParam();
  TempDir dir;
  Arguments arguments;
  for (int i = 0; const char* name : c.files) {
    WriteSample(dir / name, ++i);
    if (!c.folder_given) arguments.push_back((dir / name).string());
  }
  if (c.folder_given) arguments.push_back(dir.path().string());

  const Result result = RunConvert(arguments, OnTerminal());

  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, CountLine(static_cast<int>(c.files.size())));
  if (c.shown.empty()) {
    EXPECT_EQ(result.err, "");
    return;
  }
  EXPECT_TRUE(result.err.starts_with(kClearLine)) << result.err;
  EXPECT_TRUE(result.err.ends_with(kClearLine)) << result.err;
  const auto drawn = Drawn(result.err);
  ASSERT_EQ(drawn.size(), c.shown.size()) << result.err;
  for (std::size_t i = 0; i < drawn.size(); ++i) {
    const std::string counter =
        "[" + std::to_string(i + 1) + "/" + std::to_string(c.shown.size()) + "] ";
    EXPECT_TRUE(drawn[i].starts_with(counter)) << drawn[i];
    EXPECT_TRUE(drawn[i].ends_with("/"s + c.shown[i])) << drawn[i];
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliProgressOnTerminal,
    ::testing::Values(TerminalCase{"FolderOfTwo", {"b.wvl", "A.wvl"}, true, {"A.wvl", "b.wvl"}},
                      TerminalCase{"TwoFiles", {"b.wvl", "A.wvl"}, false, {"b.wvl", "A.wvl"}},
                      TerminalCase{"OneFile", {"a.wvl"}, false, {}},
                      TerminalCase{"FolderOfOne", {"a.wvl"}, true, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CliProgress, FailureReportStartsOnACleanLine) {
  TempDir dir;
  WriteSample(dir / "a.wvl", 1);
  WriteFileBytes(dir / "b.wvl", Faulty(Fault::kNotZlib));
  WriteSample(dir / "c.wvl", 3);

  const Result result = RunConvert({dir.path().string()}, OnTerminal());

  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, CountLine(2));
  const std::size_t report = result.err.find(kPrefix);
  ASSERT_NE(report, std::string::npos) << result.err;
  ASSERT_GE(report, kClearLine.size());
  EXPECT_EQ(result.err.substr(report - kClearLine.size(), kClearLine.size()), kClearLine);
  const std::size_t end = result.err.find('\n', report);
  ASSERT_NE(end, std::string::npos);
  const std::string line = result.err.substr(report, end - report);
  EXPECT_TRUE(ReportsFailureOf(line, dir / "b.wvl"));
  EXPECT_FALSE(Contains(line, "\r")) << line;
  EXPECT_TRUE(Contains(result.err.substr(end), "[3/3]"));
  EXPECT_TRUE(result.err.ends_with(std::string(kClearLine) + FailedLine(1))) << result.err;
}

// Another conversion of the file holds its lock (another user's long one,
// say): the run says on the terminal that it waits, even for one file, which
// draws no line otherwise, and once the lock is free it converts and clears
// the line.
TEST(CliProgress, SaysWhileItWaitsForAnotherConversionOfTheFile) {
  TempDir dir;
  WriteSample(dir / "game.wvl", 1);
  const int held = ::open((dir / "game.wvl.tmp").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  ASSERT_GE(held, 0);
  ASSERT_EQ(::flock(held, LOCK_EX), 0);
  const std::string waiting = "[1/1] " + (dir / "game.wvl").string() +
                              ": ждёт, пока закончится другое преобразование этого файла";

  Running program({(dir / "game.wvl").string()}, OnTerminal());
  const bool shown = program.AwaitError(waiting);
  ::close(held);
  const Result result = program.Finish();

  EXPECT_TRUE(shown) << result.err;
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, CountLine(1));
  EXPECT_EQ(Drawn(result.err), std::vector<std::string>{waiting}) << result.err;
  EXPECT_TRUE(result.err.ends_with(kClearLine)) << result.err;
  EXPECT_TRUE(SameBytes(ReadFileBytes(dir / "game.wvl.txt"), RenderedText(Sample(1))));
  EXPECT_FALSE(fs::exists(dir / "game.wvl.tmp"));
}

// The number of characters in UTF-8 `text`, or nothing when a character is
// cut or malformed.
std::optional<std::size_t> Utf8Length(std::string_view text) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < text.size(); ++count) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t size = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    if ((lead & 0xC0) == 0x80 || i + size > text.size()) return std::nullopt;
    for (std::size_t k = 1; k < size; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return std::nullopt;
    }
    i += size;
  }
  return count;
}

// A line wider than the terminal wraps, and then "\r" no longer returns to
// its start; cutting it must not split a character either.
TEST(CliProgress, FitsANarrowTerminalWithoutSplittingCharacters) {
  constexpr unsigned short kColumns = 30;
  // Given by relative names, so the cut falls among Cyrillic letters rather
  // than in a temporary folder's ASCII name.
  const Arguments names = {"Очень длинное имя первого файла.wvl",
                           "Очень длинное имя второго файла.wvl"};
  TempDir dir;
  for (const std::string& name : names) WriteSample(dir / name, 1);

  const Result result = RunConvert(names, OnTerminal(kColumns, dir.path()));

  EXPECT_EQ(result.status, 0);
  const auto drawn = Drawn(result.err);
  ASSERT_EQ(drawn.size(), names.size()) << result.err;
  for (std::size_t i = 0; i < drawn.size(); ++i) {
    const auto length = Utf8Length(drawn[i]);
    ASSERT_TRUE(length.has_value()) << drawn[i];
    // Cut, not dropped: the line is as wide as the terminal allows.
    EXPECT_EQ(*length, kColumns - 1u) << drawn[i];
    EXPECT_TRUE(names[i].starts_with(drawn[i].substr(drawn[i].find(' ') + 1))) << drawn[i];
  }
}

// ---------------------------------------------------------------------------
// --version and --help

TEST(CliInfo, VersionIsNameVersionCopyrightAndLicenceOnStdout) {
  for (const Arguments& arguments : {Arguments{"--version"}, Arguments{"--pack", "--version"}}) {
    SCOPED_TRACE(arguments.front());
    const Result result = RunConvert(arguments);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out,
              "holvane-convert 1.00\n"
              "Copyright (c) 2026 The Holvane developers\n"
              "Лицензия MIT <https://opensource.org/licenses/MIT>.\n"
              "Это свободное ПО: его можно изменять и распространять.\n"
              "НИКАКИХ ГАРАНТИЙ в пределах, допускаемых законом.\n");
    EXPECT_EQ(result.err, "");
  }
}

TEST(CliInfo, HelpIsUsageAndOptionsOnStdoutConvertingNothing) {
  TempDir dir;
  WriteSample(dir / "good.wvl", 1);
  const auto before = Snapshot(dir.path());

  for (const Arguments& arguments :
       {Arguments{"--help", dir.path().string()}, Arguments{"--pack", "--help"}}) {
    SCOPED_TRACE(arguments.front());
    const Result result = RunConvert(arguments);

    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(result.out.starts_with(kUsage)) << result.out;
    for (const char* option : {"-r", "--recursive", "--help", "--version"}) {
      EXPECT_TRUE(Contains(result.out, option)) << option;
    }
    EXPECT_EQ(result.err, "");
  }
  EXPECT_EQ(Snapshot(dir.path()), before);
}

// ---------------------------------------------------------------------------
// Editing and packing back

// Edited and packed back, a file holds what the edit made of its stream, and
// the original is replaced only when -f says so.
TEST(CliPack, EditedFileGoesBackAndReplacesOnlyWhenForced) {
  TempDir dir;
  const std::vector<Entry> entries = Sample(3);
  const std::string original = ZlibCompress(RecordStream(entries));
  WriteFileBytes(dir / "game.wvl", original);
  ASSERT_EQ(RunConvert({"-q", "--editable", "--eol=lf", (dir / "game.wvl").string()}).status, 0);
  EXPECT_FALSE(fs::exists(dir / "game.wvl.txt"));
  std::string text = ReadFileBytes(dir / "game.wvl.edit.txt");
  ASSERT_TRUE(Contains(text, "+Привет\n")) << text;
  text.replace(text.find("+Привет\n"), std::string("+Привет\n").size(), "-Пока\n");
  WriteFileBytes(dir / "game.wvl.edit.txt", text);
  std::vector<Entry> edited = entries;
  edited[1] = {"\xCF\xEE\xEA\xE0", 0};

  const Result kept = RunConvert({"--pack", (dir / "game.wvl.edit.txt").string()});
  EXPECT_EQ(kept.status, 1);
  EXPECT_TRUE(ReportsFailureOf(Lines(kept.err).at(0), dir / "game.wvl")) << kept.err;
  EXPECT_EQ(ReadFileBytes(dir / "game.wvl"), original);

  const Result beside = RunConvert(
      {"-q", "--pack", "-o", (dir / "new.wvl").string(), (dir / "game.wvl.edit.txt").string()});
  EXPECT_EQ(beside.status, 0) << beside.err;
  const Result replaced = RunConvert({"--pack", "-f", (dir / "game.wvl.edit.txt").string()});
  EXPECT_EQ(replaced.status, 0) << replaced.err;
  EXPECT_EQ(replaced.out, "Файлов упаковано: 1.\n");
  for (const char* name : {"new.wvl", "game.wvl"}) {
    std::string stream;
    ASSERT_TRUE(ZlibInflate(ReadFileBytes(dir / name), 15, stream)) << name;
    EXPECT_EQ(stream, RecordStream(edited)) << name;
  }
  EXPECT_FALSE(HoldsPackTemporary(dir.path()));

  How piped;
  piped.input = text;
  const Result through = RunConvert({"-q", "--pack", "-c", "-"}, piped);
  EXPECT_EQ(through.status, 0) << through.err;
  EXPECT_EQ(through.out, ReadFileBytes(dir / "game.wvl"));
}

// What a person may have edited, and what they are told about it: an
// editable text written over only with -f, a packed file's records counted
// against the file it replaces, packed files into a folder, a folder that
// holds nothing to convert. In a folder holding game.wvl, its editable text
// as a person left it (a record less), and a folder "empty" with a
// subfolder; "@NAME" stands for NAME there.
struct EditsCase {
  const char* name;
  Arguments arguments;
  int status;
  std::string err;                   // a part of standard error; "" for none at all
  std::vector<std::string> changed;  // files made, written or removed
};

void PrintTo(const EditsCase& c, std::ostream* out) { *out << c.name; }

class CliEdits : public ::testing::TestWithParam<EditsCase> {};

TEST_P(CliEdits, AreKeptUnlessForcedAndEveryChangeIsTold) {
  const EditsCase& c = GetParam();
  TempDir dir;
  const std::vector<Entry> entries = Sample(3);
  WriteFileBytes(dir / "game.wvl", ZlibCompress(RecordStream(entries)));
  ASSERT_EQ(RunConvert({"-q", "--editable", "--eol=lf", (dir / "game.wvl").string()}).status, 0);
  const std::string edited = ReadFileBytes(dir / "game.wvl.edit.txt");
  WriteFileBytes(dir / "game.wvl.edit.txt", edited.substr(edited.find('\n') + 1));
  fs::create_directories(dir / "empty" / "inner");
  const auto before = Snapshot(dir.path());
  auto expand = [&dir](std::string text) {
    for (std::size_t at; (at = text.find('@')) != std::string::npos;) {
      text.replace(at, 1, dir.path().string() + "/");
    }
    return text;
  };
  Arguments arguments;
  for (const std::string& argument : c.arguments) arguments.push_back(expand(argument));

  const Result result = RunConvert(arguments);

  EXPECT_EQ(result.status, c.status) << result.err;
  if (c.err.empty()) {
    EXPECT_EQ(result.err, "");
  } else {
    EXPECT_TRUE(Contains(result.err, expand(c.err))) << result.err;
  }
  const auto after = Snapshot(dir.path());
  std::map<std::string, std::string> names = before;
  names.insert(after.begin(), after.end());
  for (const auto& [name, bytes] : names) {
    const bool changed =
        !before.contains(name) || !after.contains(name) || before.at(name) != after.at(name);
    EXPECT_EQ(changed, std::count(c.changed.begin(), c.changed.end(), name) == 1) << name;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliEdits,
    ::testing::Values(
        EditsCase{"EditableTextIsKept",
                  {"--editable", "@game.wvl"},
                  1,
                  "@game.wvl.edit.txt: файл уже есть; заменить его позволит -f (--force)\n",
                  {}},
        EditsCase{"EditableTextIsReplacedWhenForced",
                  {"-q", "--editable", "-f", "@game.wvl"},
                  0,
                  "",
                  {"game.wvl.edit.txt"}},
        EditsCase{"RecordsLostArePointedOut",
                  {"-q", "--pack", "-f", "@game.wvl.edit.txt"},
                  0,
                  "holvane-convert: @game.wvl: записей было 4, стало 3\n",
                  {"game.wvl"}},
        EditsCase{"PackedIntoAFolder",
                  {"-q", "--pack", "--output-dir", "@out", "@game.wvl.edit.txt"},
                  0,
                  "",
                  {"out", "out/game.wvl"}},
        EditsCase{"OutputNamingAFolderIsAMistake",
                  {"--pack", "-o", "@empty", "@game.wvl.edit.txt"},
                  2,
                  "-O ПАПКА",
                  {}},
        EditsCase{"FolderWithNothingToConvertIsTold",
                  {"@empty"},
                  0,
                  "holvane-convert: @empty: в папке нет файлов *.wvl; файлы вложенных папок "
                  "преобразует -r\n",
                  {}}),
    [](const auto& info) { return std::string(info.param.name); });

// The README's editing example, run as printed, does what it says: the text
// is changed in the new file and in the one replaced.
TEST(CliReadme, EditingExampleWorksAsPrinted) {
  std::string readme = ReadFileBytes(HOLVANE_README_PATH);
  readme = readme.substr(readme.find("### Editing and packing back"));
  const std::size_t start = readme.find("```sh\n") + 6;
  const std::string script = readme.substr(start, readme.find("```", start) - start);
  ASSERT_TRUE(Contains(script, "sed -i")) << script;
  TempDir dir;
  TempDir bin;
  fs::create_symlink(HOLVANE_CONVERT_PATH, bin / "holvane-convert");
  std::vector<Entry> entries = {{"Hello", -1}, {"World", 0}, {"Hello!", 7}};
  WriteFileBytes(dir / "game.wvl", ZlibCompress(RecordStream(entries)));
  WriteFileBytes(dir / "example.sh", script);

  const std::string command = "cd '" + dir.path().string() + "' && PATH='" + bin.path().string() +
                              "':\"$PATH\" bash -e example.sh >out 2>err";
  const int status = std::system(command.c_str());

  EXPECT_EQ(status, 0) << ReadFileBytes(dir / "err");
  EXPECT_TRUE(Contains(ReadFileBytes(dir / "out"), "+Привет\r\n")) << ReadFileBytes(dir / "out");
  entries[0].text = "\xCF\xF0\xE8\xE2\xE5\xF2";  // "Привет" in code page 1251
  for (const char* name : {"game.new.wvl", "game.wvl"}) {
    std::string stream;
    ASSERT_TRUE(ZlibInflate(ReadFileBytes(dir / name), 15, stream)) << name;
    EXPECT_EQ(stream, RecordStream(entries)) << name;
  }
}

// A text with many bad lines is told line by line, up to ten, then counted;
// nothing is written for it. A cause that quotes an escape reads as written.
TEST(CliPack, BadLinesAreToldAndNothingIsWritten) {
  TempDir dir;
  std::string text = "+fine\n+\\p\n";
  for (int i = 0; i < 12; ++i) text += "?x\n";
  WriteFileBytes(dir / "game.wvl.edit.txt", text);
  const std::string name = (dir / "game.wvl.edit.txt").string();

  const Result result = RunConvert({"--pack", name});

  EXPECT_EQ(result.status, 1);
  const auto lines = FailureLines(result.err);
  ASSERT_EQ(lines.size(), 11u) << result.err;
  EXPECT_EQ(
      lines[0],
      name + R"(:2:2: неверная escape-последовательность «\p»: допустимы \\, \r, \n, \t и \xNN)");
  EXPECT_EQ(lines[1], name + ":3:2: после «?» нужно число флага");
  EXPECT_EQ(lines[9], name + ":11:2: после «?» нужно число флага");
  EXPECT_TRUE(ReportsFailureOf(lines[10], dir / "game.wvl.edit.txt")) << lines[10];
  EXPECT_TRUE(Contains(lines[10], "ещё строк с ошибками: 3")) << lines[10];
  EXPECT_FALSE(fs::exists(dir / "game.wvl"));
  EXPECT_FALSE(HoldsPackTemporary(dir.path()));
}

// ---------------------------------------------------------------------------
// Catalogues

// The record stream the *.wvl file `path` holds.
std::string StreamOf(const fs::path& path) {
  std::string stream;
  EXPECT_TRUE(ZlibInflate(ReadFileBytes(path), 15, stream)) << path;
  return stream;
}

// `text` with `from` replaced by `to` where it first stands.
std::string Replaced(std::string text, std::string_view from, std::string_view to) {
  const std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << "no «" << from << "» in\n" << text;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

// A catalogue made from a folder and its subfolder names each file below
// it; translated (one entry fuzzy) and applied into another folder, it
// gives the same files with the usable translation in place, every count
// told; a file at an output name, the catalogue's too, is replaced only
// with -f, and -f alone replaces the files where they are.
TEST(CliCatalogue, MadeTranslatedAndAppliedReplacingOnlyWhenForced) {
  TempDir dir;
  fs::create_directories(dir / "game" / "sub");
  WriteSample(dir / "game" / "a.wvl", 1);
  WriteSample(dir / "game" / "sub" / "b.wvl", 2);
  const std::string game = (dir / "game").string();
  const std::string po = (dir / "uk.po").string();
  const std::string out = (dir / "out").string();

  const Result made = RunConvert({"--pot", "-r", "-o", po, game});
  ASSERT_EQ(made.status, 0) << made.err;
  EXPECT_EQ(made.out, "Файлов в каталоге: 2.\nСтатей в каталоге: 4, из них переведено: 0.\n");
  std::string catalogue = ReadFileBytes(po);
  EXPECT_TRUE(Contains(catalogue, "a.wvl:2 sub/b.wvl:2")) << catalogue;
  EXPECT_FALSE(Contains(catalogue, game)) << catalogue;
  catalogue =
      Replaced(catalogue, "msgid \"Привет\"\nmsgstr \"\"", "msgid \"Привет\"\nmsgstr \"Пока\"");
  catalogue = Replaced(catalogue, "msgid \"file 1\"\nmsgstr \"\"",
                       "#, fuzzy\nmsgid \"file 1\"\nmsgstr \"неточно\"");
  WriteFileBytes(po, catalogue);
  const Result kept = RunConvert({"--pot", "-r", "-o", po, game});
  EXPECT_EQ(kept.status, 1);
  EXPECT_EQ(kept.err,
            "holvane-convert: " + po + ": файл уже есть; заменить его позволит -f (--force)\n");
  EXPECT_EQ(ReadFileBytes(po), catalogue);

  const Result applied = RunConvert({"--apply=" + po, "-r", "-O", out, game});
  ASSERT_EQ(applied.status, 0) << applied.err;
  EXPECT_EQ(applied.out,
            "Файлов записано с переводом: 2.\nЗаписей переведено: 2, осталось без перевода: 4, "
            "из них пропущено как неточные: 1; статей каталога без совпадений: 0.\n");
  for (const auto& [name, seed] : {std::pair{"a.wvl", 1}, std::pair{"sub/b.wvl", 2}}) {
    std::vector<Entry> translated = Sample(seed);
    translated[1].text = "\xCF\xEE\xEA\xE0";  // "Пока" in code page 1251
    EXPECT_EQ(StreamOf(dir / "out" / name), RecordStream(translated)) << name;
  }
  const std::string a_translated = ReadFileBytes(dir / "out" / "a.wvl");

  WriteFileBytes(dir / "out" / "a.wvl", "kept");
  const Result refused = RunConvert({"-q", "--apply=" + po, "-r", "-O", out, game});
  EXPECT_EQ(refused.status, 1);
  const std::string there = ": файл уже есть; заменить его позволит -f (--force)";
  EXPECT_EQ(FailureLines(refused.err),
            (std::vector<std::string>{"holvane-convert: " + out + "/a.wvl" + there,
                                      "holvane-convert: " + out + "/sub/b.wvl" + there}));
  EXPECT_EQ(ReadFileBytes(dir / "out" / "a.wvl"), "kept");
  // Nothing written, nothing matched: no totals telling every entry unmatched.
  EXPECT_EQ(RunConvert({"--apply=" + po, "-r", "-O", out, game}).out, "");
  const Result forced = RunConvert({"-q", "--apply=" + po, "-rf", "-O", out, game});
  EXPECT_EQ(forced.status, 0) << forced.err;
  EXPECT_EQ(forced.out, "");
  EXPECT_EQ(ReadFileBytes(dir / "out" / "a.wvl"), a_translated);

  const Result in_place = RunConvert({"-q", "--apply=" + po, "-f", game + "/a.wvl"});
  EXPECT_EQ(in_place.status, 0) << in_place.err;
  EXPECT_EQ(ReadFileBytes(dir / "game" / "a.wvl"), a_translated);
  EXPECT_FALSE(HoldsPackTemporary(dir / "game"));
  EXPECT_FALSE(HoldsPackTemporary(dir / "out"));
}

// A catalogue line that cannot be read is told as CATALOGUE:LINE:COLUMN,
// column in characters, then counted, and nothing is written at all.
TEST(CliCatalogue, BadLineIsToldAndNothingIsWritten) {
  TempDir dir;
  WriteSample(dir / "a.wvl", 1);
  const std::string po_name = (dir / "uk.po").string();
  WriteFileBytes(po_name,
                 "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=UTF-8\\n\"\n\n"
                 "msgid \"Привет\"\nmsgstr \"Привет 日本\"\n");

  const Result result =
      RunConvert({"--apply=" + po_name, "-O", (dir / "out").string(), (dir / "a.wvl").string()});

  EXPECT_EQ(result.status, 1);
  const auto lines = FailureLines(result.err);
  ASSERT_EQ(lines.size(), 2u) << result.err;
  EXPECT_TRUE(lines[0].starts_with(po_name + ":5:16: ")) << lines[0];
  EXPECT_TRUE(Contains(lines[0], "日")) << lines[0];
  EXPECT_TRUE(Contains(lines[0], "65E5") || Contains(lines[0], "65e5")) << lines[0];
  EXPECT_EQ(lines[1],
            "holvane-convert: " + po_name + ": строк с ошибками всего: 1, ничего не записано");
  EXPECT_FALSE(fs::exists(dir / "out"));
}

}  // namespace
}  // namespace holvane
