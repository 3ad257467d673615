#include "compression/run_time_error.h"

namespace holvane {

namespace {

std::string Describe(const std::string& cause, std::optional<std::int64_t> offset) {
  if (!offset) return cause;
  return cause + " (смещение " + std::to_string(*offset) + ")";
}

}  // namespace

RunTimeError::RunTimeError(ErrorNumber number, const std::string& cause,
                           std::optional<std::int64_t> offset)
    : std::runtime_error(Describe(cause, offset)),
      number_(number),
      cause_(cause),
      offset_(offset) {}

}  // namespace holvane
