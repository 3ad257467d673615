// SPDX-License-Identifier: MIT
// The window's logic as a view drives it: frmMain on views that record what
// they are told to show and a host that records the messages, on real
// folders. No toolkit and no display.
#include "main_window/frm_main.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <new>
#include <ostream>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "main_window/paths.h"
#include "tests/window_test_kit.h"

namespace holvane::ui {
namespace {

namespace fs = std::filesystem;
using ::holvane::testing::Entry;
using ::holvane::testing::RecordStream;
using ::holvane::testing::RenderedText;
using ::holvane::testing::TempDir;
using ::holvane::testing::Utf8Path;
using ::holvane::testing::WriteFileBytes;
using ::holvane::testing::ZlibCompress;
using namespace ::holvane::ui::testing;

// Views that keep what they are told to show.
struct FakeDriveList final : DriveListView {
  void ShowDrives(const std::vector<std::string>& shown, int now) override {
    names = shown;
    chosen = now;
  }
  void ShowChosen(int now) override { chosen = now; }
  Texts names;
  int chosen = -1;
};

struct FakeDirList final : DirListView {
  void ShowFolders(const std::vector<DirListEntry>& entries, int now) override {
    shown.clear();
    for (const DirListEntry& entry : entries) shown.push_back(entry.shown);
    current = now;
  }
  Texts shown;
  int current = -1;
};

struct FakeFileList final : FileListView {
  void ShowFiles(const std::vector<std::string_view>& shown) override {
    names.assign(shown.begin(), shown.end());
    selected.assign(shown.size(), false);
  }
  void ShowSelected(int index, bool now) override {
    selected.at(static_cast<std::size_t>(index)) = now;
  }
  Texts names;
  std::vector<bool> selected;
};

std::vector<text::NativeName> Native(const std::vector<fs::path>& drives) {
  std::vector<text::NativeName> native;
  for (const fs::path& drive : drives) native.push_back(drive.native());
  return native;
}

// The window on its recording views. Reading a list through it checks that
// its view shows what the list holds.
struct Window {
  Window(const DriveSource& drives, const fs::path& start)
      : form(drives, start, drive_view, dir_view, file_view, host) {}
  Window(const std::vector<fs::path>& drives, const fs::path& start)
      : Window(DriveSource([native = Native(drives)] { return native; }), start) {}

  Texts Drives() const {
    Texts names;
    for (int i = 0; i < form.Drive1.ListCount(); ++i) names.push_back(form.Drive1.List(i));
    EXPECT_EQ(drive_view.names, names);
    return names;
  }
  Texts Folders() const {
    Texts names;
    int current = -1;
    for (int i = 0; i < form.Dir1.ListCount(); ++i) {
      names.push_back(form.Dir1.List(i).shown);
      if (form.Dir1.List(i).path == form.Dir1.Path()) current = i;
    }
    EXPECT_EQ(dir_view.shown, names);
    EXPECT_EQ(dir_view.current, current);
    return names;
  }
  Texts Files() const {
    Texts names;
    for (int i = 0; i < form.File1.ListCount(); ++i) names.emplace_back(form.File1.List(i));
    EXPECT_EQ(file_view.names, names);
    return names;
  }
  std::vector<int> Selection() const {
    std::vector<int> indexes;
    for (int i = 0; i < form.File1.ListCount(); ++i) {
      EXPECT_EQ(file_view.selected.at(static_cast<std::size_t>(i)), form.File1.Selected(i)) << i;
      if (form.File1.Selected(i)) indexes.push_back(i);
    }
    return indexes;
  }
  // Selects the file list's entries at `indexes` alone, as the user would.
  void Select(const std::vector<int>& indexes) {
    file_view.selected.assign(file_view.names.size(), false);
    for (const int index : indexes) file_view.selected.at(static_cast<std::size_t>(index)) = true;
    form.File1.SelectionChanged(indexes);
  }
  // Opens the folder list's entry shown as `shown`, as the user would.
  void Open(std::string_view shown) {
    const Texts names = Folders();
    const auto at = std::find(names.begin(), names.end(), shown);
    ASSERT_NE(at, names.end()) << shown;
    form.Dir1.Open(static_cast<int>(at - names.begin()));
  }

