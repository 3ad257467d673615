// SPDX-License-Identifier: MIT
#ifndef HOLVANE_TESTS_TEST_KIT_H_
#define HOLVANE_TESTS_TEST_KIT_H_

// What every test-like part of the project shares, without GoogleTest: the
// tests (through tests/test_support.h), the fuzz targets, the benchmarks and
// the examples' generator. The file format is written here once, from its
// description (docs/format.md) alone, and so is the reference the conversion
// is held to; zlib is called directly, never through the code under test.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "common/file_system.h"
#include "common/run_time_error.h"

namespace holvane::testing {

// ---------------------------------------------------------------------------
// The record stream, written and read from the format alone.

// A signed 32-bit value as its four little-endian bytes.
std::string Int32Bytes(std::int32_t value);

// One entry of a record stream, for building streams.
struct Entry {
  std::string text;
  std::int32_t flag;
};

// Appends one entry, its length, text and flag, to a record stream.
void AppendEntry(std::string& stream, std::string_view text, std::int32_t flag);

// The record stream of `entries`, each appended as AppendEntry does.
std::string RecordStream(std::initializer_list<Entry> entries);
std::string RecordStream(const std::vector<Entry>& entries);

// What a record stream renders to in the default text form, worked out here
// from docs/format.md rather than by conversion/record_stream.cc. The stream
// is taken to be shorter than 2 GiB, so of the faults there only a field cut
// short and a negative length arise.
struct ExpectedRendering {
  std::string text;                    // everything rendered before a failure
  std::optional<int> error_number;     // 62 truncated, 5 negative length
  std::optional<std::int64_t> offset;  // of the field at fault
};
ExpectedRendering RenderReference(std::string_view stream);

// The text well-formed `entries` render to, by the same rules.
std::string RenderedText(const std::vector<Entry>& entries);

// ---------------------------------------------------------------------------
// zlib itself, not through the code under test.

// `data` compressed as a zlib stream (windowBits 15, zlib's default level).
std::string ZlibCompress(std::string_view data);

// `data` compressed in the format `window_bits` names (deflateInit2), with a
// preset dictionary when one is given. Throws std::runtime_error when zlib
// refuses.
std::string ZlibDeflate(std::string_view data, int window_bits, std::string_view dictionary = {});

// zlib's own inflate of `source` into `output`; false unless the whole stream
// was there and valid.
bool ZlibInflate(std::string_view source, int window_bits, std::string& output);

// ---------------------------------------------------------------------------
// Bytes.

// `size` pseudo-random bytes from `engine`, none below `lowest`.
std::string RandomBytes(std::mt19937& engine, std::size_t size, int lowest = 0);

// `size` pseudo-random bytes from `seed`, none below `lowest`.
std::string RandomBytes(std::size_t size, unsigned seed, int lowest = 0);

// `size` compressible bytes, with zero bytes and bytes of 0x80 and above in
// them.
std::string Sample(std::size_t size);

inline const std::uint8_t* BytesOf(std::string_view data) {
  return reinterpret_cast<const std::uint8_t*>(data.data());
}

inline std::int32_t LengthOf(std::string_view data) {
  return static_cast<std::int32_t>(data.size());
}

// ---------------------------------------------------------------------------
// Files and folders.

// Read and write for the owner alone: the permissions tests give the files
// they write through the file layer.
inline constexpr std::filesystem::perms kOwnerReadWrite =
    std::filesystem::perms::owner_read | std::filesystem::perms::owner_write;

// A fresh, empty folder, removed with everything in it (permissions given
// back first) when the object goes, by the process that made it only: a
// child forked meanwhile that ends through exit() leaves it.
class TempDir {
 public:
  enum class Place {
    kSystemTemporary,   // under the system's temporary folder
    kMemoryIfPossible,  // under /dev/shm where there is one, else as above
  };

