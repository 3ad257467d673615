// SPDX-License-Identifier: MIT
#include <stdlib.h>
#include <unistd.h>

#include <stdexcept>
#include <string>

#include "tests/test_kit_system.h"

namespace holvane::testing {

long ProcessId() { return static_cast<long>(::getpid()); }

std::filesystem::path NewFolder(const std::filesystem::path& base, std::string_view prefix) {
  std::string pattern = (base / (std::string(prefix) + "-XXXXXX")).string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  return pattern;
}

}  // namespace holvane::testing
