// SPDX-License-Identifier: MIT
#include "main_window/paths.h"

#include <system_error>

namespace holvane::ui {

std::filesystem::path PathOfName(text::NativeNameView name) { return text::NativeName(name); }

std::filesystem::path AbsoluteFolder(const std::filesystem::path& path) {
  std::error_code ignored;
  std::filesystem::path clean = std::filesystem::absolute(path, ignored).lexically_normal();
  if (clean.has_filename()) return clean;
  // A trailing separator, or a root alone (which lexically_normal may leave
  // as "//").
  return clean.has_relative_path() ? clean.parent_path() : clean.root_path();
}

std::filesystem::path RootOf(const std::filesystem::path& folder) {
  return folder.has_root_path() ? folder.root_path() : SystemRoot();
}

std::filesystem::path CurrentFolder() {
  std::error_code error;
  std::filesystem::path folder = std::filesystem::current_path(error);
  return error ? SystemRoot() : folder;
}

}  // namespace holvane::ui
