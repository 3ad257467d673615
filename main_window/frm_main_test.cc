// SPDX-License-Identifier: MIT
// The window end to end: frmMain with its drive, folder and file lists, driven
// as a user drives them. GoogleTest's assertions throughout; QtTest only for
// its input events (keyClick, mouseClick, ...).
#include "main_window/frm_main.h"

#include <QtTest/qtestkeyboard.h>
#include <QtTest/qtestmouse.h>
#include <QtWidgets/qtestsupport_widgets.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QTreeWidgetItemIterator>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "main_window/dir_list_box.h"
#include "main_window/drive_list_box.h"
#include "main_window/file_list_box.h"
#include "main_window/host.h"
#include "main_window/qt_test_printers.h"
#include "tests/test_support.h"

namespace holvane::ui {
namespace {

namespace fs = std::filesystem;
using ::holvane::testing::Entry;
using ::holvane::testing::ReadFileBytes;
using ::holvane::testing::RecordStream;
using ::holvane::testing::RenderedText;
using ::holvane::testing::SameBytes;
using ::holvane::testing::TempDir;
using ::holvane::testing::WriteFileBytes;
using ::holvane::testing::ZlibCompress;

const QString kDriveUnavailable = QString::fromUtf8("Диск недоступен!");
const QString kFolderUnavailable = QString::fromUtf8("Папка недоступна!");
const QString kFatal =
    QString::fromUtf8("Произошла непоправимая ошибка и приложение будет закрыто!");

QString Converted(int count) {
  return QString::fromUtf8("Файлов успешно декомпилировано: %1.").arg(count);
}

QString IconName(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::kInformation:
      return QStringLiteral("information");
    case MessageIcon::kExclamation:
      return QStringLiteral("exclamation");
    case MessageIcon::kCritical:
      return QStringLiteral("critical");
  }
  return QStringLiteral("unknown");
}

QString Message(MessageIcon icon, const QString& text) { return IconName(icon) + ": " + text; }

// Stands in for the message box and the end of the application for one test,
// and puts back whatever handlers were there before, so a failing test cannot
// leave a later one facing a real modal box.
class HostRecorder {
 public:
  HostRecorder()
      : previous_message_(
            SetMessageHandler([this](QWidget*, const QString& text, MessageIcon icon) {
              messages_.append(Message(icon, text));
            })),
        previous_end_(SetEndHandler([this] { ++ends_; })) {}
  ~HostRecorder() {
    SetMessageHandler(std::move(previous_message_));
    SetEndHandler(std::move(previous_end_));
  }
  HostRecorder(const HostRecorder&) = delete;
  HostRecorder& operator=(const HostRecorder&) = delete;

  const QStringList& messages() const { return messages_; }
  int ends() const { return ends_; }

