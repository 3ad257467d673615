// SPDX-License-Identifier: MIT
#ifndef HOLVANE_MAIN_WINDOW_PATHS_H_
#define HOLVANE_MAIN_WINDOW_PATHS_H_

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <cstring>
#include <filesystem>
#include <string_view>

#include "listing/listing.h"

namespace holvane::ui {

// The window keeps every folder and file name as the file system names it
// (std::filesystem::path: the bytes on Linux, UTF-16 on Windows) and opens it
// by that; a QString only ever holds what is shown, since a Linux name that
// is not UTF-8 would not survive the trip through one. What differs between
// the two is kept to the conversions below.

// The text the lists show for `path`. On Linux each of its parts as
// text::ShownName shows a name; on Windows its UTF-16 as it is.
QString ShownText(const std::filesystem::path& path);

// A path Qt gives (QStorageInfo::rootPath(), QDir::rootPath()) as the file
// system names it: on Linux QFile::encodeName's bytes, exact for every name
// Qt can give back (it decodes a Linux name as UTF-8, so one that is not is
// already lost in the QString); on Windows its UTF-16.
std::filesystem::path PathFromQt(const QString& path);

// A name from a listing::Entry as a path: the listing gives it as the
// system holds it (bytes on Linux, UTF-16 on Windows), so it opens exactly
// the entry listed.
std::filesystem::path PathOfName(text::NativeNameView name);

// `path` made absolute, with "." and ".." and doubled and trailing
// separators removed; symbolic links are kept, not resolved. A root ("/",
// "C:\") keeps its separator.
std::filesystem::path AbsoluteFolder(const std::filesystem::path& path);

// The root of the system's own drive ("/" on Linux, "C:\" on Windows
// usually): where the window goes when it can go nowhere else.
std::filesystem::path SystemRoot();

// The root of the absolute folder `folder` ("/", or its drive's root on
// Windows), or SystemRoot() when it has none.
std::filesystem::path RootOf(const std::filesystem::path& folder);

// A path as an item's data, and back, exactly: the code units of its native
// form (bytes on Linux, UTF-16 on Windows).
inline QVariant ItemData(const std::filesystem::path& path) {
  const text::NativeName& native = path.native();
  return QByteArray(reinterpret_cast<const char*>(native.data()),
                    static_cast<qsizetype>(native.size() * sizeof(native[0])));
}
inline std::filesystem::path PathOf(const QVariant& data) {
  const QByteArray bytes = data.toByteArray();
  text::NativeName native;
  native.resize(static_cast<std::size_t>(bytes.size()) / sizeof(native[0]));
  if (!native.empty())
    std::memcpy(native.data(), bytes.constData(), native.size() * sizeof(native[0]));
  return native;
}

}  // namespace holvane::ui

#endif  // HOLVANE_MAIN_WINDOW_PATHS_H_
