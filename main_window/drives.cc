// SPDX-License-Identifier: MIT
#include "main_window/drives.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

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

std::string Unescape(std::string_view field) {
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' && field[i + 1] <= '3' &&
        field[i + 2] >= '0' && field[i + 2] <= '7' && field[i + 3] >= '0' && field[i + 3] <= '7') {
      out.push_back(static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                      (field[i + 3] - '0')));
      i += 3;
    } else {
      out.push_back(field[i]);
    }
  }
  return out;
}

bool IsDrive(const MountEntry& mount) {
  if (mount.mount_point == "/") return true;
  if (!mount.mount_point.starts_with('/')) return false;
  if (std::find(std::begin(kDriveTypes), std::end(kDriveTypes), mount.type) ==
      std::end(kDriveTypes)) {
    return false;
  }
  if (IsUnder(mount.mount_point, "/run/media")) return true;
  return std::none_of(std::begin(kSystemPrefixes), std::end(kSystemPrefixes),
                      [&](std::string_view prefix) { return IsUnder(mount.mount_point, prefix); });
}

}  // namespace

std::vector<MountEntry> ParseMountTable(std::string_view text) {
  std::vector<MountEntry> mounts;
  std::istringstream lines{std::string(text)};
  for (std::string line; std::getline(lines, line);) {
    std::istringstream fields(line);
    std::string device, mount_point, type;
    if (!(fields >> device >> mount_point >> type)) continue;
    mounts.push_back({Unescape(device), Unescape(mount_point), Unescape(type)});
  }
  return mounts;
}

std::vector<std::string> SelectDrives(const std::vector<MountEntry>& mounts) {
  std::vector<std::string> drives{"/"};
  for (const MountEntry& mount : mounts) {
    if (mount.mount_point != "/" && IsDrive(mount)) drives.push_back(mount.mount_point);
  }
  std::sort(drives.begin() + 1, drives.end());
  drives.erase(std::unique(drives.begin(), drives.end()), drives.end());
  return drives;
}

std::vector<std::string> MountedDrives() {
  std::ifstream table("/proc/self/mounts");
  const std::string text{std::istreambuf_iterator<char>(table), std::istreambuf_iterator<char>()};
  return SelectDrives(ParseMountTable(text));
}

std::string DriveOf(std::string_view path, const std::vector<std::string>& drives) {
  std::string best = "/";
  for (const std::string& drive : drives) {
    if (IsUnder(path, drive) && drive.size() > best.size()) best = drive;
  }
  return best;
}

}  // namespace holvane::ui
