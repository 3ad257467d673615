// SPDX-License-Identifier: MIT
// The Qt window as a user drives it: what the widgets show of the window's
// logic and what the user's gestures tell it. (What the logic does with them
// is tested with the logic, main_window/frm_main_test.cc.) GoogleTest's
// assertions throughout; QtTest only for its input events (keyClick,
// mouseClick, ...).
#include "main_window/qt/window.h"

#include <QtTest/qtestkeyboard.h>
#include <QtTest/qtestmouse.h>
#include <QtWidgets/qtestsupport_widgets.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QStorageInfo>
#include <QTreeWidgetItemIterator>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "main_window/qt/lists.h"
#include "main_window/qt/test_printers.h"
#include "tests/window_test_kit.h"

namespace holvane::ui {
namespace {

namespace fs = std::filesystem;
using ::holvane::testing::TempDir;
using namespace ::holvane::ui::testing;

// The text the lists show for a path that is valid UTF-8.
QString Q(const fs::path& path) { return QString::fromUtf8(path.c_str()); }

// The file list's entries as the widget shows them.
QStringList Entries(const QtFileList* list) {
  QStringList names;
  for (int i = 0; i < list->count(); ++i) names.append(list->item(i)->text());
  return names;
}

// The entries selected in the widget, and the same as the logic has them.
QList<int> SelectedIndexes(QtWindow& window) {
  QList<int> indexes;
  for (int i = 0; i < window.File1->count(); ++i) {
    EXPECT_EQ(window.Form().File1.Selected(i), window.File1->item(i)->isSelected()) << i;
    if (window.File1->item(i)->isSelected()) indexes.append(i);
  }
  return indexes;
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

void Show(QtWindow& window) {
  window.show();
  EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
}

void Activate(QtWindow& window) {
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
}

TEST(QtWindow, LayoutCaptionAndButton) {
  TempDir a;
  QtWindow window({"/", a.path().string()}, a.path());
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
  EXPECT_EQ(window.File1->selectionMode(), QAbstractItemView::ExtendedSelection);
}

TEST(QtWindow, TabOrderAndFirstFocus) {
  TempDir a;
  fs::create_directory(a / "sub");
  WriteWvl(a / "a.wvl");
  QtWindow window({"/", a.path().string()}, a.path());
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

// The list drops down with the drives read again, and a drive chosen in it
// moves the lists.
TEST(QtWindow, DriveListIsReadAgainWhenItDropsDown) {
  RecordingHost host;
  TempDir a;
  TempDir b;
  WriteWvl(b / "b.wvl");
  auto drives =
      std::make_shared<std::vector<std::string>>(std::vector<std::string>{"/", a.path().string()});
  QtWindow window(DriveSource([drives] { return *drives; }), a.path(), &host);
  Show(window);
  auto shown = [&window] {
    QStringList texts;
    for (int i = 0; i < window.Drive1->count(); ++i) texts << window.Drive1->itemText(i);
    return texts;
  };
  EXPECT_EQ(shown(), (QStringList{"/", Q(a.path())}));
  EXPECT_EQ(window.Drive1->currentIndex(), 1);

  drives->push_back(b.path().string());
  window.Drive1->showPopup();
  window.Drive1->hidePopup();
  EXPECT_EQ(shown(), (QStringList{"/", Q(a.path()), Q(b.path())}));
  EXPECT_EQ(window.Drive1->currentIndex(), 1);

  QTest::keyClick(window.Drive1, Qt::Key_Down);
  EXPECT_EQ(window.Drive1->currentIndex(), 2);
  EXPECT_EQ(window.Form().Dir1.Path(), b.path());
  EXPECT_EQ(Entries(window.File1), QStringList{"b.wvl"});
  EXPECT_EQ(host.messages, Texts());
}

class QtWindowOpening : public ::testing::TestWithParam<Gesture> {};

// Highlighting a folder, by click or arrow key, does not open it; opening
// one moves both lists, whose widgets show the logic's UTF-8 (here for names
// in code page 1251, as a machine whose names are in it wrote them).
TEST_P(QtWindowOpening, OpeningAFolderMovesBothLists) {
  RecordingHost host;
  TempDir a;
  const fs::path one = a / "\xCF\xE0\xEF\xEA\xE0";  // «Папка»
  fs::create_directories(one / "nested");
  fs::create_directory(a / "two");
  WriteWvl(one / "\xCF\xF0\xE8\xE2\xE5\xF2.wvl");  // «Привет.wvl»
  WriteWvl(a / "top.wvl");
  QtWindow window({"/", a.path().string(), one.string()}, a.path(), &host);
  Show(window);
  EXPECT_EQ(window.Drive1->itemText(2), Q(a.path()) + QString::fromUtf8("/Папка"));
  QTreeWidgetItem* item = DirItem(window.Dir1, QString::fromUtf8("Папка"));
  QTreeWidgetItem* two = DirItem(window.Dir1, QStringLiteral("two"));
  ASSERT_NE(item, nullptr);
  ASSERT_NE(two, nullptr);

  // "two" comes first: Latin letters before Cyrillic.
  window.Dir1->setCurrentItem(item);
  QTest::mouseClick(window.Dir1->viewport(), Qt::LeftButton, Qt::NoModifier,
                    window.Dir1->visualItemRect(two).center());
  EXPECT_EQ(window.Dir1->currentItem(), two);
  QTest::keyClick(window.Dir1, Qt::Key_Down);
  EXPECT_EQ(window.Dir1->currentItem(), item);
  EXPECT_EQ(window.Form().Dir1.Path(), a.path());
  EXPECT_EQ(Entries(window.File1), QStringList{"top.wvl"});

  OpenByUser(window.Dir1, item, GetParam());
  EXPECT_EQ(window.Form().Dir1.Path(), one);
  EXPECT_EQ(Entries(window.File1), QStringList{QString::fromUtf8("Привет.wvl")});
  QTreeWidgetItem* nested = DirItem(window.Dir1, QStringLiteral("nested"));
  ASSERT_NE(nested, nullptr);
  EXPECT_EQ(nested->parent(), window.Dir1->currentItem());
  EXPECT_EQ(window.Dir1->currentItem()->text(0), QString::fromUtf8("Папка"));
  EXPECT_EQ(DirItem(window.Dir1, QStringLiteral("two")), nullptr);

  // Back up through the ancestor shown above it.
  QTreeWidgetItem* parent = DirItem(window.Dir1, Q(a.path().filename()));
  ASSERT_NE(parent, nullptr);
  OpenByUser(window.Dir1, parent, GetParam());
  EXPECT_EQ(window.Form().Dir1.Path(), a.path());
  EXPECT_EQ(Entries(window.File1), QStringList{"top.wvl"});
  EXPECT_EQ(host.messages, Texts());
}

INSTANTIATE_TEST_SUITE_P(Gestures, QtWindowOpening,
                         ::testing::Values(Gesture::kDoubleClick, Gesture::kReturn,
                                           Gesture::kEnter),
                         GestureName);

TEST(QtWindow, DoubleClickOnAFileOnlySelectsIt) {
  RecordingHost host;
  TempDir a;
  for (const char* name : {"a.wvl", "b.wvl", "c.wvl"}) WriteWvl(a / name);
  const std::set<fs::path> before = Listing(a.path());
  QtWindow window({"/", a.path().string()}, a.path(), &host);
  Show(window);
  window.Form().File1.SetSelected(0, true);
  EXPECT_EQ(SelectedIndexes(window), QList<int>{0});

  QListWidgetItem* item = window.File1->item(1);
  DoubleClick(window.File1->viewport(), window.File1->visualItemRect(item).center());

  EXPECT_EQ(SelectedIndexes(window), QList<int>{1});
  EXPECT_EQ(Listing(a.path()), before);
  EXPECT_EQ(host.messages, Texts());
}

class QtWindowEnter : public ::testing::TestWithParam<Qt::Key> {};

// Enter presses the button only while it has the focus, as Space does: in the
// file list it converts nothing. A click presses it too.
TEST_P(QtWindowEnter, ConvertsOnlyOnTheButton) {
  const Qt::Key key = GetParam();
  RecordingHost host;
  TempDir a;
  WriteWvl(a / "a.wvl");
  const std::set<fs::path> before = Listing(a.path());
  QtWindow window({"/", a.path().string()}, a.path(), &host);
  Show(window);
  ASSERT_NO_FATAL_FAILURE(Activate(window));
  window.File1->setFocus();
  window.File1->setCurrentRow(0);
  window.File1->item(0)->setSelected(true);

  QTest::keyClick(window.File1, key);

  EXPECT_EQ(Listing(a.path()), before);
  EXPECT_EQ(host.messages, Texts());
  EXPECT_EQ(SelectedIndexes(window), QList<int>{0});

  window.Command1->setFocus();
  ASSERT_EQ(QApplication::focusWidget(), window.Command1);
  QTest::keyClick(window.Command1, key);

  EXPECT_EQ(host.messages, Texts{Converted(1)});
  EXPECT_TRUE(HasItsText(a / "a.wvl"));
  fs::remove(OutputOf(a / "a.wvl"));
  QTest::mouseClick(window.Command1, Qt::LeftButton);
  EXPECT_EQ(host.messages, (Texts{Converted(1), Converted(1)}));
  EXPECT_TRUE(HasItsText(a / "a.wvl"));
  EXPECT_EQ(host.ends, 0);
}

INSTANTIATE_TEST_SUITE_P(Keys, QtWindowEnter, ::testing::Values(Qt::Key_Return, Qt::Key_Enter),
                         [](const ::testing::TestParamInfo<Qt::Key>& info) {
                           return info.param == Qt::Key_Return ? "Return" : "Enter";
                         });

// The drives QStorageInfo reports, as the window lists them.
using Drives = std::vector<std::string>;

// This machine's volumes as Qt reports them: whatever they are, the root
// comes first and every drive is an absolute folder that is there.
TEST(DrivesMounted, RootFirstThenFoldersThatExist) {
  const Drives drives = MountedDrives();
  ASSERT_FALSE(drives.empty());
  EXPECT_EQ(drives.front(), "/");
  for (const std::string& drive : drives) {
    EXPECT_TRUE(drive.starts_with('/')) << drive;
    EXPECT_TRUE(std::filesystem::is_directory(drive)) << drive;
  }
}

TEST(DrivesDescribeVolume, TakesQtsFieldsAndTheRootPathsBytes) {
  const Volume root = DescribeVolume(QStorageInfo::root());
  EXPECT_EQ(root.root_path, "/");
  EXPECT_TRUE(root.valid);
  EXPECT_TRUE(root.ready);
  EXPECT_EQ(root.type, QStorageInfo::root().fileSystemType().toStdString());

  const Volume none = DescribeVolume(QStorageInfo());
  EXPECT_FALSE(none.valid);
  EXPECT_EQ(SelectDrives({none}), Drives{"/"});
}

}  // namespace
}  // namespace holvane::ui
