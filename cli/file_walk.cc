#include "cli/file_walk.h"

#include <QDir>
#include <QFileInfo>

#include "compression/run_time_error.h"
#include "main_window/folders.h"
#include "main_window/paths.h"

namespace holvane::cli {

namespace {

void AddFolder(const QString& folder, bool recursive, std::vector<std::filesystem::path>& files,
               std::vector<UnlistedFolder>& unlisted) {
  const QDir dir(folder);
  QStringList subfolders;
  try {
    for (const QString& name :
         ui::ListMatchingFiles(folder, QString::fromLatin1(ui::kFilePattern))) {
      files.push_back(ui::ToPath(dir.filePath(name)));
    }
    if (!recursive) return;
    subfolders = ui::ListSubfolders(folder);
  } catch (const RunTimeError& error) {
    unlisted.push_back({ui::ToPath(folder), error.what()});
    return;
  }
  for (const QString& name : subfolders) {
    const QString subfolder = dir.filePath(name);
    if (QFileInfo(subfolder).isSymLink()) continue;
    AddFolder(subfolder, recursive, files, unlisted);
  }
}

}  // namespace

std::vector<std::filesystem::path> FilesToConvert(const std::filesystem::path& path, bool recursive,
                                                  std::vector<UnlistedFolder>& unlisted) {
  std::error_code error;
  if (!std::filesystem::is_directory(path, error)) return {path};
  std::vector<std::filesystem::path> files;
  AddFolder(ui::FromPath(path), recursive, files, unlisted);
  return files;
}

}  // namespace holvane::cli
