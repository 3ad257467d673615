// SPDX-License-Identifier: MIT
#include <windows.h>

#include <cstdint>
#include <random>
#include <stdexcept>
#include <string>

#include "tests/test_kit_system.h"

namespace holvane::testing {

long ProcessId() { return static_cast<long>(::GetCurrentProcessId()); }

std::filesystem::path NewFolder(const std::filesystem::path& base, std::string_view prefix) {
  // No mkdtemp: a random name, tried until one is new. CreateDirectoryW
  // fails on a name that exists, so no two folders are ever shared.
  std::random_device seed;
  std::mt19937_64 random((static_cast<std::uint64_t>(seed()) << 32) ^ seed() ^
                         static_cast<std::uint64_t>(::GetTickCount64()));
  for (int attempt = 0;; ++attempt) {
    std::filesystem::path candidate = base;
    candidate /= std::string(prefix) + "-" + std::to_string(random() % 1000000000000u);
    if (::CreateDirectoryW(candidate.c_str(), nullptr)) {
      return candidate;
    }
    if (::GetLastError() != ERROR_ALREADY_EXISTS || attempt == 100) {
      throw std::runtime_error("cannot make a temporary folder");
    }
  }
}

}  // namespace holvane::testing
