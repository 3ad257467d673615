// SPDX-License-Identifier: MIT
// The file layer on POSIX systems: descriptors opened without following
// symbolic links, flock on the temporary file for a conversion's lock and on
// a file made new for its writer's hold, gathered writes.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "common/file_system.h"
#include "common/file_system_detail.h"
#include "common/run_time_error.h"

namespace holvane {

namespace {

using namespace file_layer;  // the words of actions and refusals

SystemErrorMeaning Meaning(int error) {
  const auto words = [error] { return SystemErrorWords(static_cast<std::errc>(error)); };
  switch (error) {
    case ENOENT:
      return {ErrorNumber::kFileNotFound, words()};
    case ENOTDIR:
      return {ErrorNumber::kPathNotFound, words()};
    case EACCES:
    case EPERM:
    case EROFS:
      return {ErrorNumber::kPermissionDenied, words()};
    case ENOSPC:
    case EFBIG:
      return {ErrorNumber::kDiskFull, words()};
    case EDQUOT:
      return {ErrorNumber::kDiskFull, Tr("disk quota exceeded")};
    case EIO:
      return {ErrorNumber::kDeviceIo, words()};
    case EISDIR:
    case ELOOP:
    case ENAMETOOLONG:
    case EMFILE:
    case ENFILE:
      return {ErrorNumber::kPathFileAccess, words()};
    case ENXIO:
      // What open(2) says of a socket, of a named pipe opened to write with
      // no reader, and of a device with nothing behind it: never of a
      // regular file.
      return {ErrorNumber::kPathFileAccess, Tr(kNotRegularFile)};
    case ENOMEM:
      return {ErrorNumber::kOutOfMemory, words()};
    case EEXIST:
      return {ErrorNumber::kFileAlreadyExists, words()};
    default:
      return {ErrorNumber::kPathFileAccess, {}};
  }
}

[[noreturn]] void Fail(Words action, const std::filesystem::path& path, int error) {
  ThrowSystemError(action, path, Meaning(error), error, std::strerror(error));
}

// Makes `call`, a system call that returns -1 on a failure, again for as long
// as a signal interrupts it, and returns what the last one returned, errno as
// it left it. For the calls an interruption leaves undone and that may be
// asked again without harm: opening, looking at, locking, truncating, syncing
// a file, reading a folder. A network or user-space file system (NFS, FUSE),
// or a named pipe, lets a signal interrupt calls that a local disk never
// does, and a caught signal (a window's timer, a child's end) must not fail
// the file for that. Not for removing, renaming or linking: one that NFS
// interrupts may have been done all the same, and asked again it would fail
// as if it had not. Nor for close, after which the descriptor is gone
// whatever it says.
template <typename Call>
auto Retried(Call call) {
  for (;;) {
    const auto result = call();
    if (result != -1 || errno != EINTR) return result;
  }
}

// Owns one descriptor; closing it is checked where the caller asks for it.
class Descriptor {
 public:
  Descriptor() = default;
  explicit Descriptor(int fd) : fd_(fd) {}
  Descriptor(Descriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  Descriptor& operator=(Descriptor&&) = delete;
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }

  int get() const { return fd_; }
  bool is_open() const { return fd_ >= 0; }

  // Returns the errno of a failed close, or 0.
  int Release() {
    if (fd_ < 0) return 0;
    const int result = ::close(std::exchange(fd_, -1));
    return result == 0 ? 0 : errno;
  }

