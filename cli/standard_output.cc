// SPDX-License-Identifier: MIT
#include "cli/standard_output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "cli/console.h"
#include "cli/program.h"
#include "cli/report.h"

namespace holvane::cli {

int StatusOnceWritten(int status) {
  if (status == kReaderGoneStatus) return status;
  const int error = StandardOutputError();
  if (error == 0) return status;
  if (error == EPIPE) return kReaderGoneStatus;
  Report("ошибка записи в стандартный вывод: " +
         std::string(error == ENOSPC ? "нет места на устройстве" : std::strerror(error)));
  return 1;
}

}  // namespace holvane::cli
