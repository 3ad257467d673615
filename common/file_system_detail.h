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

namespace holvane::file_layer {

inline constexpr std::string_view kOpenAction = "не удаётся открыть";
inline constexpr std::string_view kReadAction = "не удаётся прочитать";
inline constexpr std::string_view kCreateAction = "не удаётся создать";
inline constexpr std::string_view kWriteAction = "не удаётся записать";
inline constexpr std::string_view kCloseAction = "не удаётся закрыть";
inline constexpr std::string_view kRemoveAction = "не удаётся удалить";
inline constexpr std::string_view kRenameAction = "не удаётся переименовать в";
inline constexpr std::string_view kSyncAction = "не удаётся сбросить на диск";
inline constexpr std::string_view kLockAction = "не удаётся заблокировать";
inline constexpr std::string_view kListAction = "не удаётся прочитать папку";
inline constexpr std::string_view kPermissionsAction = "не удаётся задать права доступа";
inline constexpr std::string_view kWriteStandardOutputAction =
    "не удаётся записать в стандартный вывод";
inline constexpr std::string_view kReadStandardInputAction =
    "не удаётся прочитать стандартный ввод";

// Why a file is refused, whether the system said so or the layer found it.
inline constexpr std::string_view kClosedFile = "файл уже закрыт";
inline constexpr std::string_view kNotRegularFile = "это не обычный файл";
inline constexpr std::string_view kFolder = "это папка, а не файл";
inline constexpr std::string_view kSymbolicLink = "это символическая ссылка";
inline constexpr std::string_view kAlreadyExists = "файл с таким именем уже есть";
inline constexpr std::string_view kOtherHardLinks =
    "у файла есть другие жёсткие ссылки, перезапись изменила бы и их";

// What a system's error code means to the program: its number, and its cause
// in words (SystemErrorWords, or a system's own), empty where it has none.
struct SystemErrorMeaning {
  ErrorNumber number;
  std::string_view words;
};

// Throws RunTimeError for `action` on `path` (empty: no file concerned)
// failed with the system's `code`: the cause is the action and the meaning's
// words, or, where it has none, the code and the system's own description.
[[noreturn]] void ThrowSystemError(std::string_view action, const std::filesystem::path& path,
                                   SystemErrorMeaning meaning, long code,
                                   std::string_view system_text);

// Throws RunTimeError (75, path/file access) for `action` on `path` refused
// for the reason `why`.
[[noreturn]] void Refuse(std::string_view action, const std::filesystem::path& path,
                         std::string_view why);

// Reads some bytes of standard input into `dst`, at most `n`; 0 only at its
// end. Throws as ReadStandardInput does. Each system has its own.
std::size_t ReadStandardInputSome(char* dst, std::size_t n);

}  // namespace holvane::file_layer

#endif  // HOLVANE_COMMON_FILE_SYSTEM_DETAIL_H_