 private:
  int fd_ = -1;
};

// The umask as /proc tells it, without changing it; nothing where /proc
// cannot tell.
std::optional<mode_t> UmaskFromProc() {
  Descriptor fd(Retried([] { return ::open("/proc/self/status", O_RDONLY | O_CLOEXEC); }));
  if (!fd.is_open()) return std::nullopt;
  std::string status;
  char chunk[4096];
  while (true) {
    const ssize_t got = ::read(fd.get(), chunk, sizeof chunk);
    if (got < 0) {
      if (errno == EINTR) continue;
      return std::nullopt;
    }
    if (got == 0) break;
    status.append(chunk, static_cast<std::size_t>(got));
  }
  if (fd.Release() != 0) return std::nullopt;
  constexpr std::string_view kField = "\nUmask:";
  const std::size_t at = status.find(kField);
  if (at == std::string::npos) return std::nullopt;
  const char* first = status.data() + at + kField.size();
  const char* last = status.data() + status.size();
  while (first != last && (*first == ' ' || *first == '\t')) ++first;
  unsigned value = 0;
  const auto [end, error] = std::from_chars(first, last, value, 8);
  if (error != std::errc() || end == first || value > 0777) return std::nullopt;
  return static_cast<mode_t>(value);
}

// The process's umask, read once: the program never changes it. Reading it
// through umask() means setting it for a moment, during which a file another
// thread creates gets that moment's mask, so /proc is asked first, and the
// moment's mask keeps such a file to its owner.
mode_t ProcessUmask() {
  static const mode_t mask = [] {
    if (const std::optional<mode_t> told = UmaskFromProc()) return *told;
    const mode_t previous = ::umask(0077);
    ::umask(previous);
    return previous;
  }();
  return mask;
}

int OpenNoFollow(const std::filesystem::path& path, int flags, mode_t mode = 0) {
  return Retried([&] { return ::open(path.c_str(), flags | O_CLOEXEC | O_NOFOLLOW, mode); });
}

int Status(int fd, struct stat& info) {
  return Retried([&] { return ::fstat(fd, &info); });
}

// Takes the flock `operation` on `fd`; returns the errno of a failure, or 0.
int Flock(int fd, int operation) {
  return Retried([&] { return ::flock(fd, operation); }) == 0 ? 0 : errno;
}

// Whether the name `path` leads to the file `file` describes: false when
// the name is gone, or another file has it. Throws for `action` when it
// cannot be told.
bool NameLeadsTo(const std::filesystem::path& path, const struct stat& file, Words action) {
  struct stat named {};
  if (Retried([&] { return ::lstat(path.c_str(), &named); }) != 0) {
    if (errno == ENOENT) return false;
    Fail(action, path, errno);
  }
  return named.st_dev == file.st_dev && named.st_ino == file.st_ino;
}

class PosixReadableFile final : public ReadableFile {
 public:
  PosixReadableFile(std::filesystem::path path, Descriptor fd, const struct stat& info)
      : path_(std::move(path)),
        fd_(std::move(fd)),
        length_(static_cast<std::int64_t>(info.st_size)),
        permissions_(static_cast<std::filesystem::perms>(info.st_mode & 07777)) {}

  // The file is ours alone while it is open (the conversion wrote it, or it is
  // an input no one writes meanwhile), so its length is read once, at open,
  // instead of costing a system call per record.
  std::int64_t Length() override { return length_; }

  std::filesystem::perms Permissions() const override { return permissions_; }

  // Straight from the file into `dst`, nothing kept: the callers read in
  // pieces of their own (the renderer's 128 KiB, the whole file at once), so
  // a buffer here would only copy every byte once more. Reads until `n`
  // bytes or the end of the file. The end is where it was at open, so a read
  // that reaches it needs no further call to find it there.
  std::size_t ReadAt(std::int64_t offset, char* dst, std::size_t n) override {
    if (n == 0) return 0;
    if (!fd_.is_open()) Refuse(kReadAction, path_, kClosedFile);
    n = static_cast<std::size_t>(
        std::clamp<std::int64_t>(length_ - offset, 0, static_cast<std::int64_t>(n)));
    std::size_t done = 0;
    while (done < n) {
      const ssize_t got = ::pread(fd_.get(), dst + done, n - done,
                                  static_cast<off_t>(offset + static_cast<std::int64_t>(done)));
      if (got < 0) {
        if (errno == EINTR) continue;
        Fail(kReadAction, path_, errno);
      }
      if (got == 0) break;
      done += static_cast<std::size_t>(got);
    }
    return done;
  }