 private:
  QStringList messages_;
  int ends_ = 0;
  MessageHandler previous_message_;
  EndHandler previous_end_;
};

// The text the lists show for a path that is valid UTF-8.
QString Q(const fs::path& path) { return QString::fromUtf8(path.c_str()); }

std::vector<Entry> EntriesFor(const std::string& name) {
  return {{name, 0}, {"second line of " + name, -1}, {"odd flag", 7}};
}

// A valid input whose text tells which file it came from.
void WriteWvl(const fs::path& path) {
  WriteFileBytes(path, ZlibCompress(RecordStream(EntriesFor(path.filename().string()))));
}

// Two folders and a file in `folder`: one/ with inner.wvl and a folder of
// its own, nested/; two/, empty; top.wvl.
void WriteTwoFolders(const fs::path& folder) {
  fs::create_directories(folder / "one" / "nested");
  fs::create_directory(folder / "two");
  WriteWvl(folder / "one" / "inner.wvl");
  WriteWvl(folder / "top.wvl");
}

fs::path OutputOf(const fs::path& input) {
  fs::path output = input;
  output += ".txt";
  return output;
}

fs::path TemporaryOf(const fs::path& input) {
  fs::path temporary = input;
  temporary += ".tmp";
  return temporary;
}

// Success when `path` holds exactly `expected`, otherwise what is wrong.
::testing::AssertionResult HoldsBytes(const fs::path& path, std::string_view expected) {
  if (!fs::exists(path)) return ::testing::AssertionFailure() << path << " is missing";
  const ::testing::AssertionResult same = SameBytes(ReadFileBytes(path), expected);
  if (same) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << path << ": " << same.message();
}

std::set<std::string> Listing(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

QStringList Entries(const FileListBox* list) {
  QStringList names;
  for (int i = 0; i < list->ListCount(); ++i) names.append(list->List(i));
  return names;
}

QList<int> SelectedIndexes(const FileListBox* list) {
  QList<int> indexes;
  for (int i = 0; i < list->ListCount(); ++i) {
    if (list->Selected(i)) indexes.append(i);
  }
  return indexes;
}

QStringList DirEntries(QTreeWidget* tree) {
  QStringList texts;
  for (QTreeWidgetItemIterator it(tree); *it != nullptr; ++it) texts.append((*it)->text(0));
  return texts;
}

QTreeWidgetItem* DirItem(QTreeWidget* tree, const QString& name) {
  const QList<QTreeWidgetItem*> found =
      tree->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
  return found.size() == 1 ? found.front() : nullptr;
}

// The events a real double-click delivers. QTest::mouseDClick alone sends
// only the second press, which an item view takes for a first one.
void DoubleClick(QWidget* viewport, QPoint position) {
  QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, position);
  QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, position);
  QTest::mouseDClick(viewport, Qt::LeftButton, Qt::NoModifier, position);
  QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, position);
}

// The ways a user opens a folder in the folder list.
enum class Gesture { kDoubleClick, kReturn, kEnter };

void OpenByUser(QTreeWidget* tree, QTreeWidgetItem* item, Gesture gesture) {
  tree->scrollToItem(item);
  if (gesture == Gesture::kDoubleClick) {
    DoubleClick(tree->viewport(), tree->visualItemRect(item).center());
    return;
  }
  tree->setCurrentItem(item);
  QTest::keyClick(tree, gesture == Gesture::kReturn ? Qt::Key_Return : Qt::Key_Enter);
}

const auto kGestures = ::testing::Values(Gesture::kDoubleClick, Gesture::kReturn, Gesture::kEnter);

std::string GestureName(const ::testing::TestParamInfo<Gesture>& info) {
  switch (info.param) {
    case Gesture::kDoubleClick:
      return "DoubleClick";
    case Gesture::kReturn:
      return "Return";
    case Gesture::kEnter:
      return "Enter";
  }
  return "Unknown";
}

void Show(frmMain& window) {
  window.show();
  EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
}

void Activate(frmMain& window) {
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
}

TEST(FrmMain, LayoutCaptionAndButton) {
  TempDir a;
  frmMain window({"/", a.path().string()}, a.path());
  Show(window);

  EXPECT_EQ(window.windowTitle(), QStringLiteral("Holvane by Kettrin"));
  EXPECT_EQ(window.size(), QSize(392, 287));
  EXPECT_EQ(window.minimumSize(), QSize(392, 287));
  EXPECT_EQ(window.maximumSize(), QSize(392, 287));

  const std::pair<QWidget*, QRect> controls[] = {
      {window.Drive1, QRect(8, 8, 185, 21)},
      {window.Dir1, QRect(8, 32, 185, 216)},
      {window.File1, QRect(200, 8, 185, 240)},
      {window.Command1, QRect(256, 256, 129, 25)},
  };
  for (const auto& [control, rect] : controls) {
    SCOPED_TRACE(control->objectName().toStdString());
    EXPECT_EQ(control->parentWidget(), &window);
    EXPECT_TRUE(control->isVisible());
    EXPECT_EQ(control->geometry(), rect);
  }

  EXPECT_EQ(window.Command1->text(), QString::fromUtf8("Конвертировать"));
  EXPECT_FALSE(window.Command1->isDefault());
  EXPECT_FALSE(window.Command1->autoDefault());
}

