// SPDX-License-Identifier: MIT
// The file layer on Windows: wide paths straight to CreateFileW, handles that
// never follow a reparse point when writing, LockFileEx on the input for a
// conversion's lock and on a file made new for its writer's hold.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>
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

// Windows' codes, told in the words of the condition each means (a path
// that leads nowhere as ENOTDIR is told), save those only Windows has.
SystemErrorMeaning Meaning(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
      return {ErrorNumber::kFileNotFound, SystemErrorWords(std::errc::no_such_file_or_directory)};
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_NETPATH:
      return {ErrorNumber::kPathNotFound, SystemErrorWords(std::errc::not_a_directory)};
    case ERROR_ACCESS_DENIED:
      return {ErrorNumber::kPermissionDenied, SystemErrorWords(std::errc::permission_denied)};
    case ERROR_WRITE_PROTECT:
      return {ErrorNumber::kPermissionDenied, Tr("the disk is write-protected")};
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return {ErrorNumber::kDiskFull, SystemErrorWords(std::errc::no_space_on_device)};
    case ERROR_FILE_TOO_LARGE:
      return {ErrorNumber::kDiskFull, SystemErrorWords(std::errc::file_too_large)};
    case ERROR_SHARING_VIOLATION:
      return {ErrorNumber::kPathFileAccess, Tr("the file is in use by another program")};
    case ERROR_LOCK_VIOLATION:
      return {ErrorNumber::kPathFileAccess, Tr("part of the file is locked by another program")};
    case ERROR_FILENAME_EXCED_RANGE:
      return {ErrorNumber::kPathFileAccess, SystemErrorWords(std::errc::filename_too_long)};
    case ERROR_TOO_MANY_OPEN_FILES:
      return {ErrorNumber::kPathFileAccess, SystemErrorWords(std::errc::too_many_files_open)};
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return {ErrorNumber::kOutOfMemory, SystemErrorWords(std::errc::not_enough_memory)};
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return {ErrorNumber::kFileAlreadyExists, SystemErrorWords(std::errc::file_exists)};
    default:
      return {ErrorNumber::kDeviceIo, {}};
  }
}

// The system's own description of `error`, in UTF-8, for the errors that have
// no words here.
std::string Describe(DWORD error) {
  wchar_t* text = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string result;
  if (length > 0 && text != nullptr) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0,
                                           nullptr, nullptr);
    if (size > 0) {
      result.resize(static_cast<std::size_t>(size));
      ::WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), result.data(), size,
                            nullptr, nullptr);
    }
  }
  if (text != nullptr) ::LocalFree(text);
  while (!result.empty() && (result.back() == '\n' || result.back() == '\r' ||
                             result.back() == ' ' || result.back() == '.')) {
    result.pop_back();
  }
  return result.empty() ? "Windows" : result;
}

[[noreturn]] void Fail(Words action, const std::filesystem::path& path, DWORD error) {
  ThrowSystemError(action, path, Meaning(error), static_cast<long>(error), Describe(error));
}