  void Close() override {
    if (const int error = fd_.Release(); error != 0) Fail(kCloseAction, path_, error);
  }

 private:
  std::filesystem::path path_;
  Descriptor fd_;
  std::int64_t length_;
  std::filesystem::perms permissions_;
};

// Writes every byte of `pieces`, gathered into as few calls as the system
// takes: at `*offset` on, moving it, when there is one, else where the
// descriptor stands. Returns the errno of a failed write, or 0.
int WritePieces(int fd, std::span<const std::string_view> pieces, std::int64_t* offset) {
  constexpr std::size_t kGathered = 8;
  std::size_t piece = 0;  // the first piece not written whole
  std::size_t done = 0;   // how much of it is written
  while (true) {
    iovec gathered[kGathered];
    int count = 0;
    for (std::size_t i = piece; i < pieces.size() && count < static_cast<int>(kGathered); ++i) {
      const std::size_t skip = i == piece ? done : 0;
      if (pieces[i].size() == skip) continue;
      gathered[count++] = {const_cast<char*>(pieces[i].data() + skip), pieces[i].size() - skip};
    }
    if (count == 0) return 0;
    const ssize_t wrote = offset != nullptr
                              ? ::pwritev(fd, gathered, count, static_cast<off_t>(*offset))
                              : ::writev(fd, gathered, count);
    if (wrote < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    // A file takes at least a byte or tells why not; a call that takes
    // nothing would only be repeated forever.
    if (wrote == 0) return EIO;
    if (offset != nullptr) *offset += wrote;
    for (auto left = static_cast<std::size_t>(wrote); left > 0;) {
      const std::size_t rest = pieces[piece].size() - done;
      if (left < rest) {
        done += left;
        left = 0;
      } else {
        left -= rest;
        ++piece;
        done = 0;
      }
    }
  }
}

class PosixWritableFile final : public WritableFile {
 public:
  PosixWritableFile(std::filesystem::path path, Descriptor fd, Descriptor hold = {})
      : path_(std::move(path)), fd_(std::move(fd)), hold_(std::move(hold)) {}

  void AppendPieces(std::span<const std::string_view> pieces) override {
    if (!fd_.is_open()) Refuse(kWriteAction, path_, kClosedFile);
    const std::int64_t start = length_;
    if (const int error = WritePieces(fd_.get(), pieces, &length_); error != 0) {
      // Whatever of this append did reach the file is cut off again, so that
      // the file ends where the last whole append ended.
      Retried([&] { return ::ftruncate(fd_.get(), static_cast<off_t>(start)); });
      length_ = start;
      Fail(kWriteAction, path_, error);
    }
  }

  void Sync() override {
    if (!fd_.is_open()) Refuse(kSyncAction, path_, kClosedFile);
    if (Retried([&] { return ::fsync(fd_.get()); }) != 0) Fail(kSyncAction, path_, errno);
  }

  void Close() override {
    if (const int error = fd_.Release(); error != 0) Fail(kCloseAction, path_, error);
  }

 private:
  std::filesystem::path path_;
  Descriptor fd_;
  // A copy of `fd_` that keeps its open file, and so its flock, until this
  // object goes: CreateNewForWriting's hold outlasts Close.
  Descriptor hold_;
  // What the file holds: it starts empty and only this object writes it.
  std::int64_t length_ = 0;
};

// Standard output, written where it stands. It belongs to the process, so it
// is not closed here.
class StandardOutputFile final : public WritableFile {
 public:
  void AppendPieces(std::span<const std::string_view> pieces) override {
    if (const int error = WritePieces(STDOUT_FILENO, pieces, nullptr); error != 0) {
      if (error == EPIPE) throw StandardOutputClosed();
      Fail(kWriteStandardOutputAction, {}, error);
    }
  }

  void Close() override {}
};

struct OpenedFile {
  Descriptor fd;
  struct stat info;
};

// Opens an existing regular file for reading only.
OpenedFile OpenRegularFile(const std::filesystem::path& path) {
  // O_NONBLOCK: opening a named pipe must not wait for a writer. It has no
  // effect on the regular files that are read afterwards.
  OpenedFile file{
      Descriptor(Retried([&] { return ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK); })),
      {}};
  if (!file.fd.is_open()) Fail(kOpenAction, path, errno);
  if (Status(file.fd.get(), file.info) != 0) Fail(kOpenAction, path, errno);
  if (S_ISDIR(file.info.st_mode)) Fail(kOpenAction, path, EISDIR);
  if (!S_ISREG(file.info.st_mode)) Refuse(kOpenAction, path, kNotRegularFile);
  return file;
}

// Whether a failed flock means that this file system does not lock files,
// rather than that something is wrong with the file. (NFS, which grants an
// exclusive lock only on a file open for writing, grants this one: the
// temporary file is opened for writing.)
bool LockingUnsupported(int error) {
  return error == ENOLCK || error == EOPNOTSUPP || error == ENOSYS;
}

// Opens the temporary file `path` to lock it, creating it when it is
// missing; `created` tells which. A name that another holder removes
// meanwhile is tried again. Never empties the file, never follows a symbolic
// link. What is not a regular file is refused once the lock is had, when the
// file is looked at anyway.
Descriptor OpenToLock(const std::filesystem::path& path, bool& created) {
  const mode_t mode = S_IRUSR | S_IWUSR;
  for (;;) {
    // O_EXCL first, to know whether the file is this run's; O_NONBLOCK so
    // that a device or a named pipe at the name does not hold the open up.
    created = true;
    int fd = OpenNoFollow(path, O_RDWR | O_CREAT | O_EXCL | O_NONBLOCK, mode & ~ProcessUmask());
    if (fd < 0 && errno == EEXIST) {
      created = false;
      fd = OpenNoFollow(path, O_RDWR | O_NONBLOCK);
      if (fd < 0 && errno == ENOENT) continue;
    }
    Descriptor file(fd);
    if (!file.is_open()) Fail(kCreateAction, path, errno);
    return file;
  }
}

// Makes the open file `fd`, described by `info`, ready to be written from its
// first byte as CreateForWriting promises: a regular file with no other name,
// with the bits `mode`, empty.
void PrepareForWriting(int fd, const struct stat& info, const std::filesystem::path& path,
                       mode_t mode) {
  if (S_ISDIR(info.st_mode)) Fail(kCreateAction, path, EISDIR);
  if (!S_ISREG(info.st_mode)) Refuse(kCreateAction, path, kNotRegularFile);
  if (info.st_nlink > 1) Refuse(kCreateAction, path, kOtherHardLinks);
  // A new file has its bits from open already (unless the folder's default
  // ACL gave it others); one that was there keeps its own until told.
  if ((info.st_mode & 07777) != mode && Retried([&] { return ::fchmod(fd, mode); }) != 0) {
    Fail(kPermissionsAction, path, errno);
  }
  // A new file is empty already. Truncating it anyway would cost more than
  // a system call: ext4 takes a truncation to zero for a file being
  // replaced and writes it out on close, each .tmp and .txt alike.
  if (info.st_size > 0 && Retried([&] { return ::ftruncate(fd, 0); }) != 0) {
    Fail(kCreateAction, path, errno);
  }
}

// A descriptor of its own for the open file `fd`: closing it leaves `fd`,
// and with it the lock, as they were.
Descriptor Duplicate(int fd, const std::filesystem::path& path, Words action) {
  Descriptor copy(::fcntl(fd, F_DUPFD_CLOEXEC, 0));
  if (!copy.is_open()) Fail(action, path, errno);
  return copy;
}

mode_t ModeLessUmask(std::filesystem::perms permissions) {
  return static_cast<mode_t>(permissions) & 07777 & ~ProcessUmask();
}

// The lock is the temporary file's own flock, and the descriptor that holds
// it is the way to the file: the conversion writes and reads it through
// copies of that descriptor, never by name again, so it is the very file the
// lock made sure of; only its removal goes by name, the lock still held.
class PosixConversionLock final : public ConversionLock {
 public:
  PosixConversionLock(std::filesystem::path temporary, Descriptor fd, bool created)
      : temporary_(std::move(temporary)), fd_(std::move(fd)), created_(created) {}