TEST(FrmMain, TabOrderAndFirstFocus) {
  TempDir a;
  fs::create_directory(a / "sub");
  WriteWvl(a / "a.wvl");
  frmMain window({"/", a.path().string()}, a.path());
  Show(window);
  ASSERT_NO_FATAL_FAILURE(Activate(window));

  ASSERT_EQ(QApplication::focusWidget(), window.Drive1);
  const QWidget* const forward[] = {window.Dir1, window.File1, window.Command1, window.Drive1};
  for (const QWidget* expected : forward) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), expected);
  }
  const QWidget* const backward[] = {window.Command1, window.File1, window.Dir1, window.Drive1};
  for (const QWidget* expected : backward) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    ASSERT_EQ(QApplication::focusWidget(), expected);
  }
}

// A medium mounted while the program runs appears the next time the list
// drops down; a chosen drive that has gone stays shown, as the user chose it.
TEST(FrmMain, DriveListIsReadAgainWhenItDropsDown) {
  HostRecorder recorder;
  TempDir a;
  TempDir b;
  auto drives =
      std::make_shared<std::vector<std::string>>(std::vector<std::string>{"/", a.path().string()});
  frmMain window(DriveSource([drives] { return *drives; }), a.path());
  Show(window);
  auto shown = [&window] {
    QStringList texts;
    for (int i = 0; i < window.Drive1->count(); ++i) texts << window.Drive1->itemText(i);
    return texts;
  };
  EXPECT_EQ(shown(), (QStringList{"/", Q(a.path())}));

  drives->push_back(b.path().string());
  window.Drive1->showPopup();
  window.Drive1->hidePopup();
  EXPECT_EQ(shown(), (QStringList{"/", Q(a.path()), Q(b.path())}));
  EXPECT_EQ(window.Drive1->Drive(), a.path());

  window.Drive1->setDrive(b.path());
  EXPECT_EQ(window.Dir1->Path(), b.path());
  drives->pop_back();
  window.Drive1->showPopup();
  window.Drive1->hidePopup();
  EXPECT_EQ(window.Drive1->Drive(), b.path());
  EXPECT_EQ(shown(), (QStringList{"/", Q(a.path()), Q(b.path())}));

  // Choosing the first drive again still goes back to where it was.
  window.Drive1->setDrive(a.path());
  EXPECT_EQ(window.Dir1->Path(), a.path());
  EXPECT_EQ(recorder.messages(), QStringList());
}

TEST(FrmMain, DriveChoiceMovesBothLists) {
  HostRecorder recorder;
  TempDir a;
  TempDir b;
  fs::create_directories(a / "deep");
  fs::create_directories(b / "sub");
  WriteWvl(a / "deep" / "one.wvl");
  WriteWvl(a / "top.wvl");
  WriteWvl(b / "two.wvl");
  WriteWvl(b / "sub" / "three.wvl");
  WriteWvl(b / "sub" / "Four.WVL");
  const fs::path drive_a = a.path();
  const fs::path drive_b = b.path();

  frmMain window({"/", a.path().string(), b.path().string()}, a / "deep");
  Show(window);
  EXPECT_EQ(window.Drive1->Drive(), drive_a);
  EXPECT_EQ(window.Dir1->Path(), a / "deep");
  EXPECT_EQ(window.File1->Path(), a / "deep");
  EXPECT_EQ(Entries(window.File1), QStringList{"one.wvl"});

  window.Drive1->setDrive(drive_b);
  EXPECT_EQ(window.Drive1->Drive(), drive_b);
  EXPECT_EQ(window.Dir1->Path(), drive_b);
  EXPECT_EQ(window.File1->Path(), drive_b);
  EXPECT_EQ(Entries(window.File1), QStringList{"two.wvl"});

  QTreeWidgetItem* sub = DirItem(window.Dir1, QStringLiteral("sub"));
  ASSERT_NE(sub, nullptr);
  OpenByUser(window.Dir1, sub, Gesture::kDoubleClick);
  EXPECT_EQ(window.Dir1->Path(), b / "sub");
  EXPECT_EQ(window.File1->Path(), b / "sub");
  EXPECT_EQ(Entries(window.File1), (QStringList{"Four.WVL", "three.wvl"}));

  // Each drive comes back to the folder last shown on it.
  window.Drive1->setDrive(drive_a);
  EXPECT_EQ(window.Dir1->Path(), a / "deep");
  EXPECT_EQ(Entries(window.File1), QStringList{"one.wvl"});
  window.Drive1->setDrive(drive_b);
  EXPECT_EQ(window.Dir1->Path(), b / "sub");
  EXPECT_EQ(window.File1->Path(), b / "sub");
  EXPECT_EQ(Entries(window.File1), (QStringList{"Four.WVL", "three.wvl"}));

  // A remembered folder that has gone since leads to the drive's root.
  window.Drive1->setDrive(drive_a);
  fs::remove_all(b / "sub");
  window.Drive1->setDrive(drive_b);
  EXPECT_EQ(window.Dir1->Path(), drive_b);
  EXPECT_EQ(Entries(window.File1), QStringList{"two.wvl"});

  EXPECT_EQ(recorder.messages(), QStringList());
}

