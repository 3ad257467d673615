// SPDX-License-Identifier: MIT
#include "main_window/drives.h"

#include <QFile>
#include <QStorageInfo>
#include <algorithm>
#include <iterator>

namespace holvane::ui {

namespace {

// File systems that live on a disk, a removable medium or a network share.
constexpr std::string_view kDriveTypes[] = {
    "ext2",  "ext3",    "ext4",     "xfs",     "btrfs",   "vfat", "msdos", "exfat", "ntfs",
    "ntfs3", "fuseblk", "hfs",      "hfsplus", "iso9660", "udf",  "f2fs",  "jfs",   "reiserfs",
    "zfs",   "nilfs2",  "bcachefs", "nfs",     "nfs4",    "cifs", "smb3",
};

// Where the system keeps its own mounts; removable media under /run/media are
// the exception.
constexpr std::string_view kSystemPrefixes[] = {
    "/proc",         "/sys", "/dev", "/run", "/snap", "/var/lib/docker", "/var/lib/containers",
    "/var/lib/snapd"};

bool IsUnder(std::string_view path, std::string_view folder) {
  if (folder == "/") return path.starts_with('/');
  return path.starts_with(folder) && (path.size() == folder.size() || path[folder.size()] == '/');
}

// Every rule of SelectDrives but the root's.
bool IsDrive(const Volume& volume) {
  if (!volume.valid || !volume.ready) return false;
  if (!volume.root_path.starts_with('/')) return false;
  if (std::find(std::begin(kDriveTypes), std::end(kDriveTypes), volume.type) ==
      std::end(kDriveTypes)) {
    return false;
  }
  if (IsUnder(volume.root_path, "/run/media")) return true;
  return std::none_of(std::begin(kSystemPrefixes), std::end(kSystemPrefixes),
                      [&](std::string_view prefix) { return IsUnder(volume.root_path, prefix); });
}

}  // namespace

Volume DescribeVolume(const QStorageInfo& storage) {
  return {QFile::encodeName(storage.rootPath()).toStdString(),
          storage.fileSystemType().toStdString(), storage.isValid(), storage.isReady(),
          storage.isReadOnly()};
}

std::vector<std::string> SelectDrives(const std::vector<Volume>& volumes) {
  std::vector<std::string> drives{"/"};
  for (const Volume& volume : volumes) {
    if (volume.root_path != "/" && IsDrive(volume)) drives.push_back(volume.root_path);
  }
  std::sort(drives.begin() + 1, drives.end());
  drives.erase(std::unique(drives.begin(), drives.end()), drives.end());
  return drives;
}

std::vector<std::string> MountedDrives() {
  std::vector<Volume> volumes;
  for (const QStorageInfo& storage : QStorageInfo::mountedVolumes()) {
    volumes.push_back(DescribeVolume(storage));
  }
  return SelectDrives(volumes);
}

std::string DriveOf(std::string_view path, const std::vector<std::string>& drives) {
  std::string best = "/";
  for (const std::string& drive : drives) {
    if (IsUnder(path, drive) && drive.size() > best.size()) best = drive;
  }
  return best;
}

}  // namespace holvane::ui
