// SPDX-License-Identifier: MIT
#include "main_window/paths.h"

#include <QDir>
#include <QFile>
#include <string>
#include <system_error>

#include "text/names.h"

namespace holvane::ui {

// The conversions between a path and Qt's texts, the one place where the
// window's code differs between Windows (UTF-16 names) and Linux (byte names).
#ifdef _WIN32

QString ShownText(const std::filesystem::path& path) {
  return QString::fromStdWString(path.native());
}

std::filesystem::path PathFromQt(const QString& path) { return path.toStdWString(); }

#else

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

#endif

std::filesystem::path PathOfName(text::NativeNameView name) { return text::NativeName(name); }

std::filesystem::path AbsoluteFolder(const std::filesystem::path& path) {
  std::error_code ignored;
  std::filesystem::path clean = std::filesystem::absolute(path, ignored).lexically_normal();
  if (clean.has_filename()) return clean;
  // A trailing separator, or a root alone (which lexically_normal may leave
  // as "//").
  return clean.has_relative_path() ? clean.parent_path() : clean.root_path();
}

std::filesystem::path SystemRoot() { return AbsoluteFolder(PathFromQt(QDir::rootPath())); }

std::filesystem::path RootOf(const std::filesystem::path& folder) {
  return folder.has_root_path() ? folder.root_path() : SystemRoot();
}

}  // namespace holvane::ui
