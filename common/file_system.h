// SPDX-License-Identifier: MIT
// Every access the program makes to the operating system: files, folders,
// locks, file identity, memory advice, standard input and output, and the
// words a system's failure is told in. Each system's calls are in
// file_system_posix.cc or file_system_win32.cc; docs/file-layer.md tells how.
#ifndef HOLVANE_COMMON_FILE_SYSTEM_H_
#define HOLVANE_COMMON_FILE_SYSTEM_H_

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "common/run_time_error.h"

namespace holvane {

// A file opened for reading at explicit positions. Every failure throws
// RunTimeError with the cause, and the file's path as its file().
class ReadableFile {
 public:
  virtual ~ReadableFile() = default;

  // The file's length in bytes, as it was at open.
  virtual std::int64_t Length() = 0;

  // The file's permission bits as they were at open; never fails. On Windows
  // a read-only file reads as r--r--r--, any other as rw-rw-rw-.
  virtual std::filesystem::perms Permissions() const = 0;

  // Reads up to `n` bytes at `offset` into `dst` and returns how many were
  // read: fewer than `n` only where the file ends. Nothing is buffered: each
  // call is a system call, so read in large pieces.
  virtual std::size_t ReadAt(std::int64_t offset, char* dst, std::size_t n) = 0;

  // Releases the file; a failure throws. Later calls do nothing.
  virtual void Close() = 0;
};

// Bytes already in memory, read as a file; they must outlive it. Nothing is
// written beside it, so it has no permissions.
class MemoryFile final : public ReadableFile {
 public:
  explicit MemoryFile(std::string_view bytes) : bytes_(bytes) {}
  std::int64_t Length() override { return static_cast<std::int64_t>(bytes_.size()); }
  std::filesystem::perms Permissions() const override { return std::filesystem::perms::none; }
  std::size_t ReadAt(std::int64_t offset, char* dst, std::size_t n) override {
    if (offset < 0 || static_cast<std::size_t>(offset) >= bytes_.size()) return 0;
    return bytes_.copy(dst, n, static_cast<std::size_t>(offset));
  }
  void Close() override {}

 private:
  std::string_view bytes_;
};

// A file written sequentially from its first byte, each append handed to the
// system within the call. An append is a unit: should any byte of it fail,
// the file is cut back to where the append began and RunTimeError is thrown
// with the write's cause. So the file always ends where some append ended.
class WritableFile {
 public:
  virtual ~WritableFile() = default;

  // Appends `pieces`, in order, as one unit.
  virtual void AppendPieces(std::span<const std::string_view> pieces) = 0;

  // Appends `data` as one unit.
  void Append(std::string_view data) { AppendPieces(std::span(&data, 1)); }

  // Makes what has been appended durable on the disk itself. A file that is
  // not on a disk has nothing to do.
  virtual void Sync() {}

  // Releases the file; a failure throws. Later calls do nothing. A file
  // destroyed without Close is closed all the same, a failure ignored.
  virtual void Close() = 0;
};

// The lock of one conversion (FileSystem::LockConversion), released when
// destroyed, and the one way to the conversion's temporary file: it is
// written, read and removed through the lock, which knows the file it holds.
// Failures throw RunTimeError concerning the temporary file.
class ConversionLock {
 public:
  virtual ~ConversionLock() = default;

  // Whether taking the lock made the temporary file (there was none).
  virtual bool CreatedTemporary() const = 0;

  // The temporary file made or emptied for writing, with `permissions` less
  // the umask, refused as FileSystem::CreateForWriting refuses a name.
  virtual std::unique_ptr<WritableFile> CreateTemporary(std::filesystem::perms permissions) = 0;

  // The temporary file, written and closed, opened again for reading.
  virtual std::unique_ptr<ReadableFile> OpenTemporary() = 0;

  // Removes the temporary file, the lock still held.
  virtual void RemoveTemporary() = 0;
};

// Whether LockConversion waits for a lock another holds.
enum class LockWait { kWait, kDontWait };

// Opens, creates and removes files. The program reaches the disk only through
// this interface, so tests can put faults in its way. A failure throws
// RunTimeError whose file() is the path it concerns.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Opens an existing regular file for reading. The file is never changed.
  virtual std::unique_ptr<ReadableFile> OpenForReading(const std::filesystem::path& path) = 0;

  // Creates the file, or empties an existing one, for writing from its first
  // byte, with `permissions` less the umask whether it is new or not (applied
  // before anything of it changes; not on Windows, which has no such bits).
  // Refuses, instead of writing through, a name that is a symbolic link (or
  // junction), is not a regular file, or has other hard links.
  virtual std::unique_ptr<WritableFile> CreateForWriting(const std::filesystem::path& path,
                                                         std::filesystem::perms permissions) = 0;

  // As CreateForWriting, for a name that must be free: one taken by anything
  // fails (kFileAlreadyExists) and is left as it is. The file is held by its
  // writer from the moment it exists until the WritableFile is destroyed
  // (Close leaves it held) or its process ends however it ends; while held,
  // RemoveUnlessHeld leaves it. Where files cannot be locked it is made
  // unheld.
  virtual std::unique_ptr<WritableFile> CreateNewForWriting(const std::filesystem::path& path,
                                                            std::filesystem::perms permissions) = 0;

  virtual void Remove(const std::filesystem::path& path) = 0;

