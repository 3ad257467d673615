// SPDX-License-Identifier: MIT
#ifndef HOLVANE_COMMON_RUN_TIME_ERROR_H_
#define HOLVANE_COMMON_RUN_TIME_ERROR_H_

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

namespace holvane {

// The run-time error numbers the program reports. They follow the classic
// BASIC run-time numbering, so a number means the same thing wherever it is
// shown: in a wrapper result code or in a failed conversion.
enum class ErrorNumber : std::int32_t {
  kInvalidArgument = 5,
  kOverflow = 6,
  kOutOfMemory = 7,
  kSubscriptOutOfRange = 9,
  // The zlib binding could not be reached (the classic "error in loading
  // DLL"). Our binding is linked in, so only a substituted binding raises it.
  kBindingUnavailable = 48,
  kFileNotFound = 53,
  kDeviceIo = 57,
  kDiskFull = 61,
  // A name that is to be given to a file is another's already.
  kFileAlreadyExists = 58,
  kInputPastEndOfFile = 62,
  kPermissionDenied = 70,
  kPathFileAccess = 75,
  kPathNotFound = 76,
  // A file whose content does not decompress: not a zlib stream, or a
  // damaged one.
  kInvalidFileFormat = 321,
};

// The one failure type of the core. It carries the run-time error number and
// a cause a person can read (in Russian, like every text the program shows),
// where the cause lies at a place in a byte stream, that byte offset (counted
// from 0), and where it concerns one file, that file.
//
// The cause never names the file: whoever shows the failure puts the name
// beside it, in the form that suits where it is shown.
class RunTimeError : public std::runtime_error {
 public:
  RunTimeError(ErrorNumber number, const std::string& cause,
               std::optional<std::int64_t> offset = std::nullopt, std::filesystem::path file = {});

  ErrorNumber number() const { return number_; }
  std::int32_t code() const { return static_cast<std::int32_t>(number_); }
  // The cause alone; what() adds the offset when there is one.
  const std::string& cause() const { return cause_; }
  std::optional<std::int64_t> offset() const { return offset_; }
  // The file the failure concerns, as it was opened; empty when no single
  // file is concerned (a fault inside a record stream, a failed compression).
  const std::filesystem::path& file() const { return file_; }

 private:
  ErrorNumber number_;
  std::string cause_;
  std::optional<std::int64_t> offset_;
  std::filesystem::path file_;
};

}  // namespace holvane

#endif  // HOLVANE_COMMON_RUN_TIME_ERROR_H_
