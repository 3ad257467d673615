// SPDX-License-Identifier: MIT
#ifndef HOLVANE_COMMON_FILE_SYSTEM_H_
#define HOLVANE_COMMON_FILE_SYSTEM_H_

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/run_time_error.h"

namespace holvane {

// A file opened for reading at explicit positions. Every failure throws
// RunTimeError with the cause, and the file's path as its file().
class ReadableFile {
 public:
  virtual ~ReadableFile() = default;

  // The file's length in bytes.
  virtual std::int64_t Length() = 0;

  // The file's permission bits, as they were when it was opened; this never
  // fails. On Windows, which has none, a read-only file is readable by all
  // and writable by none, any other readable and writable by all.
  virtual std::filesystem::perms Permissions() const = 0;

  // Reads up to `n` bytes at `offset` into `dst` and returns how many were
  // read: fewer than `n` only where the file ends. Nothing is buffered
  // behind the call (DefaultFileSystem's files read straight into `dst`, a
  // system call each time), so a caller reads in pieces large enough to be
  // worth that, not field by field.
  virtual std::size_t ReadAt(std::int64_t offset, char* dst, std::size_t n) = 0;

  // Releases the file; a failure throws. Later calls do nothing.
  virtual void Close() = 0;
};

// A file written sequentially from its first byte, each append handed to the
// file system within the call: nothing is held back for later.
//
// An append is a unit. Should any byte of it fail to be written, the file is
// cut back to the length it had before that append, and RunTimeError is
// thrown with the cause of the failed write (should the cut fail as well, the
// write's cause is still the one thrown). So the file always ends where some
// append ended: a writer whose every append ends at the end of a record
// leaves whole records only, whatever stops it.
class WritableFile {
 public:
  virtual ~WritableFile() = default;

  // Appends `pieces`, in order, as one unit.
  virtual void AppendPieces(std::span<const std::string_view> pieces) = 0;

  // Appends `data` as one unit.
  void Append(std::string_view data) { AppendPieces(std::span(&data, 1)); }

  // Makes what has been appended durable: on the disk itself, not only in
  // the system's cache, before the file is given another's name. A file
  // that is not on a disk has nothing to do.
  virtual void Sync() {}

  // Releases the file; a failure throws. Later calls do nothing. A file
  // destroyed without Close is closed all the same, a failure ignored.
  virtual void Close() = 0;
};

// The lock of one conversion (FileSystem::LockConversion), released when
// destroyed.
class ConversionLock {
 public:
  virtual ~ConversionLock() = default;

  // Whether taking the lock made the temporary file: there was none. A
  // conversion that then writes nothing takes it away again; one that was
  // there before is an earlier run's, and stays as it was.
  virtual bool CreatedTemporary() const = 0;
};

// Whether LockConversion waits for a lock another holds.
enum class LockWait { kWait, kDontWait };

// Opens, creates and removes files. The conversion reaches the disk only
// through this interface, so tests can put faults in its way. A failure throws
// RunTimeError whose file() is the path it concerns.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Opens an existing regular file for reading. The file is never changed.
  virtual std::unique_ptr<ReadableFile> OpenForReading(const std::filesystem::path& path) = 0;

  // Creates the file, or empties an existing one, for writing from its first
  // byte. It refuses, instead of writing through, a name that is a symbolic
  // link, is not a regular file, or has other hard links (writing there would
  // change another file, perhaps the input itself).
  //
  // The file gets the permission bits `permissions` less the process's
  // umask, whether it is new or was there before, so a file meant to be
  // private never stays more readable than asked. An existing file gets them
  // before anything of it changes; should that fail, so does the call.
  //
  // Windows has no permission bits: there `permissions` is not applied. A
  // new file gets the access rules its folder passes on to new files, one
  // that was there keeps its own, and the read-only attribute is never set.
  // A symbolic link or junction is refused as a symbolic link is.
  virtual std::unique_ptr<WritableFile> CreateForWriting(const std::filesystem::path& path,
                                                         std::filesystem::perms permissions) = 0;

  // As CreateForWriting, for a name that must be free: a name taken by
  // anything (a file, a folder, a symbolic link) fails (kFileAlreadyExists,
  // concerning `path`) and is left as it is. The file made is held by its
  // writer from the moment it exists until the WritableFile is destroyed, or
  // its process ends however it ends (killed, the machine stopped): while
  // held, RemoveUnlessHeld leaves it. Close leaves it held, so that a writer
  // can have it closed, every failure told, and still held while it gives it
  // another name. Where the file system cannot lock files, the file is made
  // all the same, unheld.
  //
  // On POSIX the hold is an exclusive flock on the file's own descriptor; on
  // Windows a LockFileEx on a byte past any the file holds, as
  // LockConversion's, since the handle shares deletion (a stop removes the
  // file while it is being written) and so cannot hold it by its share mode.
  virtual std::unique_ptr<WritableFile> CreateNewForWriting(const std::filesystem::path& path,
                                                            std::filesystem::perms permissions) = 0;

  virtual void Remove(const std::filesystem::path& path) = 0;

