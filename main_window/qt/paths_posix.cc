// SPDX-License-Identifier: MIT
// A path from Qt on Linux, whose names are bytes: Qt's own file-name encoding.
#include <QFile>

#include "main_window/qt/paths.h"

namespace holvane::ui {

std::filesystem::path PathFromQt(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

}  // namespace holvane::ui
