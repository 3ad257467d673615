// SPDX-License-Identifier: MIT
#ifndef HOLVANE_MAIN_WINDOW_QT_PATHS_H_
#define HOLVANE_MAIN_WINDOW_QT_PATHS_H_

#include <QString>
#include <filesystem>

namespace holvane::ui {

// A path Qt gives (QStorageInfo::rootPath()) as the file system names it: on
// Linux QFile::encodeName's bytes, exact for every name Qt can give back (it
// decodes a Linux name as UTF-8, so one that is not is already lost in the
// QString); on Windows its UTF-16.
std::filesystem::path PathFromQt(const QString& path);

}  // namespace holvane::ui

#endif  // HOLVANE_MAIN_WINDOW_QT_PATHS_H_