TEST(FrmMain, UnreadableDriveLeavesTheListsAlone) {
  HostRecorder recorder;
  TempDir a;
  for (const char* name : {"a.wvl", "b.wvl", "c.wvl"}) WriteWvl(a / name);
  const fs::path missing = a / "no-such-drive";
  const fs::path drive_a = a.path();
  frmMain window({"/", a.path().string(), missing.string()}, drive_a);
  Show(window);
  window.File1->setSelected(0, true);
  window.File1->setSelected(2, true);
  const QStringList dir_entries = DirEntries(window.Dir1);

  window.Drive1->setDrive(missing);

  EXPECT_EQ(recorder.messages(),
            QStringList{Message(MessageIcon::kExclamation, kDriveUnavailable)});
  EXPECT_EQ(window.Drive1->Drive(), missing);
  EXPECT_EQ(window.Dir1->Path(), drive_a);
  EXPECT_EQ(DirEntries(window.Dir1), dir_entries);
  EXPECT_EQ(window.File1->Path(), drive_a);
  EXPECT_EQ(Entries(window.File1), (QStringList{"a.wvl", "b.wvl", "c.wvl"}));
  EXPECT_EQ(SelectedIndexes(window.File1), (QList<int>{0, 2}));

  window.Command1->click();
  for (const char* name : {"a.wvl", "c.wvl"}) {
    EXPECT_TRUE(HoldsBytes(OutputOf(a / name), RenderedText(EntriesFor(name))));
  }
  EXPECT_FALSE(fs::exists(OutputOf(a / "b.wvl")));
  EXPECT_EQ(recorder.messages(), (QStringList{Message(MessageIcon::kExclamation, kDriveUnavailable),
                                              Message(MessageIcon::kInformation, Converted(2))}));

  // Going back to the drive the lists are on moves nothing and says nothing.
  window.Drive1->setDrive(drive_a);
  EXPECT_EQ(window.Drive1->Drive(), drive_a);
  EXPECT_EQ(window.Dir1->Path(), drive_a);
  EXPECT_EQ(recorder.messages().size(), 2);
  EXPECT_EQ(recorder.ends(), 0);
}

TEST(FrmMain, HighlightingAFolderDoesNotOpenIt) {
  HostRecorder recorder;
  TempDir a;
  WriteTwoFolders(a.path());
  frmMain window({"/", a.path().string()}, a.path());
  Show(window);

  QTreeWidgetItem* one = DirItem(window.Dir1, QStringLiteral("one"));
  QTreeWidgetItem* two = DirItem(window.Dir1, QStringLiteral("two"));
  ASSERT_NE(one, nullptr);
  ASSERT_NE(two, nullptr);

  window.Dir1->setCurrentItem(two);
  EXPECT_EQ(window.Dir1->Path(), a.path());
  QTest::mouseClick(window.Dir1->viewport(), Qt::LeftButton, Qt::NoModifier,
                    window.Dir1->visualItemRect(one).center());
  EXPECT_EQ(window.Dir1->currentItem(), one);
  EXPECT_EQ(window.Dir1->Path(), a.path());
  QTest::keyClick(window.Dir1, Qt::Key_Down);
  EXPECT_EQ(window.Dir1->currentItem(), two);
  EXPECT_EQ(window.Dir1->Path(), a.path());

  EXPECT_EQ(window.File1->Path(), a.path());
  EXPECT_EQ(Entries(window.File1), QStringList{"top.wvl"});
  EXPECT_EQ(recorder.messages(), QStringList());
}

