// SPDX-License-Identifier: MIT
#include "main_window/qt/mounted_drives.h"

#include <QStorageInfo>

#include "main_window/qt/paths.h"

namespace holvane::ui {

Volume DescribeVolume(const QStorageInfo& storage) {
  return {PathFromQt(storage.rootPath()).native(), storage.fileSystemType().toStdString(),
          storage.isValid(), storage.isReady(), storage.isReadOnly()};
}

std::vector<text::NativeName> MountedDrives() {
  std::vector<Volume> volumes;
  for (const QStorageInfo& storage : QStorageInfo::mountedVolumes()) {
    volumes.push_back(DescribeVolume(storage));
  }
  return SelectDrives(volumes);
}

}  // namespace holvane::ui
