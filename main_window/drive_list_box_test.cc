// SPDX-License-Identifier: MIT
#include "main_window/drive_list_box.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace holvane::ui {
namespace {

// The drives by their roots' bytes (one code unit each on Windows), so that
// the cases read the same on every system.
using Drives = std::vector<std::string>;

text::NativeName Native(std::string_view bytes) {
  text::NativeName native;
  for (const char byte : bytes) native.push_back(static_cast<unsigned char>(byte));
  return native;
}

std::string Bytes(const text::NativeName& native) {
  std::string bytes;
  for (const auto unit : native) bytes.push_back(static_cast<char>(unit));
  return bytes;
}

Drives Select(const std::vector<Volume>& volumes, Platform platform = Platform::kLinux) {
  Drives drives;
  for (const text::NativeName& drive : SelectDrives(volumes, platform)) {
    drives.push_back(Bytes(drive));
  }
  return drives;
}

// A ready volume holding a disk's file system, unless told otherwise.
Volume Disk(std::string_view root_path, std::string type = "ext4") {
  return {Native(root_path), std::move(type)};
}

Volume NotReady(Volume volume) {
  volume.ready = false;
  return volume;
}

Volume Invalid(Volume volume) {
  volume.valid = false;
  return volume;
}

Volume ReadOnly(Volume volume) {
  volume.read_only = true;
  return volume;
}

struct SelectCase {
  const char* name;
  Volume volume;
  bool is_drive;
};

void PrintTo(const SelectCase& c, std::ostream* out) { *out << c.name; }

class DrivesSelectOne : public ::testing::TestWithParam<SelectCase> {};

// Each volume alone next to the root: the root is always there, and the
// volume is listed after it or not at all.
TEST_P(DrivesSelectOne, ListsOnlyDisksMediaAndShares) {
  const SelectCase& c = GetParam();
  const Drives drives = Select({Disk("/"), c.volume});
  const Drives expected = c.is_drive ? Drives{"/", Bytes(c.volume.root_path)} : Drives{"/"};
  EXPECT_EQ(drives, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DrivesSelectOne,
    ::testing::Values(
        SelectCase{"Home", Disk("/home"), true}, SelectCase{"DataDisk", Disk("/mnt/data"), true},
        SelectCase{"UsbUnderMedia", Disk("/media/user/USB", "vfat"), true},
        SelectCase{"StickUnderRunMedia", Disk("/run/media/user/STICK", "vfat"), true},
        SelectCase{"NetworkShare", Disk("/mnt/share", "nfs4"), true},
        SelectCase{"ReadOnlyCd", ReadOnly(Disk("/media/user/CDROM", "iso9660")), true},
        SelectCase{"ReadOnlyDisk", ReadOnly(Disk("/mnt/data")), true},
        SelectCase{"NotReadyShare", NotReady(Disk("/mnt/share", "nfs4")), false},
        SelectCase{"NotReadyDisk", NotReady(Disk("/mnt/data")), false},
        SelectCase{"Invalid", Invalid(Disk("/mnt/data")), false},
        SelectCase{"InvalidWithoutRootPath", Invalid(Disk("", "")), false},
        SelectCase{"Proc", Disk("/proc", "proc"), false},
        SelectCase{"Sysfs", Disk("/sys", "sysfs"), false},
        SelectCase{"TmpfsTmp", Disk("/tmp", "tmpfs"), false},
        SelectCase{"Devtmpfs", Disk("/dev", "devtmpfs"), false},
        SelectCase{"Cgroup", Disk("/sys/fs/cgroup", "cgroup2"), false},
        SelectCase{"CgroupElsewhere", Disk("/mnt/cgroup", "cgroup"), false},
        SelectCase{"OverlayElsewhere", Disk("/mnt/merged", "overlay"), false},
        SelectCase{"SnapImage", ReadOnly(Disk("/snap/x", "squashfs")), false},
        SelectCase{"Ext4LoopUnderSnap", Disk("/snap/y/1"), false},
        SelectCase{"Ext4UnderProc", Disk("/proc/fs/x"), false},
        SelectCase{"Ext4UnderSys", Disk("/sys/x"), false},
        SelectCase{"Ext4UnderDev", Disk("/dev/x"), false},
        SelectCase{"Ext4UnderRun", Disk("/run/x"), false},
        SelectCase{"VfatUnderRunUser", Disk("/run/user/1000/x", "vfat"), false},
        SelectCase{"Docker", Disk("/var/lib/docker"), false},
        SelectCase{"DockerLayer", Disk("/var/lib/docker/overlay2/a/merged", "overlay"), false},
        SelectCase{"Containers", Disk("/var/lib/containers/storage"), false},
        SelectCase{"Snapd", Disk("/var/lib/snapd/x"), false},
        // Names that merely begin like a system folder are ordinary folders.
        SelectCase{"Devices", Disk("/devices"), true},
        SelectCase{"RunMediaLookalike", Disk("/run/mediax", "vfat"), false},
        SelectCase{"RelativeRootPath", Disk("none"), false},
        // Root paths are kept byte for byte: spaces, control characters,
        // backslashes, a trailing space, a name that is not UTF-8.
        SelectCase{"Space", Disk("/media/user/My Disk", "vfat"), true},
        SelectCase{"TabNewlineBackslash", Disk("/mnt/a\tb\nc\\d", "cifs"), true},
        SelectCase{"TrailingSpace", Disk("/mnt/trailing "), true},
        SelectCase{"NotUtf8", Disk("/media/\xCF\xE0\xEF\xEA\xE0", "vfat"), true}),
    [](const ::testing::TestParamInfo<SelectCase>& info) { return info.param.name; });

TEST(DrivesSelect, RootComesFirstWhateverItsTypeThenTheRestByNameEachOnce) {
  const Drives drives = Select({
      Disk("/mnt/zeta"),
      Disk("/proc", "proc"),
      Disk("/home", "btrfs"),
      Disk("/", "overlay"),
      Disk("/media/user/USB", "vfat"),
      Disk("/home", "btrfs"),
      Disk("/mnt/alpha", "xfs"),
      Disk("/"),
  });
  EXPECT_EQ(drives, (Drives{"/", "/home", "/media/user/USB", "/mnt/alpha", "/mnt/zeta"}));
}

TEST(DrivesSelect, RootIsListedEvenWhenTheVolumesLackIt) {
  EXPECT_EQ(Select({}), Drives{"/"});
  EXPECT_EQ(Select({Disk("/home")}), (Drives{"/", "/home"}));
}

TEST(DrivesSelect, RootIsListedEvenWhenItIsNotReady) {
  EXPECT_EQ(Select({Invalid(NotReady(Disk("/", "overlay"))), Disk("/home")}),
            (Drives{"/", "/home"}));
}

TEST(DrivesSelect, ContainerWithAStickAndSharedMemory) {
  const Drives drives = Select(
      {Disk("/", "overlay"), Disk("/media/user/My Disk", "vfat"), Disk("/dev/shm", "tmpfs")});
  EXPECT_EQ(drives, (Drives{"/", "/media/user/My Disk"}));
}

// Windows' volumes as Qt reports them, each alone: every ready one with a
// drive letter is a drive, listed by its root and named by its letter.
struct WindowsCase {
  const char* name;
  Volume volume;
  const char* drive;  // nullptr: not a drive
  const char* shown;
};

void PrintTo(const WindowsCase& c, std::ostream* out) { *out << c.name; }

class DrivesSelectWindows : public ::testing::TestWithParam<WindowsCase> {};

TEST_P(DrivesSelectWindows, EveryReadyLetterIsADrive) {
  const WindowsCase& c = GetParam();
  const Drives drives = Select({c.volume}, Platform::kWindows);
  if (c.drive == nullptr) {
    EXPECT_EQ(drives, Drives{});
    return;
  }
  EXPECT_EQ(drives, Drives{c.drive});
  EXPECT_EQ(Bytes(DriveName(Native(c.drive), Platform::kWindows)), c.shown);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DrivesSelectWindows,
    ::testing::Values(
        WindowsCase{"SystemDisk", Disk("C:/", "NTFS"), "C:\\", "C:"},
        WindowsCase{"ReadOnlyCd", ReadOnly(Disk("D:/", "CDFS")), "D:\\", "D:"},
        WindowsCase{"Stick", Disk("E:/", "FAT32"), "E:\\", "E:"},
        WindowsCase{"MappedShare", Disk("Z:/", "NTFS"), "Z:\\", "Z:"},
        WindowsCase{"LowerCaseBackslash", Disk("f:\\", "exFAT"), "F:\\", "F:"},
        WindowsCase{"NotReadyFloppy", NotReady(Disk("A:/", "FAT")), nullptr, nullptr},
        WindowsCase{"Invalid", Invalid(Disk("G:/", "NTFS")), nullptr, nullptr},
        WindowsCase{"MountedInAFolder", Disk("C:/mnt/data/", "NTFS"), nullptr, nullptr},
        WindowsCase{"VolumeName", Disk("\\\\?\\Volume{0b1c}\\", "NTFS"), nullptr, nullptr},
        WindowsCase{"NotALetter", Disk("1:/", "NTFS"), nullptr, nullptr},
        WindowsCase{"LinuxRoot", Disk("/"), nullptr, nullptr}),
    [](const ::testing::TestParamInfo<WindowsCase>& info) { return info.param.name; });

TEST(DrivesSelectWindows, ByLetterEachOnceWithNoRootOfItsOwn) {
  EXPECT_EQ(Select({Disk("Z:/", "NTFS"), Disk("C:/", "NTFS"), Disk("d:/", "CDFS"),
                    Disk("C:/", "NTFS"), Disk("D:/", "CDFS")},
                   Platform::kWindows),
            (Drives{"C:\\", "D:\\", "Z:\\"}));
  EXPECT_EQ(Select({}, Platform::kWindows), Drives{});
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
  std::vector<text::NativeName> native;
  for (const std::string& drive : drives) native.push_back(Native(drive));
  EXPECT_EQ(Bytes(DriveOf(Native(GetParam().path), native)), GetParam().drive) << GetParam().path;
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
  EXPECT_EQ(Bytes(DriveOf(Native("/media/usb2/x"), {Native("/media/usb")})), "/");
  EXPECT_EQ(Bytes(DriveOf(Native("/anything"), {})), "/");
}

}  // namespace
}  // namespace holvane::ui
