// SPDX-License-Identifier: MIT
#include "cli/standard_output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "cli/program.h"
#include "cli/report.h"

namespace holvane::cli {

int StatusOnceWritten(int status) {
  if (status == kReaderGoneStatus) return status;
  if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return status;
  const int error = errno;
  if (error == EPIPE) return kReaderGoneStatus;
  Report("ошибка записи в стандартный вывод: " +
         std::string(error == ENOSPC ? "нет места на устройстве" : std::strerror(error)));
  return 1;
}

}  // namespace holvane::cli