  FakeDriveList drive_view;
  FakeDirList dir_view;
  FakeFileList file_view;
  RecordingHost host;
  frmMain form;
};

TEST(FrmMain, DriveChoiceMovesBothLists) {
  TempDir a;
  TempDir b;
  fs::create_directories(a / "deep");
  fs::create_directories(b / "sub");
  WriteWvl(a / "deep" / "one.wvl");
  WriteWvl(a / "top.wvl");
  WriteWvl(b / "two.wvl");
  WriteWvl(b / "sub" / "three.wvl");
  WriteWvl(b / "sub" / "Four.WVL");
  Window window({a.path().root_path(), a.path(), b.path()}, a / "deep");
  frmMain& form = window.form;
  EXPECT_EQ(form.Drive1.Drive(), a.path());
  EXPECT_EQ(window.drive_view.chosen, 1);
  EXPECT_EQ(form.Dir1.Path(), a / "deep");
  EXPECT_EQ(form.File1.Path(), a / "deep");
  EXPECT_EQ(window.Files(), Texts{"one.wvl"});

  form.Drive1.Chosen(2);
  EXPECT_EQ(form.Drive1.Drive(), b.path());
  EXPECT_EQ(form.Dir1.Path(), b.path());
  EXPECT_EQ(form.File1.Path(), b.path());
  EXPECT_EQ(window.Files(), Texts{"two.wvl"});

  window.Open("sub");
  EXPECT_EQ(form.Dir1.Path(), b / "sub");
  EXPECT_EQ(form.File1.Path(), b / "sub");
  EXPECT_EQ(window.Files(), (Texts{"Four.WVL", "three.wvl"}));

  // Each drive comes back to the folder last shown on it.
  form.Drive1.SetDrive(a.path());
  EXPECT_EQ(window.drive_view.chosen, 1);
  EXPECT_EQ(form.Dir1.Path(), a / "deep");
  EXPECT_EQ(window.Files(), Texts{"one.wvl"});
  form.Drive1.SetDrive(b.path());
  EXPECT_EQ(form.Dir1.Path(), b / "sub");
  EXPECT_EQ(form.File1.Path(), b / "sub");
  EXPECT_EQ(window.Files(), (Texts{"Four.WVL", "three.wvl"}));

  // A remembered folder that has gone since leads to the drive's root.
  form.Drive1.SetDrive(a.path());
  fs::remove_all(b / "sub");
  form.Drive1.SetDrive(b.path());
  EXPECT_EQ(form.Dir1.Path(), b.path());
  EXPECT_EQ(window.Files(), Texts{"two.wvl"});
  window.Folders();

  EXPECT_EQ(window.host.messages, Texts());
}

// A medium mounted while the program runs appears the next time the list
// drops down; a chosen drive that has gone stays shown, as the user chose it.
TEST(FrmMain, DriveListIsReadAgainWhenItDropsDown) {
  TempDir a;
  TempDir b;
  auto drives = std::make_shared<std::vector<text::NativeName>>(
      std::vector<text::NativeName>{a.path().root_path().native(), a.path().native()});
  Window window(DriveSource([drives] { return *drives; }), a.path());
  frmMain& form = window.form;
  const Texts before = {ShownText(DriveName(a.path().root_path().native())),
                        ShownText(DriveName(a.path().native()))};
  const Texts after = {before[0], before[1], ShownText(DriveName(b.path().native()))};
  EXPECT_EQ(window.Drives(), before);

  drives->push_back(b.path().native());
  form.Drive1.DroppingDown();
  EXPECT_EQ(window.Drives(), after);
  EXPECT_EQ(form.Drive1.Drive(), a.path());
  EXPECT_EQ(window.drive_view.chosen, 1);

  form.Drive1.SetDrive(b.path());
  EXPECT_EQ(form.Dir1.Path(), b.path());
  drives->pop_back();
  form.Drive1.DroppingDown();
  EXPECT_EQ(form.Drive1.Drive(), b.path());
  EXPECT_EQ(window.drive_view.chosen, 2);
  EXPECT_EQ(window.Drives(), after);

  // Choosing the first drive again still goes back to where it was.
  form.Drive1.SetDrive(a.path());
  EXPECT_EQ(form.Dir1.Path(), a.path());
  EXPECT_EQ(window.host.messages, Texts());
}

TEST(FrmMain, UnreadableDriveLeavesTheListsAlone) {
  TempDir a;
  for (const char* name : {"a.wvl", "b.wvl", "c.wvl"}) WriteWvl(a / name);
  const fs::path missing = a / "no-such-drive";
  Window window({a.path().root_path(), a.path(), missing}, a.path());
  frmMain& form = window.form;
  form.File1.SetSelected(0, true);
  form.File1.SetSelected(2, true);
  const Texts folders = window.Folders();

  form.Drive1.Chosen(2);

  EXPECT_EQ(window.host.messages, Texts{kDriveUnavailable});
  EXPECT_EQ(form.Drive1.Drive(), missing);
  EXPECT_EQ(form.Dir1.Path(), a.path());
  EXPECT_EQ(window.Folders(), folders);
  EXPECT_EQ(form.File1.Path(), a.path());
  EXPECT_EQ(window.Files(), (Texts{"a.wvl", "b.wvl", "c.wvl"}));
  EXPECT_EQ(window.Selection(), (std::vector<int>{0, 2}));

  form.Command1_Click();
  EXPECT_TRUE(HasItsText(a / "a.wvl"));
  EXPECT_TRUE(HasItsText(a / "c.wvl"));
  EXPECT_FALSE(fs::exists(OutputOf(a / "b.wvl")));
  EXPECT_EQ(window.host.messages, (Texts{kDriveUnavailable, Converted(2)}));

  // Going back to the drive the lists are on moves nothing and says nothing.
  form.Drive1.SetDrive(a.path());
  EXPECT_EQ(form.Drive1.Drive(), a.path());
  EXPECT_EQ(form.Dir1.Path(), a.path());
  EXPECT_EQ(window.host.messages.size(), 2u);
  EXPECT_EQ(window.host.ends, 0);
}

// Only a drive that cannot be listed is "unavailable"; running out of memory
// on the way is fatal, as for a conversion.
TEST(FrmMain, DriveChoiceOutOfMemoryIsFatal) {
  TempDir a;
  TempDir b;
  const auto failing = std::make_shared<bool>(false);
  const std::vector<text::NativeName> drives = Native({a.path().root_path(), a.path(), b.path()});
  Window window(DriveSource([failing, drives] {
                  if (*failing) throw std::bad_alloc();
                  return drives;
                }),
                a.path());
  *failing = true;

  window.form.Drive1.Chosen(2);

  EXPECT_EQ(window.host.messages, Texts{kFatal});
  EXPECT_EQ(window.host.ends, 1);
  EXPECT_EQ(window.form.Dir1.Path(), a.path());
}

// Down into a folder, up through an ancestor, and into one that has gone.
TEST(FrmMain, OpeningAFolderMovesBothListsUnlessItCannotBeListed) {
  TempDir a;
  fs::create_directories(a / "gone" / "nested");
  fs::create_directory(a / "two");
  WriteWvl(a / "gone" / "g.wvl");
  WriteWvl(a / "a.wvl");
  WriteWvl(a / "b.wvl");
  Window window({a.path().root_path(), a.path()}, a.path());
  frmMain& form = window.form;
  window.Open("gone");
  EXPECT_EQ(form.Dir1.Path(), a / "gone");
  EXPECT_EQ(form.File1.Path(), a / "gone");
  EXPECT_EQ(window.Files(), Texts{"g.wvl"});
  const Texts inside = window.Folders();
  EXPECT_EQ(inside.back(), "nested");
  EXPECT_EQ(std::count(inside.begin(), inside.end(), "two"), 0);
  window.Open(ShownText(a.path().filename()));
  EXPECT_EQ(form.Dir1.Path(), a.path());
  EXPECT_EQ(window.Files(), (Texts{"a.wvl", "b.wvl"}));
  EXPECT_EQ(window.host.messages, Texts());

  window.Select({1});
  const Texts folders = window.Folders();
  // Permissions do not stop the root user the tests may run as; removal does.
  fs::remove_all(a / "gone");
  window.Open("gone");

  EXPECT_EQ(window.host.messages, Texts{kFolderUnavailable});
  EXPECT_EQ(form.Dir1.Path(), a.path());
  EXPECT_EQ(window.Folders(), folders);
  EXPECT_EQ(form.File1.Path(), a.path());
  EXPECT_EQ(window.Files(), (Texts{"a.wvl", "b.wvl"}));
  EXPECT_EQ(window.Selection(), std::vector<int>{1});
  EXPECT_EQ(window.host.ends, 0);
}

TEST(FrmMain, FileListShowsOnlyWvlFiles) {
  TempDir a;
  for (const char* name : {"c.Wvl", "a.wvl", "B.WVL", "x.wvl.txt", "notes.txt", ".h.wvl"}) {
    WriteWvl(a / name);
  }
  fs::create_directory(a / "dir.wvl");
  Window window({a.path().root_path(), a.path()}, a.path());

  EXPECT_EQ(window.Files(), (Texts{"a.wvl", "B.WVL", "c.Wvl"}));
  EXPECT_EQ(window.form.File1.Pattern(), "*.wvl");
  EXPECT_EQ(window.Selection(), std::vector<int>());
}

TEST(FrmMain, ButtonConvertsExactlyTheSelection) {
  TempDir a;
  const char* const names[] = {"e1.wvl", "e2.wvl", "e3.wvl", "e4.wvl", "e5.wvl"};
  for (const char* name : names) WriteWvl(a / name);
  Window window({a.path().root_path(), a.path()}, a.path());
  window.Select({4, 0});
  window.form.File1.SetSelected(2, true);

  window.form.Command1_Click();

  EXPECT_EQ(window.host.messages, Texts{Converted(3)});
  EXPECT_EQ(window.host.ends, 0);
  std::set<fs::path> expected_files(std::begin(names), std::end(names));
  for (int index : {0, 2, 4}) {
    EXPECT_TRUE(HasItsText(a / names[index]));
    expected_files.insert(OutputOf(names[index]));
  }
  EXPECT_EQ(Listing(a.path()), expected_files);

  // The list is not read again: the new text files do not appear, and the
  // selection is there for another press.
  EXPECT_EQ(window.Files(), (Texts{"e1.wvl", "e2.wvl", "e3.wvl", "e4.wvl", "e5.wvl"}));
  EXPECT_EQ(window.Selection(), (std::vector<int>{0, 2, 4}));
}

// With files but none selected, and with no files at all.
class FrmMainNothingToConvert : public ::testing::TestWithParam<bool> {};

TEST_P(FrmMainNothingToConvert, SaysNothing) {
  const bool with_files = GetParam();
  TempDir a;
  if (with_files) {
    for (const char* name : {"a.wvl", "b.wvl"}) WriteWvl(a / name);
  }
  const std::set<fs::path> before = Listing(a.path());
  Window window({a.path().root_path(), a.path()}, a.path());
  EXPECT_EQ(window.form.File1.ListCount(), with_files ? 2 : 0);

  window.form.Command1_Click();

  EXPECT_EQ(Listing(a.path()), before);
  EXPECT_EQ(window.host.messages, Texts());
  EXPECT_EQ(window.host.ends, 0);
}

INSTANTIATE_TEST_SUITE_P(Folders, FrmMainNothingToConvert, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "NothingSelected" : "EmptyFolder";
                         });

// A second file that is not a zlib stream, or whose record stream breaks off.
class FrmMainFailedConversion : public ::testing::TestWithParam<bool> {};

TEST_P(FrmMainFailedConversion, StopsAndEnds) {
  const bool truncated_stream = GetParam();
  TempDir a;
  WriteWvl(a / "first.wvl");
  WriteWvl(a / "third.wvl");
  const std::vector<Entry> kept = {{"kept", 0}};
  std::string stream = RecordStream({{"kept", 0}, {"cut", -1}});
  stream.resize(stream.size() - 2);
  WriteFileBytes(a / "second.wvl",
                 truncated_stream ? ZlibCompress(stream) : std::string("this is not zlib"));
  Window window({a.path().root_path(), a.path()}, a.path());
  ASSERT_EQ(window.Files(), (Texts{"first.wvl", "second.wvl", "third.wvl"}));
  // Chosen backwards, so the order of the selection cannot stand in for the
  // order of the list.
  for (int index : {2, 1, 0}) window.form.File1.SetSelected(index, true);

  window.form.Command1_Click();

  EXPECT_EQ(window.host.messages, Texts{kFatal});
  EXPECT_EQ(window.host.ends, 1);
  EXPECT_TRUE(HasItsText(a / "first.wvl"));
  EXPECT_FALSE(fs::exists(TemporaryOf(a / "first.wvl")));
  EXPECT_FALSE(fs::exists(OutputOf(a / "third.wvl")));
  EXPECT_FALSE(fs::exists(TemporaryOf(a / "third.wvl")));
  if (truncated_stream) {
    EXPECT_TRUE(HoldsBytes(OutputOf(a / "second.wvl"), RenderedText(kept)));
    EXPECT_TRUE(HoldsBytes(TemporaryOf(a / "second.wvl"), stream));
  } else {
    EXPECT_FALSE(fs::exists(OutputOf(a / "second.wvl")));
    EXPECT_FALSE(fs::exists(TemporaryOf(a / "second.wvl")));
  }
}

INSTANTIATE_TEST_SUITE_P(Inputs, FrmMainFailedConversion, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "TruncatedRecordStream" : "NotAZlibStream";
                         });