class FrmMainOpening : public ::testing::TestWithParam<Gesture> {};

TEST_P(FrmMainOpening, OpeningAFolderMovesBothLists) {
  const Gesture gesture = GetParam();
  HostRecorder recorder;
  TempDir a;
  WriteTwoFolders(a.path());
  frmMain window({"/", a.path().string()}, a.path());
  Show(window);

  QTreeWidgetItem* one = DirItem(window.Dir1, QStringLiteral("one"));
  ASSERT_NE(one, nullptr);
  OpenByUser(window.Dir1, one, gesture);
  EXPECT_EQ(window.Dir1->Path(), a / "one");
  EXPECT_EQ(window.File1->Path(), a / "one");
  EXPECT_EQ(Entries(window.File1), QStringList{"inner.wvl"});
  EXPECT_NE(DirItem(window.Dir1, QStringLiteral("nested")), nullptr);
  EXPECT_EQ(DirItem(window.Dir1, QStringLiteral("two")), nullptr);

  // Back up through the ancestor shown above it.
  QTreeWidgetItem* parent = DirItem(window.Dir1, Q(a.path().filename()));
  ASSERT_NE(parent, nullptr);
  OpenByUser(window.Dir1, parent, gesture);
  EXPECT_EQ(window.Dir1->Path(), a.path());
  EXPECT_EQ(window.File1->Path(), a.path());
  EXPECT_EQ(Entries(window.File1), QStringList{"top.wvl"});

  EXPECT_EQ(recorder.messages(), QStringList());
}

TEST_P(FrmMainOpening, UnlistableFolderLeavesTheListsAlone) {
  const Gesture gesture = GetParam();
  HostRecorder recorder;
  TempDir a;
  fs::create_directory(a / "gone");
  WriteWvl(a / "gone" / "g.wvl");
  WriteWvl(a / "a.wvl");
  WriteWvl(a / "b.wvl");
  frmMain window({"/", a.path().string()}, a.path());
  Show(window);
  window.File1->setSelected(1, true);
  const QStringList dir_entries = DirEntries(window.Dir1);
  QTreeWidgetItem* gone = DirItem(window.Dir1, QStringLiteral("gone"));
  ASSERT_NE(gone, nullptr);

  // Permissions do not stop the root user the tests may run as; removal does.
  fs::remove_all(a / "gone");
  OpenByUser(window.Dir1, gone, gesture);

  EXPECT_EQ(recorder.messages(),
            QStringList{Message(MessageIcon::kExclamation, kFolderUnavailable)});
  EXPECT_EQ(window.Dir1->Path(), a.path());
  EXPECT_EQ(DirEntries(window.Dir1), dir_entries);
  EXPECT_EQ(window.File1->Path(), a.path());
  EXPECT_EQ(Entries(window.File1), (QStringList{"a.wvl", "b.wvl"}));
  EXPECT_EQ(SelectedIndexes(window.File1), QList<int>{1});
  EXPECT_EQ(recorder.ends(), 0);
}

INSTANTIATE_TEST_SUITE_P(Gestures, FrmMainOpening, kGestures, GestureName);

TEST(FrmMain, FileListShowsOnlyWvlFiles) {
  TempDir a;
  for (const char* name : {"c.Wvl", "a.wvl", "B.WVL", "x.wvl.txt", "notes.txt", ".h.wvl"}) {
    WriteWvl(a / name);
  }
  fs::create_directory(a / "dir.wvl");
  frmMain window({"/", a.path().string()}, a.path());
  Show(window);

  EXPECT_EQ(Entries(window.File1), (QStringList{"a.wvl", "B.WVL", "c.Wvl"}));
  EXPECT_EQ(window.File1->selectionMode(), QAbstractItemView::ExtendedSelection);
  EXPECT_EQ(SelectedIndexes(window.File1), QList<int>());
}

