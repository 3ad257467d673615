// SPDX-License-Identifier: MIT
// The conversions between a path and Qt's texts on Windows, whose names are
// UTF-16 as Qt's texts are.
#include "main_window/paths.h"

namespace holvane::ui {

QString ShownText(const std::filesystem::path& path) {
  return QString::fromStdWString(path.native());
}

std::filesystem::path PathFromQt(const QString& path) { return path.toStdWString(); }

}  // namespace holvane::ui