  bool CreatedTemporary() const override { return created_; }

  std::unique_ptr<WritableFile> CreateTemporary(std::filesystem::perms permissions) override {
    struct stat info {};
    if (Status(fd_.get(), info) != 0) Fail(kCreateAction, temporary_, errno);
    PrepareForWriting(fd_.get(), info, temporary_, ModeLessUmask(permissions));
    return std::make_unique<PosixWritableFile>(temporary_,
                                               Duplicate(fd_.get(), temporary_, kCreateAction));
  }

  std::unique_ptr<ReadableFile> OpenTemporary() override {
    Descriptor fd = Duplicate(fd_.get(), temporary_, kOpenAction);
    struct stat info {};
    if (Status(fd.get(), info) != 0) Fail(kOpenAction, temporary_, errno);
    return std::make_unique<PosixReadableFile>(temporary_, std::move(fd), info);
  }

  void RemoveTemporary() override {
    if (::unlink(temporary_.c_str()) != 0) Fail(kRemoveAction, temporary_, errno);
  }

 private:
  std::filesystem::path temporary_;
  // Closing the last descriptor of the open file releases the lock.
  Descriptor fd_;
  bool created_;
};

class PosixFileSystem final : public FileSystem {
 public:
  std::unique_ptr<ReadableFile> OpenForReading(const std::filesystem::path& path) override {
    OpenedFile file = OpenRegularFile(path);
    return std::make_unique<PosixReadableFile>(path, std::move(file.fd), file.info);
  }

