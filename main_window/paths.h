#ifndef HOLVANE_MAIN_WINDOW_PATHS_H_
#define HOLVANE_MAIN_WINDOW_PATHS_H_

#include <QFile>
#include <QString>
#include <filesystem>

namespace holvane::ui {

// Qt's text of a file name and the core's path name the same bytes on disk:
// both ways go through Qt's own file name encoding, never through a text
// conversion that could lose Cyrillic or other letters.
inline std::filesystem::path ToPath(const QString& name) {
  return std::filesystem::path(QFile::encodeName(name).toStdString());
}

inline QString FromPath(const std::filesystem::path& path) {
  return QFile::decodeName(QByteArray::fromStdString(path.native()));
}

}  // namespace holvane::ui

#endif  // HOLVANE_MAIN_WINDOW_PATHS_H_
