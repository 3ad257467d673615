// SPDX-License-Identifier: MIT
#ifndef HOLVANE_MAIN_WINDOW_PATHS_H_
#define HOLVANE_MAIN_WINDOW_PATHS_H_

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <filesystem>

namespace holvane::ui {

// The window keeps every folder and file name as the bytes it has on disk
// (std::filesystem::path) and opens it by them; a QString only ever holds
// what is shown, since a name that is not UTF-8 would not survive the trip
// through one.

// The text the lists show for `path`: each of its parts as
// listing::ShownName shows a name.
QString ShownText(const std::filesystem::path& path);

// `path` made absolute, with "." and ".." and doubled and trailing
// separators removed; symbolic links are kept, not resolved.
std::filesystem::path AbsoluteFolder(const std::filesystem::path& path);

// A path as an item's data, and back, byte for byte.
inline QVariant ItemData(const std::filesystem::path& path) {
  return QByteArray::fromStdString(path.native());
}
inline std::filesystem::path PathOf(const QVariant& data) {
  return std::filesystem::path(data.toByteArray().toStdString());
}

}  // namespace holvane::ui

#endif  // HOLVANE_MAIN_WINDOW_PATHS_H_