TEST(FrmMain, DoubleClickOnAFileOnlySelectsIt) {
  HostRecorder recorder;
  TempDir a;
  for (const char* name : {"a.wvl", "b.wvl", "c.wvl"}) WriteWvl(a / name);
  const std::set<std::string> before = Listing(a.path());
  frmMain window({"/", a.path().string()}, a.path());
  Show(window);
  window.File1->setSelected(0, true);

  QListWidgetItem* item = window.File1->item(1);
  DoubleClick(window.File1->viewport(), window.File1->visualItemRect(item).center());

  EXPECT_EQ(SelectedIndexes(window.File1), QList<int>{1});
  EXPECT_EQ(Listing(a.path()), before);
  EXPECT_EQ(recorder.messages(), QStringList());
}

TEST(FrmMain, ButtonConvertsExactlyTheSelection) {
  HostRecorder recorder;
  TempDir a;
  const char* const names[] = {"e1.wvl", "e2.wvl", "e3.wvl", "e4.wvl", "e5.wvl"};
  for (const char* name : names) WriteWvl(a / name);
  frmMain window({"/", a.path().string()}, a.path());
  Show(window);
  for (int index : {4, 0, 2}) window.File1->setSelected(index, true);

  QTest::mouseClick(window.Command1, Qt::LeftButton);

  EXPECT_EQ(recorder.messages(), QStringList{Message(MessageIcon::kInformation, Converted(3))});
  EXPECT_EQ(recorder.ends(), 0);
  for (int index : {0, 2, 4}) {
    EXPECT_TRUE(HoldsBytes(OutputOf(a / names[index]), RenderedText(EntriesFor(names[index]))));
  }
  std::set<std::string> expected_files(std::begin(names), std::end(names));
  for (int index : {0, 2, 4}) expected_files.insert(std::string(names[index]) + ".txt");
  EXPECT_EQ(Listing(a.path()), expected_files);

  // The list is not read again: the new text files do not appear, and the
  // selection is there for another press.
  EXPECT_EQ(Entries(window.File1), (QStringList{"e1.wvl", "e2.wvl", "e3.wvl", "e4.wvl", "e5.wvl"}));
  EXPECT_EQ(SelectedIndexes(window.File1), (QList<int>{0, 2, 4}));
}

// With files but none selected, and with no files at all.
class FrmMainNothingToConvert : public ::testing::TestWithParam<bool> {};

TEST_P(FrmMainNothingToConvert, SaysNothing) {
  const bool with_files = GetParam();
  HostRecorder recorder;
  TempDir a;
  if (with_files) {
    for (const char* name : {"a.wvl", "b.wvl"}) WriteWvl(a / name);
  }
  const std::set<std::string> before = Listing(a.path());
  frmMain window({"/", a.path().string()}, a.path());
  Show(window);
  EXPECT_EQ(window.File1->ListCount(), with_files ? 2 : 0);

  window.Command1->click();

  EXPECT_EQ(Listing(a.path()), before);
  EXPECT_EQ(recorder.messages(), QStringList());
  EXPECT_EQ(recorder.ends(), 0);
}

INSTANTIATE_TEST_SUITE_P(Folders, FrmMainNothingToConvert, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "NothingSelected" : "EmptyFolder";
                         });

// A second file that is not a zlib stream, or whose record stream breaks off.
class FrmMainFailedConversion : public ::testing::TestWithParam<bool> {};