  // Removes the file `path` unless a writer holds it (CreateNewForWriting):
  // one whose writer is gone is taken away, one still being written is left.
  // Returns whether it was removed. Only a regular file with no other name
  // is removed, and only the one found: nothing at the name, a symbolic
  // link, a folder or any other kind of file, one that another file took the
  // name of meanwhile, and a file system that cannot lock files (so cannot
  // tell) all leave things as they are and return false. Other failures
  // throw, concerning `path`.
  //
  // The default, for a layer that cannot tell a held file from another,
  // removes nothing.
  virtual bool RemoveUnlessHeld(const std::filesystem::path& path);

  // The names of the entries of the folder `folder` (empty: the current
  // one), of every kind, in no order, "." and ".." left out; each name is
  // the entry's alone, without the folder. Failures throw, concerning
  // `folder`. The default, for a layer that keeps no folders, finds none.
  virtual std::vector<std::filesystem::path> ListFolder(const std::filesystem::path& folder);

  // Gives the file `from` the name `to`, in one step: whoever opens `to`
  // finds either what it held before or the whole of `from`. With
  // RenameMode::kReplace a file at `to` is replaced; with kKeepExisting one
  // there stays, and the call fails (kFileAlreadyExists, concerning `to`).
  // Both names are in one folder, or at least on one file system.
  enum class RenameMode { kReplace, kKeepExisting };
  virtual void Rename(const std::filesystem::path& from, const std::filesystem::path& to,
                      RenameMode mode) = 0;

  // Locks the conversion of the input `input`, that is what it writes: its
  // temporary file (TemporaryPathFor, convert_file.h) and its output. While
  // the lock is held, another LockConversion of the same input, from this
  // process or another, waits until it is released, or, told
  // LockWait::kDontWait, returns nullptr at once (it returns nullptr in no
  // other case). Locks of different inputs are independent. The lock is
  // advisory: it keeps out only those who take it too, as every conversion
  // does. The input is not read here: a conversion reads it once it holds
  // the lock, so conversions of one input run in the order they got the
  // lock, each on the input as it is by then.
  //
  // The lock is the temporary file's own (flock), so it goes with the names
  // that are written, whatever becomes of the input's name meanwhile (an
  // editor that saves by renaming a new file over it). The temporary file is
  // opened, or created (rw------- less the umask) when missing, and never
  // emptied; a symbolic link or what is not a regular file at its name is
  // refused as CreateForWriting refuses it. Releasing the lock leaves the
  // file; whoever removes it (a conversion, once done) does so by name while
  // still holding the lock. So a lock that finds, once had, the name gone or
  // leading to another file lets go and is taken again on what the name now
  // holds. Failures throw, concerning the temporary file.
  //
  // Where the file system cannot lock files (a mount without a lock
  // service), the temporary file is opened or made all the same, the lock is
  // not held, and conversions go on as if unlocked.
  //
  // On Windows the lock is the input's instead: LockFileEx on a handle kept
  // open until the lock goes, which every process honours, taken on a byte
  // past any the file holds, so that it keeps no one from reading the file.
  // The handle shares no deletion, so the input's name cannot be removed or
  // given to another file while the lock is held; no temporary file is made,
  // and failures concern the input.
  virtual std::unique_ptr<ConversionLock> LockConversion(const std::filesystem::path& input,
                                                         LockWait wait) = 0;

  // The temporary file `temporary` of the conversion `lock` holds, made or
  // emptied for writing as CreateForWriting(temporary, permissions) makes it,
  // refused as that refuses it. Once it is written and closed,
  // OpenTemporary opens it again for reading as OpenForReading would.
  //
  // The defaults are exactly those calls by name. A layer whose lock holds
  // the temporary file open (POSIX) writes and reads it through that open
  // file instead, where each open by name would look the name up again and
  // check what it leads to; the file is the one the lock made sure of.
  virtual std::unique_ptr<WritableFile> CreateTemporary(ConversionLock& lock,
                                                        const std::filesystem::path& temporary,
                                                        std::filesystem::perms permissions);
  virtual std::unique_ptr<ReadableFile> OpenTemporary(ConversionLock& lock,
                                                      const std::filesystem::path& temporary);
};

// What StandardOutput's appends throw when the reader has gone away (the
// other end of a pipe closed): not a fault of the data, but the end of those
// who wanted it, which a program meets quietly, as cat does.
class StandardOutputClosed final : public RunTimeError {
 public:
  StandardOutputClosed();
};

// The file system of the machine. A write past the process's file-size
// limit fails as a full disk does ("файл слишком велик") instead of ending
// the process: the first call sets SIGXFSZ to be ignored, for good.
FileSystem& DefaultFileSystem();

// Standard output, as a file appended to where it stands. An append is
// written whole or fails, but one that fails part-way cannot be taken back (a
// pipe or a terminal cannot be cut). Failures have no file(); their cause
// names standard output; a reader that has gone away throws
// StandardOutputClosed. A file-size limit is a write failure here too, as
// for DefaultFileSystem.
std::unique_ptr<WritableFile> StandardOutput();

// Standard input, read to its end. Throws RunTimeError (no file(), the cause
// naming standard input) when it cannot be read.
std::string ReadStandardInput();

}  // namespace holvane

#endif  // HOLVANE_COMMON_FILE_SYSTEM_H_
