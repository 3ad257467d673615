// SPDX-License-Identifier: MIT
#ifndef HOLVANE_MAIN_WINDOW_WIN32_LOGICAL_DRIVES_H_
#define HOLVANE_MAIN_WINDOW_WIN32_LOGICAL_DRIVES_H_

#include <vector>

#include "main_window/drives.h"

namespace holvane::ui {

// SelectDrives over the drive letters GetLogicalDriveStringsW gives, each
// ready when its volume answers GetVolumeInformationW (an empty CD drive does
// not, and asks no one to insert a disk).
std::vector<text::NativeName> LogicalDrives();

}  // namespace holvane::ui

#endif  // HOLVANE_MAIN_WINDOW_WIN32_LOGICAL_DRIVES_H_
