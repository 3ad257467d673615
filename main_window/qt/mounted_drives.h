// SPDX-License-Identifier: MIT
#ifndef HOLVANE_MAIN_WINDOW_QT_MOUNTED_DRIVES_H_
#define HOLVANE_MAIN_WINDOW_QT_MOUNTED_DRIVES_H_

#include <vector>

#include "main_window/drives.h"

class QStorageInfo;

namespace holvane::ui {

// `storage` as the drive list asks of it (rootPath(), fileSystemType(),
// isValid(), isReady(), isReadOnly()), its root path as PathFromQt gives it.
Volume DescribeVolume(const QStorageInfo& storage);

// SelectDrives over QStorageInfo::mountedVolumes().
std::vector<text::NativeName> MountedDrives();

}  // namespace holvane::ui

#endif  // HOLVANE_MAIN_WINDOW_QT_MOUNTED_DRIVES_H_
