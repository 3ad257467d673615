// SPDX-License-Identifier: MIT
// What differs on Linux: which system this is, a path's shown text (names are
// bytes, shown by text::ShownName) and the system's root, the one "/".
#include <string>
#include <string_view>

#include "main_window/paths.h"
#include "text/names.h"

namespace holvane::ui {

const Platform kThisPlatform = Platform::kLinux;

std::string ShownText(const std::filesystem::path& path) {
  // '/' is the only separator, and any other byte belongs to a name.
  const std::string_view bytes = path.native();
  std::string shown;
  shown.reserve(bytes.size());
  for (std::size_t start = 0;;) {
    const std::size_t slash = bytes.find('/', start);
    shown += text::ShownName(bytes.substr(start, slash - start));
    if (slash == std::string_view::npos) break;
    shown += '/';
    start = slash + 1;
  }
  return shown;
}

std::filesystem::path SystemRoot() { return "/"; }

}  // namespace holvane::ui
