// SPDX-License-Identifier: MIT
#include "main_window/paths.h"

#include <string>
#include <string_view>
#include <system_error>

#include "listing/names.h"

namespace holvane::ui {

QString ShownText(const std::filesystem::path& path) {
  const std::string_view bytes = path.native();
  std::string shown;
  shown.reserve(bytes.size());
  for (std::size_t start = 0;;) {
    const std::size_t slash = bytes.find('/', start);
    shown += listing::ShownName(bytes.substr(start, slash - start));
    if (slash == std::string_view::npos) break;
    shown += '/';
    start = slash + 1;
  }
  return QString::fromStdString(shown);
}

std::filesystem::path AbsoluteFolder(const std::filesystem::path& path) {
  std::error_code ignored;
  std::string clean = std::filesystem::absolute(path, ignored).lexically_normal().native();
  while (clean.size() > 1 && clean.back() == '/') clean.pop_back();
  return clean;
}

}  // namespace holvane::ui
