// SPDX-License-Identifier: MIT
#include "cli/standard_output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "cli/report.h"

namespace holvane::cli {

bool StandardOutputWritten() {
  if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return true;
  const int error = errno;
  const std::string cause = error == EPIPE ? "читающая сторона канала закрыта"
                            : error == ENOSPC ? "нет места на устройстве"
                                              : std::strerror(error);
  Report("ошибка записи в стандартный вывод: " + cause);
  return false;
}

}  // namespace holvane::cli