  explicit TempDir(std::string_view prefix = "holvane-test", Place place = Place::kSystemTemporary);
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::filesystem::path& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
  long maker_;
};

// The path named by the UTF-8 bytes `name`, on every system. (A path made
// from a plain string is read in the code page on Windows.)
std::filesystem::path Utf8Path(std::string_view name);

// The UTF-8 bytes of `path`, on every system.
std::string Utf8String(const std::filesystem::path& path);

// The whole file; throws std::runtime_error when it cannot be read.
std::string ReadFileBytes(const std::filesystem::path& path);

// Makes or empties the file and writes `data`; throws std::runtime_error.
void WriteFileBytes(const std::filesystem::path& path, std::string_view data);

// Aborts the process unless `condition` holds: the fuzz targets' check.
void Check(bool condition);

// ---------------------------------------------------------------------------
// File layers for tests.

// Files held in memory, behind the interface the conversion uses. Missing
// files fail as the real layer's do (kFileNotFound, concerning the path);
// locks are taken and never wait, and make the temporary file as the POSIX
// layer's do. A file made by CreateNewForWriting is held until its
// WritableFile is destroyed, as the real layers hold it; a folder is what the
// files' paths name as theirs.
class MemoryFileSystem final : public FileSystem {
 public:
  void Put(const std::filesystem::path& path, std::string bytes,
           std::filesystem::perms permissions = kOwnerReadWrite);
  // The file's bytes, or nothing when there is no such file.
  std::optional<std::string> Get(const std::filesystem::path& path) const;
  bool Exists(const std::filesystem::path& path) const { return files_.count(path) > 0; }

  std::unique_ptr<ReadableFile> OpenForReading(const std::filesystem::path& path) override;
  std::unique_ptr<WritableFile> CreateForWriting(const std::filesystem::path& path,
                                                 std::filesystem::perms permissions) override;
  std::unique_ptr<WritableFile> CreateNewForWriting(const std::filesystem::path& path,
                                                    std::filesystem::perms permissions) override;
  void Remove(const std::filesystem::path& path) override;
  bool RemoveUnlessHeld(const std::filesystem::path& path) override;
  std::vector<std::filesystem::path> ListFolder(const std::filesystem::path& folder) override;
  void Rename(const std::filesystem::path& from, const std::filesystem::path& to,
              RenameMode mode) override;
  std::unique_ptr<ConversionLock> LockConversion(const std::filesystem::path& input,
                                                 const std::filesystem::path& temporary,
                                                 LockWait wait) override;

 private:
  struct File {
    std::shared_ptr<std::string> bytes;
    std::filesystem::perms permissions;
    // Alive while a writer holds the file.
    std::weak_ptr<void> writer;
  };
  std::map<std::filesystem::path, File> files_;
};

// Every call a file layer answers.
enum class FileCall {
  kAny,
  kOpenForReading,
  kLength,
  kReadAt,
  kCloseReadable,
  kCreateForWriting,
  // The check of a file just made, inside the call that made it: a fault
  // here fails that call with the file made and left, as a status check that
  // fails on a file just created does.
  kCreatedForWriting,
  kAppend,
  kCloseWritable,
  kRemove,
  kRemoveUnlessHeld,
  kListFolder,
  kLockConversion,
  kSync,
  kRename,  // concerning the name given
};

// The cause of failures the tests inject, unless they give their own.
inline constexpr char kInjectedCause[] = "сбой, внесённый тестом";

// Which files a fault concerns: those `path` says yes to, every file when it
// is empty.
using FileFilter = std::function<bool(const std::filesystem::path&)>;
FileFilter WithExtension(const std::string& extension);

// A file layer that passes every call to another one (the machine's, or a
// MemoryFileSystem) and puts faults in its way. Every call that can fail is
// counted, the files' calls included (a file's Permissions(), which cannot,
// is not); a fault fails its call instead of making it, as
// RunTimeError(number, cause) concerning no file, unless said otherwise
// below.
class FaultyFileSystem final : public FileSystem {
 public:
  explicit FaultyFileSystem(FileSystem& base = DefaultFileSystem()) : base_(base) {}