// Owns one handle; closing it is checked where the caller asks for it.
class Handle {
 public:
  Handle() = default;
  explicit Handle(HANDLE handle) : handle_(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
  Handle(Handle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  Handle& operator=(Handle&&) = delete;
  ~Handle() {
    if (handle_ != nullptr) ::CloseHandle(handle_);
  }

  HANDLE get() const { return handle_; }
  bool is_open() const { return handle_ != nullptr; }

  // Returns the error of a failed close, or 0.
  DWORD Release() {
    if (handle_ == nullptr) return 0;
    return ::CloseHandle(std::exchange(handle_, nullptr)) ? 0 : ::GetLastError();
  }

 private:
  HANDLE handle_ = nullptr;
};

// The most one ReadFile or WriteFile call is given: their counts are DWORDs.
constexpr std::size_t kLargestCall = 1u << 30;

class Win32ReadableFile final : public ReadableFile {
 public:
  Win32ReadableFile(std::filesystem::path path, Handle handle, std::int64_t length,
                    std::filesystem::perms permissions)
      : path_(std::move(path)),
        handle_(std::move(handle)),
        length_(length),
        permissions_(permissions) {}

  // Read once, at open, as on every system: the file is not written while the
  // conversion reads it.
  std::int64_t Length() override { return length_; }

  std::filesystem::perms Permissions() const override { return permissions_; }

  // Straight into `dst`, each call at its own offset (an OVERLAPPED on a
  // synchronous handle), until `n` bytes or the end the file had at open.
  std::size_t ReadAt(std::int64_t offset, char* dst, std::size_t n) override {
    if (n == 0) return 0;
    if (!handle_.is_open()) Refuse(kReadAction, path_, kClosedFile);
    n = static_cast<std::size_t>(
        std::clamp<std::int64_t>(length_ - offset, 0, static_cast<std::int64_t>(n)));
    std::size_t done = 0;
    while (done < n) {
      const auto at = static_cast<std::uint64_t>(offset) + done;
      OVERLAPPED where{};
      where.Offset = static_cast<DWORD>(at);
      where.OffsetHigh = static_cast<DWORD>(at >> 32);
      DWORD got = 0;
      const auto ask = static_cast<DWORD>(std::min(n - done, kLargestCall));
      if (!::ReadFile(handle_.get(), dst + done, ask, &got, &where)) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_HANDLE_EOF) break;
        Fail(kReadAction, path_, error);
      }
      if (got == 0) break;
      done += got;
    }
    return done;
  }

  void Close() override {
    if (const DWORD error = handle_.Release(); error != 0) Fail(kCloseAction, path_, error);
  }

 private:
  std::filesystem::path path_;
  Handle handle_;
  std::int64_t length_;
  std::filesystem::perms permissions_;
};

// Writes every byte of `pieces` where the handle stands. Returns the error of
// a failed write, or 0.
DWORD WritePieces(HANDLE handle, std::span<const std::string_view> pieces) {
  for (const std::string_view piece : pieces) {
    for (std::size_t done = 0; done < piece.size();) {
      const auto ask = static_cast<DWORD>(std::min(piece.size() - done, kLargestCall));
      DWORD wrote = 0;
      if (!::WriteFile(handle, piece.data() + done, ask, &wrote, nullptr)) {
        const DWORD error = ::GetLastError();
        return error != 0 ? error : ERROR_WRITE_FAULT;
      }
      // A write that takes nothing would only be repeated forever.
      if (wrote == 0) return ERROR_WRITE_FAULT;
      done += wrote;
    }
  }
  return 0;
}

class Win32WritableFile final : public WritableFile {
 public:
  Win32WritableFile(std::filesystem::path path, Handle handle, Handle hold = {})
      : path_(std::move(path)), handle_(std::move(handle)), hold_(std::move(hold)) {}

  void AppendPieces(std::span<const std::string_view> pieces) override {
    if (!handle_.is_open()) Refuse(kWriteAction, path_, kClosedFile);
    const std::int64_t start = length_;
    if (const DWORD error = WritePieces(handle_.get(), pieces); error != 0) {
      // Whatever of this append did reach the file is cut off again, so that
      // the file ends where the last whole append ended.
      LARGE_INTEGER at{};
      at.QuadPart = start;
      if (::SetFilePointerEx(handle_.get(), at, nullptr, FILE_BEGIN)) {
        ::SetEndOfFile(handle_.get());
      }
      Fail(kWriteAction, path_, error);
    }
    for (const std::string_view piece : pieces) length_ += static_cast<std::int64_t>(piece.size());
  }

  void Sync() override {
    if (!handle_.is_open()) Refuse(kSyncAction, path_, kClosedFile);
    if (!::FlushFileBuffers(handle_.get())) Fail(kSyncAction, path_, ::GetLastError());
  }

  void Close() override {
    if (const DWORD error = handle_.Release(); error != 0) Fail(kCloseAction, path_, error);
  }

 private:
  std::filesystem::path path_;
  Handle handle_;
  // A copy of `handle_` that keeps its file object open, and so its lock,
  // until this object goes: CreateNewForWriting's hold outlasts Close.
  Handle hold_;
  // What the file holds: it starts empty and only this object writes it.
  std::int64_t length_ = 0;
};

