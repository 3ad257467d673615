// SPDX-License-Identifier: MIT
// A path from Qt on Windows, whose names are UTF-16 as Qt's texts are.
#include "main_window/qt/paths.h"

namespace holvane::ui {

std::filesystem::path PathFromQt(const QString& path) { return path.toStdWString(); }

}  // namespace holvane::ui
