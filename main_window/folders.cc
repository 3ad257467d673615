#include "main_window/folders.h"

#include <dirent.h>

#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <algorithm>
#include <cerrno>
#include <string>

#include "compression/run_time_error.h"
#include "main_window/paths.h"

namespace holvane::ui {

namespace {

void CheckReadable(const QString& folder) {
  const std::filesystem::path path = ToPath(folder);
  if (DIR* dir = ::opendir(path.c_str())) {
    ::closedir(dir);
    return;
  }
  const int error = errno;
  const std::string name = path.string();
  if (error == ENOENT || error == ENOTDIR) {
    throw RunTimeError(ErrorNumber::kPathNotFound, "папка «" + name + "» не найдена");
  }
  if (error == EACCES || error == EPERM) {
    throw RunTimeError(ErrorNumber::kPermissionDenied, "нет доступа к папке «" + name + "»");
  }
  throw RunTimeError(ErrorNumber::kPathFileAccess, "не удаётся прочитать папку «" + name + "»");
}

}  // namespace

QStringList ListSubfolders(const QString& folder) {
  CheckReadable(folder);
  QStringList names = QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::NoSort);
  // The C locale's collation (LANG unset or C, as in many shells and
  // services) compares code points and ignores numeric mode.
  QLocale locale;
  if (locale.language() == QLocale::C) locale = QLocale(QLocale::English);
  QCollator collator(locale);
  collator.setCaseSensitivity(Qt::CaseInsensitive);
  collator.setNumericMode(true);
  std::sort(names.begin(), names.end(), collator);
  return names;
}

QStringList ListMatchingFiles(const QString& folder, const QString& pattern) {
  CheckReadable(folder);
  QDir dir(folder);
  dir.setNameFilters({pattern});
  // Without QDir::CaseSensitive the name filters ignore letter case.
  return dir.entryList(QDir::Files, QDir::Name | QDir::IgnoreCase);
}

QString AbsoluteFolder(const QString& path) {
  return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

}  // namespace holvane::ui
