// SPDX-License-Identifier: MIT
#include "common/run_time_error.h"

#include <utility>

#include "common/translation.h"

namespace holvane {

namespace {

std::string Describe(const std::string& cause, std::optional<std::int64_t> offset) {
  if (!offset) return cause;
  return Filled(Tr("{} (offset {})"), {cause, std::to_string(*offset)});
}

}  // namespace

RunTimeError::RunTimeError(ErrorNumber number, const std::string& cause,
                           std::optional<std::int64_t> offset, std::filesystem::path file)
    : std::runtime_error(Describe(cause, offset)),
      number_(number),
      cause_(cause),
      offset_(offset),
      file_(std::move(file)) {}

}  // namespace holvane
