// SPDX-License-Identifier: MIT
// The conversions between a path and Qt's texts on Linux, whose names are
// bytes: shown by text::ShownName, given back by Qt's own file-name encoding.
#include <QFile>
#include <string>
#include <string_view>

#include "main_window/paths.h"
#include "text/names.h"

namespace holvane::ui {

QString ShownText(const std::filesystem::path& path) {
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
  return QString::fromStdString(shown);
}

std::filesystem::path PathFromQt(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

}  // namespace holvane::ui