  // Removes the file `path` unless a writer holds it (CreateNewForWriting),
  // and returns whether it did. Only a regular file with no other name is
  // removed, and only the one found; anything else, and a file system that
  // cannot lock files, leaves things as they are (false). Other failures
  // throw. The default, for a layer that cannot tell, removes nothing.
  virtual bool RemoveUnlessHeld(const std::filesystem::path& path);

  // The names (alone, without the folder) of the entries of `folder` (empty:
  // the current one), of every kind, in no order, "." and ".." left out. The
  // default, for a layer that keeps no folders, finds none.
  virtual std::vector<std::filesystem::path> ListFolder(const std::filesystem::path& folder);

  // Gives the file `from` the name `to` in one step: whoever opens `to` finds
  // what it held before or the whole of `from`. kReplace replaces a file at
  // `to`; with kKeepExisting one there stays and the call fails
  // (kFileAlreadyExists, concerning `to`). Both names are on one file system.
  enum class RenameMode { kReplace, kKeepExisting };
  virtual void Rename(const std::filesystem::path& from, const std::filesystem::path& to,
                      RenameMode mode) = 0;

  // Locks the conversion of `input`, whose temporary file is `temporary`:
  // another LockConversion of the same input, in this process or another,
  // waits until the lock goes, or with kDontWait returns nullptr at once (and
  // only then); locks of different inputs are independent. The lock is
  // advisory and the input is not read here. On POSIX it is the temporary
  // file's, opened or made (rw------- less the umask), never emptied, refused
  // as CreateForWriting refuses a name; on Windows the input's, and no file
  // is made. Where files cannot be locked, the lock is not held and the
  // conversion goes on as if unlocked. Failures concern the file locked.
  virtual std::unique_ptr<ConversionLock> LockConversion(const std::filesystem::path& input,
                                                         const std::filesystem::path& temporary,
                                                         LockWait wait) = 0;
};

// What StandardOutput's appends throw when the reader has gone away (the
// other end of a pipe closed): the end of those who wanted the data, which a
// program meets quietly.
class StandardOutputClosed final : public RunTimeError {
 public:
  StandardOutputClosed();
};

// The file system of the machine. A write past the process's file-size
// limit fails as a full disk does ("file too large") instead of ending
// the process.
FileSystem& DefaultFileSystem();

// Standard output, as a file appended to where it stands. An append is
// written whole or fails, but one that fails part-way cannot be taken back.
// Failures have no file() and name standard output; a reader gone away
// throws StandardOutputClosed.
std::unique_ptr<WritableFile> StandardOutput();

// Standard input, read to its end. Throws RunTimeError (no file(), the cause
// naming standard input) when it cannot be read.
std::string ReadStandardInput();

// ---------------------------------------------------------------------------
// Whole files.

// The whole content of the file at `path` (empty for a 0-byte file), opened,
// read and closed within the call; never changed. Throws RunTimeError when
// it cannot be opened, read or closed, or shrinks while read.
std::string ReadWholeFile(const std::filesystem::path& path,
                          FileSystem& file_system = DefaultFileSystem());

// The whole content of `file`, just opened from `path`; then it is closed.
std::string ReadWholeFile(ReadableFile& file, const std::filesystem::path& path);

// Makes the file at `path` hold exactly `data`, with `permissions` less the
// umask: created or emptied (CreateForWriting, its refusals included),
// written in one append and closed, so a failed write leaves it empty.
void WriteWholeFile(const std::filesystem::path& path, std::string_view data,
                    std::filesystem::perms permissions,
                    FileSystem& file_system = DefaultFileSystem());

// Writes `data` to `file`, just made or emptied, in one append (none for
// empty data), then closes it.
void WriteWholeFile(WritableFile& file, std::string_view data);

// ---------------------------------------------------------------------------
// Folders' identity.

// A folder's identity: device and inode on POSIX, the volume's serial number
// and the file index on Windows, so that two names of one folder agree.
using FolderIdentity = std::pair<std::uint64_t, std::uint64_t>;

// The identity of `folder`; none when it cannot be asked.
std::optional<FolderIdentity> IdentityOf(const std::filesystem::path& folder);

// Whether `path` is known not to exist (a failure to ask is no such answer).
bool Missing(const std::filesystem::path& path);

// Whether anything is at `path`, a dangling symbolic link included, or it
// cannot be told: a name not to be written over unasked.
inline bool NameTaken(const std::filesystem::path& path) {
  std::error_code error;
  return std::filesystem::symlink_status(path, error).type() !=
         std::filesystem::file_type::not_found;
}

// ---------------------------------------------------------------------------
// Memory advice: only advice, which a system may not take (Windows takes
// none); nothing fails.

// The size of the system's memory pages.
std::uintptr_t PageSize();

// Hands the whole pages from `start` on, `length` bytes, of a buffer that is
// done with back to the system; their contents are lost.
void ReleasePages(std::uintptr_t start, std::size_t length);

// Asks for the buffer of `length` bytes at `start`, not yet written, to be
// given large pages where the system can: fewer faults, faster given back.
void PreferLargePages(const void* start, std::size_t length);

// ---------------------------------------------------------------------------
// The words of a system's failures, the same wherever they are told.

// The words the program tells the failure `condition` in; empty for one it
// has no words of its own for.
std::string_view SystemErrorWords(std::errc condition);

// The cause of a failure the system reported as `code` outside the file
// layer (starting a thread, setting signals up): words for a lack of
// resources, of memory or of permission, else "system error N (text)".
std::string SystemFailureCause(const std::error_code& code);

}  // namespace holvane

#endif  // HOLVANE_COMMON_FILE_SYSTEM_H_