  std::unique_ptr<WritableFile> CreateForWriting(const std::filesystem::path& path,
                                                 std::filesystem::perms permissions) override {
    const mode_t mode = ModeLessUmask(permissions);
    // Not O_TRUNC: the file is emptied only once it is known to be safe to.
    Descriptor fd(OpenNoFollow(path, O_WRONLY | O_CREAT | O_NONBLOCK, mode));
    if (!fd.is_open()) Fail(kCreateAction, path, errno);
    struct stat info {};
    if (Status(fd.get(), info) != 0) Fail(kCreateAction, path, errno);
    PrepareForWriting(fd.get(), info, path, mode);
    return std::make_unique<PosixWritableFile>(path, std::move(fd));
  }

  // The hold is an flock on the file's open file, so it goes when the last
  // descriptor of it is closed, by the writer or by the end of its process,
  // however it ends; a second descriptor keeps it past Close. A
  // RemoveUnlessHeld may find the file between the open and the lock, lock
  // it first and take the name away: the lock waits for it (it holds it for
  // a few calls), and a file that has lost its name is let go and another
  // made.
  std::unique_ptr<WritableFile> CreateNewForWriting(const std::filesystem::path& path,
                                                    std::filesystem::perms permissions) override {
    const mode_t mode = ModeLessUmask(permissions);
    for (;;) {
      Descriptor fd(OpenNoFollow(path, O_WRONLY | O_CREAT | O_EXCL | O_NONBLOCK, mode));
      if (!fd.is_open()) Fail(kCreateAction, path, errno);
      const int error = Flock(fd.get(), LOCK_EX);
      if (error != 0 && !LockingUnsupported(error)) Fail(kLockAction, path, error);
      struct stat info {};
      if (Status(fd.get(), info) != 0) Fail(kCreateAction, path, errno);
      if (error == 0 && !NameLeadsTo(path, info, kCreateAction)) continue;
      PrepareForWriting(fd.get(), info, path, mode);
      Descriptor hold = Duplicate(fd.get(), path, kCreateAction);
      return std::make_unique<PosixWritableFile>(path, std::move(fd), std::move(hold));
    }
  }