struct NameBytes {
  const char* row;
  const char* folder;
  const char* file;
  // The names are bytes, not UTF-8: only a system whose names are bytes has
  // them.
  bool bytes;
};

void PrintTo(const NameBytes& names, std::ostream* out) { *out << names.row; }

class FrmMainNames : public ::testing::TestWithParam<NameBytes> {};

// Every list shows «Папка» and «Привет.wvl» whichever bytes name them, and
// the conversion opens and writes the exact name.
TEST_P(FrmMainNames, AreShownAndOpenedByTheirBytes) {
  const NameBytes& names = GetParam();
  if (names.bytes && kThisPlatform == Platform::kWindows) {
    GTEST_SKIP() << "Windows names are UTF-16";
  }
  TempDir a;
  const fs::path folder = names.bytes ? fs::path(names.folder) : Utf8Path(names.folder);
  const fs::path name = names.bytes ? fs::path(names.file) : Utf8Path(names.file);
  const fs::path inner = a / folder;
  fs::create_directory(inner);
  WriteWvl(inner / name);
  Window window({a.path().root_path(), a.path(), inner}, a.path());
  const std::string separator(1, static_cast<char>(fs::path::preferred_separator));
  EXPECT_EQ(window.Drives().at(2), window.Drives().at(1) + separator + "Папка");

  window.Open("Папка");
  EXPECT_EQ(window.form.Dir1.Path(), inner);
  EXPECT_EQ(window.form.File1.Path(), inner);
  ASSERT_EQ(window.Files(), Texts{"Привет.wvl"});
  window.form.File1.SetSelected(0, true);

  window.form.Command1_Click();

  EXPECT_EQ(window.host.messages, Texts{Converted(1)});
  EXPECT_TRUE(HasItsText(inner / name));
  EXPECT_EQ(Listing(inner), (std::set<fs::path>{name, OutputOf(name)}));
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, FrmMainNames,
    ::testing::Values(NameBytes{"Utf8", "Папка", "Привет.wvl", false},
                      // A machine whose names are in code page 1251 wrote these.
                      NameBytes{"CodePage1251", "\xCF\xE0\xEF\xEA\xE0",
                                "\xCF\xF0\xE8\xE2\xE5\xF2.wvl", true}),
    [](const ::testing::TestParamInfo<NameBytes>& info) { return info.param.row; });

}  // namespace
}  // namespace holvane::ui