// Standard output, written where it stands, byte for byte: WriteFile knows
// nothing of text mode. It belongs to the process, so it is not closed here.
class StandardOutputFile final : public WritableFile {
 public:
  void AppendPieces(std::span<const std::string_view> pieces) override {
    const HANDLE handle = ::GetStdHandle(STD_OUTPUT_HANDLE);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
      Fail(kWriteStandardOutputAction, {}, ERROR_INVALID_HANDLE);
    }
    if (const DWORD error = WritePieces(handle, pieces); error != 0) {
      // The reading end of a pipe closed, before the write or during it
      // (Wine says the pipe is no longer connected).
      if (error == ERROR_NO_DATA || error == ERROR_BROKEN_PIPE ||
          error == ERROR_PIPE_NOT_CONNECTED) {
        throw StandardOutputClosed();
      }
      Fail(kWriteStandardOutputAction, {}, error);
    }
  }

  void Close() override {}
};

// The whole range a lock takes: the very last byte a file could have, past
// any byte a file really holds. Windows' locks are mandatory, so a lock on
// the input's bytes would fail the conversion's own reads through its other
// handle; a byte no one reads keeps out only those who lock it too.
constexpr DWORD kLockedOffsetLow = 0xFFFFFFFE;
constexpr DWORD kLockedOffsetHigh = 0xFFFFFFFF;

// Locks the byte above on `handle`, exclusively, waiting for it unless told
// not to; returns the error of a failure, or 0.
DWORD LockLastByte(HANDLE handle, LockWait wait) {
  OVERLAPPED where{};
  where.Offset = kLockedOffsetLow;
  where.OffsetHigh = kLockedOffsetHigh;
  const DWORD flags =
      LOCKFILE_EXCLUSIVE_LOCK | (wait == LockWait::kWait ? 0 : LOCKFILE_FAIL_IMMEDIATELY);
  return ::LockFileEx(handle, flags, 0, 1, 0, &where) ? 0 : ::GetLastError();
}

struct OpenedFile {
  Handle handle;
  BY_HANDLE_FILE_INFORMATION info;
};

// Whether the file at `path` is a folder, or a reparse point of any kind:
// asked once opening it failed, to tell why.
std::optional<Words> FolderOrLink(const std::filesystem::path& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return kSymbolicLink;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return kFolder;
  return std::nullopt;
}

// Why the file on a disk that `info` describes is not one to write, or
// nothing when it is a regular file.
std::optional<Words> NotRegular(const BY_HANDLE_FILE_INFORMATION& info) {
  if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return kSymbolicLink;
  if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return kFolder;
  return std::nullopt;
}

// Opens an existing regular file for reading only, shared with readers only.
OpenedFile OpenRegularFile(const std::filesystem::path& path) {
  OpenedFile file{Handle(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)),
                  {}};
  if (!file.handle.is_open()) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_ACCESS_DENIED) {
      if (const auto why = FolderOrLink(path)) Refuse(kOpenAction, path, *why);
    }
    Fail(kOpenAction, path, error);
  }
  if (::GetFileType(file.handle.get()) != FILE_TYPE_DISK) {
    Refuse(kOpenAction, path, kNotRegularFile);
  }
  if (!::GetFileInformationByHandle(file.handle.get(), &file.info)) {
    Fail(kOpenAction, path, ::GetLastError());
  }
  // A reparse point was followed to its target, which is what is read.
  if (file.info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) Refuse(kOpenAction, path, kFolder);
  return file;
}

std::int64_t LengthOf(const BY_HANDLE_FILE_INFORMATION& info) {
  return static_cast<std::int64_t>(static_cast<std::uint64_t>(info.nFileSizeHigh) << 32 |
                                   info.nFileSizeLow);
}