  void Remove(const std::filesystem::path& path) override {
    if (::unlink(path.c_str()) != 0) Fail(kRemoveAction, path, errno);
  }

  // A writer's hold is an flock, so a file whose lock is free has no writer:
  // it died or closed the file without renaming it. Opened for writing, as
  // NFS grants an exclusive lock only on such a file, but never emptied or
  // written; the name is removed while the lock is held, once it is known to
  // lead to the file locked still.
  bool RemoveUnlessHeld(const std::filesystem::path& path) override {
    Descriptor fd(OpenNoFollow(path, O_WRONLY | O_NONBLOCK));
    if (!fd.is_open()) {
      // Nothing there, a symbolic link, a folder, a named pipe nobody reads:
      // nothing a writer left.
      if (errno == ENOENT || errno == ELOOP || errno == EISDIR || errno == ENXIO) return false;
      Fail(kRemoveAction, path, errno);
    }
    struct stat locked {};
    if (Status(fd.get(), locked) != 0) Fail(kRemoveAction, path, errno);
    if (!S_ISREG(locked.st_mode) || locked.st_nlink != 1) return false;
    if (const int error = Flock(fd.get(), LOCK_EX | LOCK_NB); error != 0) {
      if (error == EWOULDBLOCK || LockingUnsupported(error)) return false;
      Fail(kLockAction, path, error);
    }
    if (!NameLeadsTo(path, locked, kRemoveAction)) return false;
    if (::unlink(path.c_str()) != 0) {
      if (errno == ENOENT) return false;
      Fail(kRemoveAction, path, errno);
    }
    return true;
  }

  std::vector<std::filesystem::path> ListFolder(const std::filesystem::path& folder) override {
    const std::filesystem::path& named = folder.empty() ? std::filesystem::path(".") : folder;
    const int fd = Retried(
        [&] { return ::open(named.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK); });
    if (fd < 0) Fail(kListAction, folder, errno);
    // fdopendir takes the descriptor over only when it succeeds.
    const std::unique_ptr<DIR, int (*)(DIR*)> entries(::fdopendir(fd), ::closedir);
    if (entries == nullptr) {
      const int error = errno;
      ::close(fd);
      Fail(kListAction, folder, error);
    }
    std::vector<std::filesystem::path> names;
    for (;;) {
      errno = 0;
      const dirent* entry = ::readdir(entries.get());
      if (entry == nullptr) {
        if (errno == EINTR) continue;
        if (errno != 0) Fail(kListAction, folder, errno);
        return names;
      }
      const std::string_view name = entry->d_name;
      if (name != "." && name != "..") names.emplace_back(name);
    }
  }

  void Rename(const std::filesystem::path& from, const std::filesystem::path& to,
              RenameMode mode) override {
    if (mode == RenameMode::kReplace) {
      if (::rename(from.c_str(), to.c_str()) != 0) Fail(kRenameAction, to, errno);
      return;
    }
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return;
    if (errno != EINVAL && errno != ENOSYS) Fail(kRenameAction, to, errno);
    // A file system that cannot rename without replacing: a second link
    // fails just as surely when the name is taken, then the first goes.
    if (::link(from.c_str(), to.c_str()) != 0) Fail(kRenameAction, to, errno);
    if (::unlink(from.c_str()) != 0) Fail(kRemoveAction, from, errno);
  }