  // Fails the calls of kind `call` (kAny: of every kind) concerning the files
  // `files` matches: the n-th such call, counted from 1, or every one when
  // `nth` is 0.
  FaultyFileSystem& Fail(FileCall call, int nth = 0, FileFilter files = {},
                         ErrorNumber number = ErrorNumber::kDeviceIo,
                         std::string cause = kInjectedCause);

  // Fails the k-th call of any kind, counted from 1; 0 for none.
  FaultyFileSystem& FailCall(int k) { return k > 0 ? Fail(FileCall::kAny, k) : *this; }

  // The disk holding the files `files` matches has `room` bytes left for
  // them all; an append that does not fit fails as a full disk.
  FaultyFileSystem& LimitRoom(std::size_t room, FileFilter files = {},
                              std::string cause = "the disk is full");

  // The files `files` matches deliver no byte past their first `delivered`,
  // though their Length() says more: they shrink while read.
  FaultyFileSystem& ShortenReads(std::int64_t delivered, FileFilter files = {});

  // `hook` is told of each file about to be created, once its call has passed
  // the faults.
  FaultyFileSystem& OnCreate(std::function<void(const std::filesystem::path&)> hook);

  // The calls made so far, faulty ones included.
  int calls() const { return calls_; }

  std::unique_ptr<ReadableFile> OpenForReading(const std::filesystem::path& path) override;
  std::unique_ptr<WritableFile> CreateForWriting(const std::filesystem::path& path,
                                                 std::filesystem::perms permissions) override;
  std::unique_ptr<WritableFile> CreateNewForWriting(const std::filesystem::path& path,
                                                    std::filesystem::perms permissions) override;
  void Remove(const std::filesystem::path& path) override;
  bool RemoveUnlessHeld(const std::filesystem::path& path) override;
  std::vector<std::filesystem::path> ListFolder(const std::filesystem::path& folder) override;
  void Rename(const std::filesystem::path& from, const std::filesystem::path& to,
              RenameMode mode) override;
  // Its faults concern `input`; the lock's calls on the temporary file are
  // counted and failed as the calls that open, create and remove it by name.
  std::unique_ptr<ConversionLock> LockConversion(const std::filesystem::path& input,
                                                 const std::filesystem::path& temporary,
                                                 LockWait wait) override;

 private:
  class Readable;
  class Writable;
  class Lock;
  struct Rule {
    FileCall call;
    int nth;
    FileFilter files;
    ErrorNumber number;
    std::string cause;
    int seen = 0;
  };

  // Counts the call and throws if a fault is set for it.
  void Call(FileCall call, const std::filesystem::path& path);
  // The file `path`, made by `make` from the layer below once the call has
  // passed the faults, through the faults of the check after its making, and
  // wrapped.
  std::unique_ptr<WritableFile> Create(const std::filesystem::path& path,
                                       const std::function<std::unique_ptr<WritableFile>()>& make);
  // The file `path`, opened by `open` from the layer below once the call has
  // passed the faults, and wrapped.
  std::unique_ptr<ReadableFile> Open(const std::filesystem::path& path,
                                     const std::function<std::unique_ptr<ReadableFile>()>& open);
  static bool Matches(const FileFilter& files, const std::filesystem::path& path) {
    return !files || files(path);
  }

  FileSystem& base_;
  std::vector<Rule> rules_;
  std::optional<std::size_t> room_;
  FileFilter room_files_;
  std::string room_cause_;
  std::optional<std::int64_t> delivered_;
  FileFilter shortened_files_;
  std::function<void(const std::filesystem::path&)> on_create_;
  int calls_ = 0;
};

}  // namespace holvane::testing

#endif  // HOLVANE_TESTS_TEST_KIT_H_
