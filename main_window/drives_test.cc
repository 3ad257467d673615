// SPDX-License-Identifier: MIT
#include "main_window/drives.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace holvane::ui {
namespace {

using Drives = std::vector<std::string>;

MountEntry Mount(std::string mount_point, std::string type) {
  return {"/dev/sdz1", std::move(mount_point), std::move(type)};
}

TEST(DrivesParseMountTable, ReadsTheFirstThreeFieldsAndUndoesEscapes) {
  const std::vector<MountEntry> mounts = ParseMountTable(
      "/dev/sda1 / ext4 rw,relatime 0 0\n"
      "/dev/sdb1 /media/user/My\\040Disk vfat rw 0 0\n"
      "//srv/share\\040x /mnt/a\\011b\\012c\\134d cifs rw 0 0\n"
      "/dev/sdc1 /mnt/trailing\\040 ext4 rw 0 0\n"
      "proc /proc proc rw,nosuid 0 0");
  ASSERT_EQ(mounts.size(), 5u);
  EXPECT_EQ(mounts[0].device, "/dev/sda1");
  EXPECT_EQ(mounts[0].mount_point, "/");
  EXPECT_EQ(mounts[0].type, "ext4");
  EXPECT_EQ(mounts[1].mount_point, "/media/user/My Disk");
  EXPECT_EQ(mounts[1].type, "vfat");
  EXPECT_EQ(mounts[2].device, "//srv/share x");
  EXPECT_EQ(mounts[2].mount_point, "/mnt/a\tb\nc\\d");
  EXPECT_EQ(mounts[3].mount_point, "/mnt/trailing ");
  // The last line has no newline after it and still counts.
  EXPECT_EQ(mounts[4].mount_point, "/proc");
  EXPECT_EQ(mounts[4].type, "proc");
}

TEST(DrivesParseMountTable, SkipsLinesWithTooFewFieldsAndKeepsIncompleteEscapes) {
  const std::vector<MountEntry> mounts = ParseMountTable(
      "\n"
      "garbage\n"
      "dev /only-two\n"
      "/dev/sdc1 /mnt/tail\\04 ext4 rw 0 0\n"
      "/dev/sdc2 /mnt/not\\999octal ext4 rw 0 0\n");
  ASSERT_EQ(mounts.size(), 2u);
  EXPECT_EQ(mounts[0].mount_point, "/mnt/tail\\04");
  EXPECT_EQ(mounts[1].mount_point, "/mnt/not\\999octal");
}

struct SelectCase {
  const char* name;
  MountEntry mount;
  bool is_drive;
};

void PrintTo(const SelectCase& c, std::ostream* out) { *out << c.name; }

class DrivesSelectOne : public ::testing::TestWithParam<SelectCase> {};

// Each mount alone next to the root: the root is always there, and the mount
// is listed after it or not at all.
TEST_P(DrivesSelectOne, ListsOnlyDisksMediaAndShares) {
  const SelectCase& c = GetParam();
  const Drives drives = SelectDrives({Mount("/", "ext4"), c.mount});
  const Drives expected = c.is_drive ? Drives{"/", c.mount.mount_point} : Drives{"/"};
  EXPECT_EQ(drives, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DrivesSelectOne,
    ::testing::Values(
        SelectCase{"Home", Mount("/home", "ext4"), true},
        SelectCase{"DataDisk", Mount("/mnt/data", "ext4"), true},
        SelectCase{"UsbUnderMedia", Mount("/media/user/USB", "vfat"), true},
        SelectCase{"StickUnderRunMedia", Mount("/run/media/user/STICK", "vfat"), true},
        SelectCase{"NetworkShare", Mount("/mnt/share", "nfs4"), true},
        SelectCase{"Proc", {"proc", "/proc", "proc"}, false},
        SelectCase{"Sysfs", {"sysfs", "/sys", "sysfs"}, false},
        SelectCase{"TmpfsTmp", {"tmpfs", "/tmp", "tmpfs"}, false},
        SelectCase{"Devtmpfs", {"udev", "/dev", "devtmpfs"}, false},
        SelectCase{"Cgroup", {"cgroup2", "/sys/fs/cgroup", "cgroup2"}, false},
        SelectCase{"CgroupElsewhere", {"cgroup", "/mnt/cgroup", "cgroup"}, false},
        SelectCase{"OverlayElsewhere", {"overlay", "/mnt/merged", "overlay"}, false},
        SelectCase{"SnapImage", {"/dev/loop3", "/snap/x", "squashfs"}, false},
        SelectCase{"Ext4LoopUnderSnap", {"/dev/loop4", "/snap/y/1", "ext4"}, false},
        SelectCase{"Ext4UnderProc", Mount("/proc/fs/x", "ext4"), false},
        SelectCase{"Ext4UnderSys", Mount("/sys/x", "ext4"), false},
        SelectCase{"Ext4UnderDev", Mount("/dev/x", "ext4"), false},
        SelectCase{"Ext4UnderRun", Mount("/run/x", "ext4"), false},
        SelectCase{"VfatUnderRunUser", Mount("/run/user/1000/x", "vfat"), false},
        SelectCase{"Docker", Mount("/var/lib/docker", "ext4"), false},
        SelectCase{
            "DockerLayer", {"overlay", "/var/lib/docker/overlay2/a/merged", "overlay"}, false},
        // Names that merely begin like a system folder are ordinary folders.
        SelectCase{"Devices", Mount("/devices", "ext4"), true},
        SelectCase{"RunMediaLookalike", Mount("/run/mediax", "vfat"), false},
        SelectCase{"RelativeMountPoint", Mount("none", "ext4"), false}),
    [](const ::testing::TestParamInfo<SelectCase>& info) { return info.param.name; });

TEST(DrivesSelect, RootComesFirstWhateverItsTypeThenTheRestByNameEachOnce) {
  const Drives drives = SelectDrives({
      Mount("/mnt/zeta", "ext4"),
      {"proc", "/proc", "proc"},
      Mount("/home", "btrfs"),
      {"overlay", "/", "overlay"},
      Mount("/media/user/USB", "vfat"),
      Mount("/home", "btrfs"),
      Mount("/mnt/alpha", "xfs"),
      Mount("/", "ext4"),
  });
  EXPECT_EQ(drives, (Drives{"/", "/home", "/media/user/USB", "/mnt/alpha", "/mnt/zeta"}));
}

TEST(DrivesSelect, RootIsListedEvenWhenTheTableLacksIt) {
  EXPECT_EQ(SelectDrives({}), Drives{"/"});
  EXPECT_EQ(SelectDrives({Mount("/home", "ext4")}), (Drives{"/", "/home"}));
}

TEST(DrivesSelect, ParsedTableWithEscapedSpaces) {
  const Drives drives =
      SelectDrives(ParseMountTable("overlay / overlay rw 0 0\n"
                                   "/dev/sdb1 /media/user/My\\040Disk vfat rw 0 0\n"
                                   "tmpfs /dev/shm tmpfs rw 0 0\n"));
  EXPECT_EQ(drives, (Drives{"/", "/media/user/My Disk"}));
}

struct DriveOfCase {
  const char* path;
  const char* drive;
};

void PrintTo(const DriveOfCase& c, std::ostream* out) { *out << c.path; }

class DrivesDriveOf : public ::testing::TestWithParam<DriveOfCase> {};

TEST_P(DrivesDriveOf, LongestMountPointThatHoldsThePath) {
  // Neither the first nor the last match in list order is always the longest.
  const Drives drives = {"/home/user/data", "/",           "/media/usb",
                         "/home",           "/media/usb2", "/media/usb/inner"};
  EXPECT_EQ(DriveOf(GetParam().path, drives), GetParam().drive) << GetParam().path;
}

INSTANTIATE_TEST_SUITE_P(Table, DrivesDriveOf,
                         ::testing::Values(DriveOfCase{"/", "/"}, DriveOfCase{"/etc/x", "/"},
                                           DriveOfCase{"/home", "/home"},
                                           DriveOfCase{"/home/user/a.wvl", "/home"},
                                           DriveOfCase{"/homework", "/"},
                                           DriveOfCase{"/media/usb", "/media/usb"},
                                           DriveOfCase{"/media/usb/", "/media/usb"},
                                           DriveOfCase{"/media/usb/x", "/media/usb"},
                                           DriveOfCase{"/media/usb2", "/media/usb2"},
                                           DriveOfCase{"/media/usb2/x", "/media/usb2"},
                                           DriveOfCase{"/media/usb3/x", "/"},
                                           DriveOfCase{"/media/usb/inner/y", "/media/usb/inner"},
                                           DriveOfCase{"/media/usb/innerx", "/media/usb"},
                                           DriveOfCase{"/home/user/data/x", "/home/user/data"},
                                           DriveOfCase{"/home/user/database", "/home"}));

TEST(DrivesDriveOfFallback, RootWhenNoDriveHoldsThePath) {
  EXPECT_EQ(DriveOf("/media/usb2/x", {"/media/usb"}), "/");
  EXPECT_EQ(DriveOf("/anything", {}), "/");
}

}  // namespace
}  // namespace holvane::ui