TEST_P(FrmMainFailedConversion, StopsAndEnds) {
  const bool truncated_stream = GetParam();
  HostRecorder recorder;
  TempDir a;
  WriteWvl(a / "first.wvl");
  WriteWvl(a / "third.wvl");
  const std::vector<Entry> kept = {{"kept", 0}};
  std::string stream = RecordStream({{"kept", 0}, {"cut", -1}});
  stream.resize(stream.size() - 2);
  WriteFileBytes(a / "second.wvl",
                 truncated_stream ? ZlibCompress(stream) : std::string("this is not zlib"));
  frmMain window({"/", a.path().string()}, a.path());
  Show(window);
  ASSERT_EQ(Entries(window.File1), (QStringList{"first.wvl", "second.wvl", "third.wvl"}));
  // Chosen backwards, so the order of the selection cannot stand in for the
  // order of the list.
  for (int index : {2, 1, 0}) window.File1->setSelected(index, true);

  window.Command1->click();

  EXPECT_EQ(recorder.messages(), QStringList{Message(MessageIcon::kCritical, kFatal)});
  EXPECT_EQ(recorder.ends(), 1);
  EXPECT_TRUE(HoldsBytes(OutputOf(a / "first.wvl"), RenderedText(EntriesFor("first.wvl"))));
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

class FrmMainEnter : public ::testing::TestWithParam<Qt::Key> {};

// Enter presses the button only while it has the focus, as Space does: in the
// file list it converts nothing.
TEST_P(FrmMainEnter, ConvertsOnlyOnTheButton) {
  const Qt::Key key = GetParam();
  HostRecorder recorder;
  TempDir a;
  WriteWvl(a / "a.wvl");
  const std::set<std::string> before = Listing(a.path());
  frmMain window({"/", a.path().string()}, a.path());
  Show(window);
  ASSERT_NO_FATAL_FAILURE(Activate(window));
  window.File1->setFocus();
  window.File1->setCurrentRow(0);
  window.File1->setSelected(0, true);

  QTest::keyClick(window.File1, key);

  EXPECT_EQ(Listing(a.path()), before);
  EXPECT_EQ(recorder.messages(), QStringList());
  EXPECT_TRUE(window.File1->Selected(0));

  window.Command1->setFocus();
  ASSERT_EQ(QApplication::focusWidget(), window.Command1);
  QTest::keyClick(window.Command1, key);

  EXPECT_EQ(recorder.messages(), QStringList{Message(MessageIcon::kInformation, Converted(1))});
  EXPECT_TRUE(HoldsBytes(OutputOf(a / "a.wvl"), RenderedText(EntriesFor("a.wvl"))));
  EXPECT_EQ(recorder.ends(), 0);
}

INSTANTIATE_TEST_SUITE_P(Keys, FrmMainEnter, ::testing::Values(Qt::Key_Return, Qt::Key_Enter),
                         [](const ::testing::TestParamInfo<Qt::Key>& info) {
                           return info.param == Qt::Key_Return ? "Return" : "Enter";
                         });

struct NameBytes {
  const char* row;
  std::string folder;
  std::string file;
};

void PrintTo(const NameBytes& names, std::ostream* out) { *out << names.row; }

class FrmMainNames : public ::testing::TestWithParam<NameBytes> {};

// Every list shows «Папка» and «Привет.wvl» whichever bytes name them, and
// the conversion opens and writes the exact bytes.
TEST_P(FrmMainNames, AreShownAndOpenedByTheirBytes) {
  const NameBytes& names = GetParam();
  HostRecorder recorder;
  TempDir a;
  const fs::path inner = a / names.folder;
  const std::string& name = names.file;
  fs::create_directory(inner);
  WriteWvl(inner / name);
  frmMain window({"/", a.path().string(), inner.string()}, a.path());
  Show(window);
  EXPECT_EQ(window.Drive1->itemText(2), Q(a.path()) + QString::fromUtf8("/Папка"));

  QTreeWidgetItem* item = DirItem(window.Dir1, QString::fromUtf8("Папка"));
  ASSERT_NE(item, nullptr);
  OpenByUser(window.Dir1, item, Gesture::kReturn);
  EXPECT_EQ(window.Dir1->Path(), inner);
  EXPECT_EQ(window.File1->Path(), inner);
  ASSERT_EQ(Entries(window.File1), QStringList{QString::fromUtf8("Привет.wvl")});
  window.File1->setSelected(0, true);

  window.Command1->click();

  EXPECT_EQ(recorder.messages(), QStringList{Message(MessageIcon::kInformation, Converted(1))});
  EXPECT_TRUE(HoldsBytes(inner / (name + ".txt"), RenderedText(EntriesFor(name))));
  EXPECT_EQ(Listing(inner), (std::set<std::string>{name, name + ".txt"}));
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, FrmMainNames,
    ::testing::Values(NameBytes{"Utf8", "Папка", "Привет.wvl"},
                      // A machine whose names are in code page 1251 wrote these.
                      NameBytes{"CodePage1251", "\xCF\xE0\xEF\xEA\xE0",
                                "\xCF\xF0\xE8\xE2\xE5\xF2.wvl"}),
    [](const ::testing::TestParamInfo<NameBytes>& info) { return info.param.row; });

}  // namespace
}  // namespace holvane::ui