// Windows has no permission bits: a read-only file reads as readable by all
// and writable by none, any other as readable and writable by all.
std::filesystem::perms PermissionsOf(const BY_HANDLE_FILE_INFORMATION& info) {
  using std::filesystem::perms;
  perms permissions = perms::owner_read | perms::group_read | perms::others_read;
  if (!(info.dwFileAttributes & FILE_ATTRIBUTE_READONLY)) {
    permissions |= perms::owner_write | perms::group_write | perms::others_write;
  }
  return permissions;
}

// Whether a failed LockFileEx means that this file system does not lock
// files, rather than that something is wrong with the file.
bool LockingUnsupported(DWORD error) {
  return error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_FUNCTION;
}

// Whether the file `handle` is open on has been marked to go once its last
// handle is closed.
bool DeletePending(HANDLE handle, const std::filesystem::path& path) {
  FILE_STANDARD_INFO standard{};
  if (!::GetFileInformationByHandleEx(handle, FileStandardInfo, &standard, sizeof standard)) {
    Fail(kCreateAction, path, ::GetLastError());
  }
  return standard.DeletePending != FALSE;
}

// FileSystem::CreateForWriting, which has no permission bits to give here.
std::unique_ptr<WritableFile> CreateFileForWriting(const std::filesystem::path& path) {
  // OPEN_ALWAYS, not CREATE_ALWAYS: the file is emptied only once it is
  // known to be safe to. FILE_FLAG_OPEN_REPARSE_POINT opens a symbolic
  // link or junction itself instead of its target, so it can be refused.
  // No security attributes: a new file gets its folder's access rules.
  Handle handle(::CreateFileW(path.c_str(), GENERIC_WRITE | FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!handle.is_open()) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_ACCESS_DENIED) {
      if (const auto why = FolderOrLink(path)) Refuse(kCreateAction, path, *why);
    }
    Fail(kCreateAction, path, error);
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (::GetFileType(handle.get()) != FILE_TYPE_DISK) {
    Refuse(kCreateAction, path, kNotRegularFile);
  }
  if (!::GetFileInformationByHandle(handle.get(), &info)) {
    Fail(kCreateAction, path, ::GetLastError());
  }
  if (const auto why = NotRegular(info)) Refuse(kCreateAction, path, *why);
  if (info.nNumberOfLinks > 1) Refuse(kCreateAction, path, kOtherHardLinks);
  if (LengthOf(info) > 0 && !::SetEndOfFile(handle.get())) {
    Fail(kCreateAction, path, ::GetLastError());
  }
  return std::make_unique<Win32WritableFile>(path, std::move(handle));
}

// The lock is the input's: a handle kept open until the lock goes, which
// shares no deletion, so the input's name cannot be removed or given to
// another file meanwhile. The temporary file is made, read and removed by
// name when asked.
class Win32ConversionLock final : public ConversionLock {
 public:
  Win32ConversionLock(std::filesystem::path temporary, Handle handle, bool locked)
      : temporary_(std::move(temporary)), handle_(std::move(handle)), locked_(locked) {}
  ~Win32ConversionLock() override {
    // Closing the handle releases the lock too, but only when the system
    // gets to it; the next conversion should not wait for that.
    if (locked_) {
      OVERLAPPED where{};
      where.Offset = kLockedOffsetLow;
      where.OffsetHigh = kLockedOffsetHigh;
      ::UnlockFileEx(handle_.get(), 0, 1, 0, &where);
    }
  }

  // The lock is the input's: it makes no temporary file.
  bool CreatedTemporary() const override { return false; }

  std::unique_ptr<WritableFile> CreateTemporary(std::filesystem::perms) override {
    return CreateFileForWriting(temporary_);
  }

  std::unique_ptr<ReadableFile> OpenTemporary() override {
    OpenedFile file = OpenRegularFile(temporary_);
    return std::make_unique<Win32ReadableFile>(temporary_, std::move(file.handle),
                                               LengthOf(file.info), PermissionsOf(file.info));
  }

  void RemoveTemporary() override {
    if (!::DeleteFileW(temporary_.c_str())) Fail(kRemoveAction, temporary_, ::GetLastError());
  }

 private:
  std::filesystem::path temporary_;
  Handle handle_;
  bool locked_;
};