  // flock, not fcntl: its lock belongs to the open file, so two threads of
  // one process, each with its own, exclude each other too. The lock goes
  // with the name that is written, whatever becomes of the input's name
  // meanwhile (an editor that saves by renaming a new file over it).
  std::unique_ptr<ConversionLock> LockConversion(const std::filesystem::path&,
                                                 const std::filesystem::path& temporary,
                                                 LockWait wait) override {
    for (;;) {
      bool created = false;
      Descriptor fd = OpenToLock(temporary, created);
      const int operation = wait == LockWait::kWait ? LOCK_EX : LOCK_EX | LOCK_NB;
      const int error = Flock(fd.get(), operation);
      if (error == EWOULDBLOCK && wait == LockWait::kDontWait) return nullptr;
      struct stat locked {};
      if (Status(fd.get(), locked) != 0) Fail(kCreateAction, temporary, errno);
      if (!S_ISREG(locked.st_mode)) Refuse(kCreateAction, temporary, kNotRegularFile);
      if (error != 0) {
        if (!LockingUnsupported(error)) Fail(kLockAction, temporary, error);
        return std::make_unique<PosixConversionLock>(temporary, std::move(fd), created);
      }
      // The holder before may have removed the file, or another may have
      // put a new one at its name, while this lock waited (or even before
      // it, between this open and the lock): a lock on a file the name no
      // longer leads to would keep no one out.
      if (NameLeadsTo(temporary, locked, kLockAction)) {
        return std::make_unique<PosixConversionLock>(temporary, std::move(fd), created);
      }
    }
  }
};

// A write past the process's file-size limit (RLIMIT_FSIZE) must fail as a
// full disk does, with EFBIG, and be cut back like any failed append; by
// default the kernel ends the process with SIGXFSZ instead, before anything
// could be cut back or reported. Set aside once, by whatever writes first.
void SetFileSizeSignalAside() {
  static const bool done = [] {
    ::signal(SIGXFSZ, SIG_IGN);
    return true;
  }();
  (void)done;
}

}  // namespace

std::unique_ptr<WritableFile> StandardOutput() {
  SetFileSizeSignalAside();
  return std::make_unique<StandardOutputFile>();
}

namespace file_layer {

std::size_t ReadStandardInputSome(char* dst, std::size_t n) {
  while (true) {
    const ssize_t got = ::read(STDIN_FILENO, dst, n);
    if (got >= 0) return static_cast<std::size_t>(got);
    if (errno != EINTR) Fail(kReadStandardInputAction, {}, errno);
  }
}

}  // namespace file_layer

FileSystem& DefaultFileSystem() {
  SetFileSizeSignalAside();
  static PosixFileSystem file_system;
  return file_system;
}

std::optional<FolderIdentity> IdentityOf(const std::filesystem::path& folder) {
  struct stat info {};
  if (::stat(folder.c_str(), &info) != 0) return std::nullopt;
  return FolderIdentity(info.st_dev, info.st_ino);
}

bool Missing(const std::filesystem::path& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) != 0 && errno == ENOENT;
}

std::uintptr_t PageSize() { return static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE)); }

void ReleasePages(std::uintptr_t start, std::size_t length) {
  ::madvise(reinterpret_cast<void*>(start), length, MADV_DONTNEED);
}

void PreferLargePages(const void* start, std::size_t length) {
  // A large page is 2 MiB or more and only whole aligned ones are given, so a
  // smaller buffer gains little; it is also most likely in the heap, whose
  // mapping the advice would split.
  constexpr std::size_t kWorthAdvising = 8 << 20;
  if (length < kWorthAdvising) return;
  const std::uintptr_t page = PageSize();
  const auto first = (reinterpret_cast<std::uintptr_t>(start) + page - 1) / page * page;
  const auto end = (reinterpret_cast<std::uintptr_t>(start) + length) / page * page;
  if (end > first) ::madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
}

}  // namespace holvane
