// SPDX-License-Identifier: MIT
#ifndef HOLVANE_COMMON_FILE_SYSTEM_DETAIL_H_
#define HOLVANE_COMMON_FILE_SYSTEM_DETAIL_H_

// What the file layer's shared part (file_system.cc) and its system parts
// (file_system_posix.cc, file_system_win32.cc) share: the words its failures
// are told in, so that a failure reads the same whichever system it happened
// on, and the one way they are thrown. Only those three include this.

#include <cstddef>
#include <filesystem>
#include <string_view>

#include "common/run_time_error.h"
#include "common/translation.h"

namespace holvane::file_layer {

// Words marked for the catalogues and translated where they are put into a
// cause (ThrowSystemError, Refuse, or Tr where a meaning is made).
using Words = const char*;

inline constexpr Words kOpenAction = TrNoop("cannot open");
inline constexpr Words kReadAction = TrNoop("cannot read");
inline constexpr Words kCreateAction = TrNoop("cannot create");
inline constexpr Words kWriteAction = TrNoop("cannot write");
inline constexpr Words kCloseAction = TrNoop("cannot close");
inline constexpr Words kRemoveAction = TrNoop("cannot remove");
inline constexpr Words kRenameAction = TrNoop("cannot rename to");
inline constexpr Words kSyncAction = TrNoop("cannot flush to disk");
inline constexpr Words kLockAction = TrNoop("cannot lock");
inline constexpr Words kListAction = TrNoop("cannot read the folder");
inline constexpr Words kPermissionsAction = TrNoop("cannot set the permissions");
inline constexpr Words kWriteStandardOutputAction = TrNoop("cannot write to standard output");
inline constexpr Words kReadStandardInputAction = TrNoop("cannot read standard input");

// Why a file is refused, whether the system said so or the layer found it.
inline constexpr Words kClosedFile = TrNoop("the file is closed already");
inline constexpr Words kNotRegularFile = TrNoop("not a regular file");
inline constexpr Words kFolder = TrNoop("a folder, not a file");
inline constexpr Words kSymbolicLink = TrNoop("a symbolic link");
inline constexpr Words kAlreadyExists = TrNoop("a file of that name exists already");
inline constexpr Words kOtherHardLinks =
    TrNoop("the file has other hard links, which overwriting it would change too");

// What a system's error code means to the program: its number, and its cause
// in words (SystemErrorWords, or a system's own), empty where it has none.
struct SystemErrorMeaning {
  ErrorNumber number;
  std::string_view words;
};

// Throws RunTimeError for `action` on `path` (empty: no file concerned)
// failed with the system's `code`: the cause is the action and the meaning's
// words, or, where it has none, the code and the system's own description.
[[noreturn]] void ThrowSystemError(Words action, const std::filesystem::path& path,
                                   SystemErrorMeaning meaning, long code,
                                   std::string_view system_text);

// Throws RunTimeError (75, path/file access) for `action` on `path` refused
// for the reason `why`.
[[noreturn]] void Refuse(Words action, const std::filesystem::path& path, Words why);

// Reads some bytes of standard input into `dst`, at most `n`; 0 only at its
// end. Throws as ReadStandardInput does. Each system has its own.
std::size_t ReadStandardInputSome(char* dst, std::size_t n);

}  // namespace holvane::file_layer

#endif  // HOLVANE_COMMON_FILE_SYSTEM_DETAIL_H_