// Ends a search of a folder's entries.
class FolderSearch {
 public:
  explicit FolderSearch(HANDLE handle) : handle_(handle) {}
  FolderSearch(const FolderSearch&) = delete;
  FolderSearch& operator=(const FolderSearch&) = delete;
  ~FolderSearch() { ::FindClose(handle_); }

 private:
  HANDLE handle_;
};

class Win32FileSystem final : public FileSystem {
 public:
  std::unique_ptr<ReadableFile> OpenForReading(const std::filesystem::path& path) override {
    OpenedFile file = OpenRegularFile(path);
    return std::make_unique<Win32ReadableFile>(path, std::move(file.handle), LengthOf(file.info),
                                               PermissionsOf(file.info));
  }

  std::unique_ptr<WritableFile> CreateForWriting(const std::filesystem::path& path,
                                                 std::filesystem::perms) override {
    return CreateFileForWriting(path);
  }

  // CREATE_NEW fails for a name that anything has, a symbolic link or a
  // junction included. The handle shares deletion, as CreateForWriting's
  // does, so a stop can remove the file while it is written; the hold is
  // therefore a lock, the one LockConversion takes. The system releases a
  // lock when the last handle of its file object is closed, so a second
  // handle keeps it past Close. A RemoveUnlessHeld may find the file between
  // its making and the lock, lock it first and mark it to go: the lock waits
  // for it (it holds it for a few calls), and a file so marked is let go and
  // another made.
  std::unique_ptr<WritableFile> CreateNewForWriting(const std::filesystem::path& path,
                                                    std::filesystem::perms) override {
    for (;;) {
      Handle handle(::CreateFileW(path.c_str(), GENERIC_WRITE | FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
      if (!handle.is_open()) Fail(kCreateAction, path, ::GetLastError());
      // A device's name ("NUL") opens the device, CREATE_NEW or not.
      if (::GetFileType(handle.get()) != FILE_TYPE_DISK) {
        Refuse(kCreateAction, path, kNotRegularFile);
      }
      const DWORD error = LockLastByte(handle.get(), LockWait::kWait);
      if (error != 0 && !LockingUnsupported(error)) Fail(kLockAction, path, error);
      if (error == 0 && DeletePending(handle.get(), path)) continue;
      HANDLE copy = nullptr;
      if (!::DuplicateHandle(::GetCurrentProcess(), handle.get(), ::GetCurrentProcess(), &copy, 0,
                             FALSE, DUPLICATE_SAME_ACCESS)) {
        Fail(kCreateAction, path, ::GetLastError());
      }
      Handle hold(copy);
      return std::make_unique<Win32WritableFile>(path, std::move(handle), std::move(hold));
    }
  }

  void Remove(const std::filesystem::path& path) override {
    if (!::DeleteFileW(path.c_str())) Fail(kRemoveAction, path, ::GetLastError());
  }

  // A writer's hold is a lock, which the system releases when its process
  // ends, however it ends. The file is removed through the handle locked,
  // so it is the one that goes, whatever its name leads to meanwhile; it
  // goes once its last handle is closed. A file another program holds open
  // without sharing deletion cannot be opened so, and is held too.
  bool RemoveUnlessHeld(const std::filesystem::path& path) override {
    Handle handle(::CreateFileW(
        path.c_str(), GENERIC_READ | DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!handle.is_open()) {
      const DWORD error = ::GetLastError();
      if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
          error == ERROR_SHARING_VIOLATION) {
        return false;
      }
      if (error == ERROR_ACCESS_DENIED && FolderOrLink(path)) return false;
      Fail(kRemoveAction, path, error);
    }
    if (::GetFileType(handle.get()) != FILE_TYPE_DISK) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(handle.get(), &info)) {
      Fail(kRemoveAction, path, ::GetLastError());
    }
    if (NotRegular(info) || info.nNumberOfLinks != 1) return false;
    if (const DWORD error = LockLastByte(handle.get(), LockWait::kDontWait); error != 0) {
      if (error == ERROR_LOCK_VIOLATION || LockingUnsupported(error)) return false;
      Fail(kLockAction, path, error);
    }
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    if (!::SetFileInformationByHandle(handle.get(), FileDispositionInfo, &disposition,
                                      sizeof disposition)) {
      Fail(kRemoveAction, path, ::GetLastError());
    }
    return true;
  }

  std::vector<std::filesystem::path> ListFolder(const std::filesystem::path& folder) override {
    const std::filesystem::path pattern =
        folder.empty() ? std::filesystem::path(L"*") : folder / L"*";
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found,
                                             FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) {
      const DWORD error = ::GetLastError();
      // A drive's root has not even "." and "..".
      if (error == ERROR_FILE_NOT_FOUND) return {};
      Fail(kListAction, folder, error);
    }
    const FolderSearch ending(search);
    std::vector<std::filesystem::path> names;
    do {
      const std::wstring_view name = found.cFileName;
      if (name != L"." && name != L"..") names.emplace_back(name);
    } while (::FindNextFileW(search, &found));
    if (const DWORD error = ::GetLastError(); error != ERROR_NO_MORE_FILES) {
      Fail(kListAction, folder, error);
    }
    return names;
  }

  void Rename(const std::filesystem::path& from, const std::filesystem::path& to,
              RenameMode mode) override {
    const DWORD flags = MOVEFILE_WRITE_THROUGH |
                        (mode == RenameMode::kReplace ? MOVEFILE_REPLACE_EXISTING : DWORD{0});
    if (!::MoveFileExW(from.c_str(), to.c_str(), flags)) {
      Fail(kRenameAction, to, ::GetLastError());
    }
  }

  std::unique_ptr<ConversionLock> LockConversion(const std::filesystem::path& input,
                                                 const std::filesystem::path& temporary,
                                                 LockWait wait) override {
    OpenedFile file = OpenRegularFile(input);
    // On a synchronous handle LockFileEx waits until the lock is had, unless
    // told to fail at once. Each LockConversion opens its own handle, so two
    // threads of one process exclude each other too.
    bool locked = true;
    if (const DWORD error = LockLastByte(file.handle.get(), wait); error != 0) {
      if (error == ERROR_LOCK_VIOLATION && wait == LockWait::kDontWait) return nullptr;
      if (!LockingUnsupported(error)) Fail(kLockAction, input, error);
      locked = false;
    }
    return std::make_unique<Win32ConversionLock>(temporary, std::move(file.handle), locked);
  }
};

}  // namespace

std::unique_ptr<WritableFile> StandardOutput() { return std::make_unique<StandardOutputFile>(); }

namespace file_layer {

std::size_t ReadStandardInputSome(char* dst, std::size_t n) {
  const HANDLE handle = ::GetStdHandle(STD_INPUT_HANDLE);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
    Fail(kReadStandardInputAction, {}, ERROR_INVALID_HANDLE);
  }
  DWORD got = 0;
  if (!::ReadFile(handle, dst, static_cast<DWORD>(std::min(n, kLargestCall)), &got, nullptr)) {
    const DWORD error = ::GetLastError();
    // The writing end of a pipe closed: that is its end, not a failure.
    if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF) return 0;
    Fail(kReadStandardInputAction, {}, error);
  }
  return got;
}

}  // namespace file_layer

FileSystem& DefaultFileSystem() {
  static Win32FileSystem file_system;
  return file_system;
}

std::optional<FolderIdentity> IdentityOf(const std::filesystem::path& folder) {
  // FILE_FLAG_BACKUP_SEMANTICS opens a folder; no access is asked, only its
  // attributes.
  const Handle handle(::CreateFileW(folder.c_str(), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!handle.is_open()) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(handle.get(), &info)) return std::nullopt;
  return FolderIdentity(info.dwVolumeSerialNumber,
                        (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow);
}

bool Missing(const std::filesystem::path& path) {
  if (::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return false;
  const DWORD error = ::GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// Windows' heap gives no safe way to hand pages back or ask for large ones.
std::uintptr_t PageSize() { return 4096; }

void ReleasePages(std::uintptr_t, std::size_t) {}

void PreferLargePages(const void*, std::size_t) {}

}  // namespace holvane
