// SPDX-License-Identifier: MIT
#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>
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
#include "main_window/frm_main.h"
#include "main_window/host.h"
#include "tests/test_support.h"

// The lists keep paths as bytes; a failed comparison prints them.
namespace QTest {
template <>
inline char* toString(const std::filesystem::path& path) {
  return qstrdup(path.c_str());
}
}  // namespace QTest

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
class RunTimeRecorder {
 public:
  RunTimeRecorder()
      : previous_message_(
            SetMessageHandler([this](QWidget*, const QString& text, MessageIcon icon) {
              messages_.append(Message(icon, text));
            })),
        previous_end_(SetEndHandler([this] { ++ends_; })) {}
  ~RunTimeRecorder() {
    SetMessageHandler(std::move(previous_message_));
    SetEndHandler(std::move(previous_end_));
  }
  RunTimeRecorder(const RunTimeRecorder&) = delete;
  RunTimeRecorder& operator=(const RunTimeRecorder&) = delete;

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

// Empty when `path` holds exactly `expected`, otherwise what is wrong.
std::string BytesProblem(const fs::path& path, std::string_view expected) {
  if (!fs::exists(path)) return path.string() + " is missing";
  const ::testing::AssertionResult same = SameBytes(ReadFileBytes(path), expected);
  return same ? std::string() : path.string() + ": " + same.message();
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

void AddGestureRows() {
  QTest::addColumn<Gesture>("gesture");
  QTest::newRow("double-click") << Gesture::kDoubleClick;
  QTest::newRow("Return") << Gesture::kReturn;
  QTest::newRow("Enter") << Gesture::kEnter;
}

}  // namespace
}  // namespace holvane::ui

Q_DECLARE_METATYPE(holvane::ui::Gesture)
Q_DECLARE_METATYPE(holvane::ui::MessageIcon)

namespace holvane::ui {

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void layoutCaptionAndButton();
  void tabOrderAndFirstFocus();
  void driveChoiceMovesBothLists();
  void driveListIsReadAgainWhenItDropsDown();
  void unreadableDriveLeavesTheListsAlone();
  void highlightingAFolderDoesNotOpenIt();
  void openingAFolderMovesBothLists_data() { AddGestureRows(); }
  void openingAFolderMovesBothLists();
  void unlistableFolderLeavesTheListsAlone_data() { AddGestureRows(); }
  void unlistableFolderLeavesTheListsAlone();
  void fileListShowsOnlyWvlFiles();
  void doubleClickOnAFileOnlySelectsIt();
  void buttonConvertsExactlyTheSelection();
  void nothingToConvertSaysNothing_data();
  void nothingToConvertSaysNothing();
  void failedConversionStopsAndEnds_data();
  void failedConversionStopsAndEnds();
  void enterConvertsOnlyOnTheButton_data();
  void enterConvertsOnlyOnTheButton();
  void namesAreShownAndOpenedByTheirBytes_data();
  void namesAreShownAndOpenedByTheirBytes();
  void realMessageBox_data();
  void realMessageBox();

 private:
  static void Show(frmMain& window) {
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
  }
};

void MainWindowTest::layoutCaptionAndButton() {
  TempDir a;
  frmMain window({"/", a.path().string()}, a.path());
  Show(window);

  QCOMPARE(window.windowTitle(), QStringLiteral("Holvane by Kettrin"));
  QCOMPARE(window.size(), QSize(392, 287));
  QCOMPARE(window.minimumSize(), QSize(392, 287));
  QCOMPARE(window.maximumSize(), QSize(392, 287));

  const std::pair<QWidget*, QRect> controls[] = {
      {window.Drive1, QRect(8, 8, 185, 21)},
      {window.Dir1, QRect(8, 32, 185, 216)},
      {window.File1, QRect(200, 8, 185, 240)},
      {window.Command1, QRect(256, 256, 129, 25)},
  };
  for (const auto& [control, rect] : controls) {
    QCOMPARE(control->parentWidget(), &window);
    QVERIFY2(control->isVisible(), qPrintable(control->objectName()));
    QCOMPARE(control->geometry(), rect);
  }

  QCOMPARE(window.Command1->text(), QString::fromUtf8("Конвертировать"));
  QVERIFY(!window.Command1->isDefault());
  QVERIFY(!window.Command1->autoDefault());
}

void MainWindowTest::tabOrderAndFirstFocus() {
  TempDir a;
  fs::create_directory(a / "sub");
  WriteWvl(a / "a.wvl");
  frmMain window({"/", a.path().string()}, a.path());
  Show(window);
  window.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&window));

  QCOMPARE(QApplication::focusWidget(), window.Drive1);
  const QWidget* const forward[] = {window.Dir1, window.File1, window.Command1, window.Drive1};
  for (const QWidget* expected : forward) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), expected);
  }
  const QWidget* const backward[] = {window.Command1, window.File1, window.Dir1, window.Drive1};
  for (const QWidget* expected : backward) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), expected);
  }
}

// A medium mounted while the program runs appears the next time the list
// drops down; a chosen drive that has gone stays shown, as the user chose it.
void MainWindowTest::driveListIsReadAgainWhenItDropsDown() {
  RunTimeRecorder recorder;
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
  QCOMPARE(shown(), (QStringList{"/", Q(a.path())}));

  drives->push_back(b.path().string());
  window.Drive1->showPopup();
  window.Drive1->hidePopup();
  QCOMPARE(shown(), (QStringList{"/", Q(a.path()), Q(b.path())}));
  QCOMPARE(window.Drive1->Drive(), a.path());

  window.Drive1->setDrive(b.path());
  QCOMPARE(window.Dir1->Path(), b.path());
  drives->pop_back();
  window.Drive1->showPopup();
  window.Drive1->hidePopup();
  QCOMPARE(window.Drive1->Drive(), b.path());
  QCOMPARE(shown(), (QStringList{"/", Q(a.path()), Q(b.path())}));

  // Choosing the first drive again still goes back to where it was.
  window.Drive1->setDrive(a.path());
  QCOMPARE(window.Dir1->Path(), a.path());
  QCOMPARE(recorder.messages(), QStringList());
}

void MainWindowTest::driveChoiceMovesBothLists() {
  RunTimeRecorder recorder;
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
  QCOMPARE(window.Drive1->Drive(), drive_a);
  QCOMPARE(window.Dir1->Path(), a / "deep");
  QCOMPARE(window.File1->Path(), a / "deep");
  QCOMPARE(Entries(window.File1), QStringList{"one.wvl"});

  window.Drive1->setDrive(drive_b);
  QCOMPARE(window.Drive1->Drive(), drive_b);
  QCOMPARE(window.Dir1->Path(), drive_b);
  QCOMPARE(window.File1->Path(), drive_b);
  QCOMPARE(Entries(window.File1), QStringList{"two.wvl"});

  QTreeWidgetItem* sub = DirItem(window.Dir1, QStringLiteral("sub"));
  QVERIFY(sub != nullptr);
  OpenByUser(window.Dir1, sub, Gesture::kDoubleClick);
  QCOMPARE(window.Dir1->Path(), b / "sub");
  QCOMPARE(window.File1->Path(), b / "sub");
  QCOMPARE(Entries(window.File1), (QStringList{"Four.WVL", "three.wvl"}));

  // Each drive comes back to the folder last shown on it.
  window.Drive1->setDrive(drive_a);
  QCOMPARE(window.Dir1->Path(), a / "deep");
  QCOMPARE(Entries(window.File1), QStringList{"one.wvl"});
  window.Drive1->setDrive(drive_b);
  QCOMPARE(window.Dir1->Path(), b / "sub");
  QCOMPARE(window.File1->Path(), b / "sub");
  QCOMPARE(Entries(window.File1), (QStringList{"Four.WVL", "three.wvl"}));

  // A remembered folder that has gone since leads to the drive's root.
  window.Drive1->setDrive(drive_a);
  fs::remove_all(b / "sub");
  window.Drive1->setDrive(drive_b);
  QCOMPARE(window.Dir1->Path(), drive_b);
  QCOMPARE(Entries(window.File1), QStringList{"two.wvl"});

  QCOMPARE(recorder.messages(), QStringList());
}

void MainWindowTest::unreadableDriveLeavesTheListsAlone() {
  RunTimeRecorder recorder;
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

  QCOMPARE(recorder.messages(), QStringList{Message(MessageIcon::kExclamation, kDriveUnavailable)});
  QCOMPARE(window.Drive1->Drive(), missing);
  QCOMPARE(window.Dir1->Path(), drive_a);
  QCOMPARE(DirEntries(window.Dir1), dir_entries);
  QCOMPARE(window.File1->Path(), drive_a);
  QCOMPARE(Entries(window.File1), (QStringList{"a.wvl", "b.wvl", "c.wvl"}));
  QCOMPARE(SelectedIndexes(window.File1), (QList<int>{0, 2}));

  window.Command1->click();
  for (const char* name : {"a.wvl", "c.wvl"}) {
    const std::string problem = BytesProblem(OutputOf(a / name), RenderedText(EntriesFor(name)));
    QVERIFY2(problem.empty(), problem.c_str());
  }
  QVERIFY(!fs::exists(OutputOf(a / "b.wvl")));
  QCOMPARE(recorder.messages(), (QStringList{Message(MessageIcon::kExclamation, kDriveUnavailable),
                                             Message(MessageIcon::kInformation, Converted(2))}));

  // Going back to the drive the lists are on moves nothing and says nothing.
  window.Drive1->setDrive(drive_a);
  QCOMPARE(window.Drive1->Drive(), drive_a);
  QCOMPARE(window.Dir1->Path(), drive_a);
  QCOMPARE(recorder.messages().size(), 2);
  QCOMPARE(recorder.ends(), 0);
}

void MainWindowTest::highlightingAFolderDoesNotOpenIt() {
  RunTimeRecorder recorder;
  TempDir a;
  fs::create_directory(a / "one");
  fs::create_directory(a / "two");
  WriteWvl(a / "one" / "inner.wvl");
  WriteWvl(a / "top.wvl");
  frmMain window({"/", a.path().string()}, a.path());
  Show(window);

  QTreeWidgetItem* one = DirItem(window.Dir1, QStringLiteral("one"));
  QTreeWidgetItem* two = DirItem(window.Dir1, QStringLiteral("two"));
  QVERIFY(one != nullptr && two != nullptr);

  window.Dir1->setCurrentItem(two);
  QCOMPARE(window.Dir1->Path(), a.path());
  QTest::mouseClick(window.Dir1->viewport(), Qt::LeftButton, Qt::NoModifier,
                    window.Dir1->visualItemRect(one).center());
  QCOMPARE(window.Dir1->currentItem(), one);
  QCOMPARE(window.Dir1->Path(), a.path());
  QTest::keyClick(window.Dir1, Qt::Key_Down);
  QCOMPARE(window.Dir1->currentItem(), two);
  QCOMPARE(window.Dir1->Path(), a.path());

  QCOMPARE(window.File1->Path(), a.path());
  QCOMPARE(Entries(window.File1), QStringList{"top.wvl"});
  QCOMPARE(recorder.messages(), QStringList());
}

void MainWindowTest::openingAFolderMovesBothLists() {
  QFETCH(Gesture, gesture);
  RunTimeRecorder recorder;
  TempDir a;
  fs::create_directory(a / "one");
  fs::create_directory(a / "one" / "nested");
  fs::create_directory(a / "two");
  WriteWvl(a / "one" / "inner.wvl");
  WriteWvl(a / "top.wvl");
  frmMain window({"/", a.path().string()}, a.path());
  Show(window);

  QTreeWidgetItem* one = DirItem(window.Dir1, QStringLiteral("one"));
  QVERIFY(one != nullptr);
  OpenByUser(window.Dir1, one, gesture);
  QCOMPARE(window.Dir1->Path(), a / "one");
  QCOMPARE(window.File1->Path(), a / "one");
  QCOMPARE(Entries(window.File1), QStringList{"inner.wvl"});
  QVERIFY(DirItem(window.Dir1, QStringLiteral("nested")) != nullptr);
  QVERIFY(DirItem(window.Dir1, QStringLiteral("two")) == nullptr);

  // Back up through the ancestor shown above it.
  QTreeWidgetItem* parent = DirItem(window.Dir1, Q(a.path().filename()));
  QVERIFY(parent != nullptr);
  OpenByUser(window.Dir1, parent, gesture);
  QCOMPARE(window.Dir1->Path(), a.path());
  QCOMPARE(window.File1->Path(), a.path());
  QCOMPARE(Entries(window.File1), QStringList{"top.wvl"});

  QCOMPARE(recorder.messages(), QStringList());
}

void MainWindowTest::unlistableFolderLeavesTheListsAlone() {
  QFETCH(Gesture, gesture);
  RunTimeRecorder recorder;
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
  QVERIFY(gone != nullptr);

  // Permissions do not stop the root user the tests may run as; removal does.
  fs::remove_all(a / "gone");
  OpenByUser(window.Dir1, gone, gesture);

  QCOMPARE(recorder.messages(),
           QStringList{Message(MessageIcon::kExclamation, kFolderUnavailable)});
  QCOMPARE(window.Dir1->Path(), a.path());
  QCOMPARE(DirEntries(window.Dir1), dir_entries);
  QCOMPARE(window.File1->Path(), a.path());
  QCOMPARE(Entries(window.File1), (QStringList{"a.wvl", "b.wvl"}));
  QCOMPARE(SelectedIndexes(window.File1), QList<int>{1});
  QCOMPARE(recorder.ends(), 0);
}

void MainWindowTest::fileListShowsOnlyWvlFiles() {
  TempDir a;
  for (const char* name : {"c.Wvl", "a.wvl", "B.WVL", "x.wvl.txt", "notes.txt", ".h.wvl"}) {
    WriteWvl(a / name);
  }
  fs::create_directory(a / "dir.wvl");
  frmMain window({"/", a.path().string()}, a.path());
  Show(window);

  QCOMPARE(Entries(window.File1), (QStringList{"a.wvl", "B.WVL", "c.Wvl"}));
  QCOMPARE(window.File1->selectionMode(), QAbstractItemView::ExtendedSelection);
  QCOMPARE(SelectedIndexes(window.File1), QList<int>());
}

void MainWindowTest::doubleClickOnAFileOnlySelectsIt() {
  RunTimeRecorder recorder;
  TempDir a;
  for (const char* name : {"a.wvl", "b.wvl", "c.wvl"}) WriteWvl(a / name);
  const std::set<std::string> before = Listing(a.path());
  frmMain window({"/", a.path().string()}, a.path());
  Show(window);
  window.File1->setSelected(0, true);

  QListWidgetItem* item = window.File1->item(1);
  DoubleClick(window.File1->viewport(), window.File1->visualItemRect(item).center());

  QCOMPARE(SelectedIndexes(window.File1), QList<int>{1});
  QCOMPARE(Listing(a.path()), before);
  QCOMPARE(recorder.messages(), QStringList());
}

void MainWindowTest::buttonConvertsExactlyTheSelection() {
  RunTimeRecorder recorder;
  TempDir a;
  const char* const names[] = {"e1.wvl", "e2.wvl", "e3.wvl", "e4.wvl", "e5.wvl"};
  for (const char* name : names) WriteWvl(a / name);
  frmMain window({"/", a.path().string()}, a.path());
  Show(window);
  for (int index : {4, 0, 2}) window.File1->setSelected(index, true);

  QTest::mouseClick(window.Command1, Qt::LeftButton);

  QCOMPARE(recorder.messages(), QStringList{Message(MessageIcon::kInformation, Converted(3))});
  QCOMPARE(recorder.ends(), 0);
  for (int index : {0, 2, 4}) {
    const std::string problem =
        BytesProblem(OutputOf(a / names[index]), RenderedText(EntriesFor(names[index])));
    QVERIFY2(problem.empty(), problem.c_str());
  }
  std::set<std::string> expected_files(std::begin(names), std::end(names));
  for (int index : {0, 2, 4}) expected_files.insert(std::string(names[index]) + ".txt");
  QCOMPARE(Listing(a.path()), expected_files);

  // The list is not read again: the new text files do not appear, and the
  // selection is there for another press.
  QCOMPARE(Entries(window.File1), (QStringList{"e1.wvl", "e2.wvl", "e3.wvl", "e4.wvl", "e5.wvl"}));
  QCOMPARE(SelectedIndexes(window.File1), (QList<int>{0, 2, 4}));
}

void MainWindowTest::nothingToConvertSaysNothing_data() {
  QTest::addColumn<bool>("with_files");
  QTest::newRow("nothing selected") << true;
  QTest::newRow("empty folder") << false;
}

void MainWindowTest::nothingToConvertSaysNothing() {
  QFETCH(bool, with_files);
  RunTimeRecorder recorder;
  TempDir a;
  if (with_files) {
    for (const char* name : {"a.wvl", "b.wvl"}) WriteWvl(a / name);
  }
  const std::set<std::string> before = Listing(a.path());
  frmMain window({"/", a.path().string()}, a.path());
  Show(window);
  QCOMPARE(window.File1->ListCount(), with_files ? 2 : 0);

  window.Command1->click();

  QCOMPARE(Listing(a.path()), before);
  QCOMPARE(recorder.messages(), QStringList());
  QCOMPARE(recorder.ends(), 0);
}

void MainWindowTest::failedConversionStopsAndEnds_data() {
  QTest::addColumn<bool>("truncated_stream");
  QTest::newRow("not a zlib stream") << false;
  QTest::newRow("truncated record stream") << true;
}

void MainWindowTest::failedConversionStopsAndEnds() {
  QFETCH(bool, truncated_stream);
  RunTimeRecorder recorder;
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
  QCOMPARE(Entries(window.File1), (QStringList{"first.wvl", "second.wvl", "third.wvl"}));
  // Chosen backwards, so the order of the selection cannot stand in for the
  // order of the list.
  for (int index : {2, 1, 0}) window.File1->setSelected(index, true);

  window.Command1->click();

  QCOMPARE(recorder.messages(), QStringList{Message(MessageIcon::kCritical, kFatal)});
  QCOMPARE(recorder.ends(), 1);
  const std::string problem =
      BytesProblem(OutputOf(a / "first.wvl"), RenderedText(EntriesFor("first.wvl")));
  QVERIFY2(problem.empty(), problem.c_str());
  QVERIFY(!fs::exists(TemporaryOf(a / "first.wvl")));
  QVERIFY(!fs::exists(OutputOf(a / "third.wvl")));
  QVERIFY(!fs::exists(TemporaryOf(a / "third.wvl")));
  if (truncated_stream) {
    const std::string partial = BytesProblem(OutputOf(a / "second.wvl"), RenderedText(kept));
    QVERIFY2(partial.empty(), partial.c_str());
    const std::string temporary = BytesProblem(TemporaryOf(a / "second.wvl"), stream);
    QVERIFY2(temporary.empty(), temporary.c_str());
  } else {
    QVERIFY(!fs::exists(OutputOf(a / "second.wvl")));
    QVERIFY(!fs::exists(TemporaryOf(a / "second.wvl")));
  }
}

void MainWindowTest::enterConvertsOnlyOnTheButton_data() {
  QTest::addColumn<int>("key");
  QTest::newRow("Return") << int{Qt::Key_Return};
  QTest::newRow("Enter") << int{Qt::Key_Enter};
}

// Enter presses the button only while it has the focus, as Space does: in the
// file list it converts nothing.
void MainWindowTest::enterConvertsOnlyOnTheButton() {
  QFETCH(int, key);
  RunTimeRecorder recorder;
  TempDir a;
  WriteWvl(a / "a.wvl");
  const std::set<std::string> before = Listing(a.path());
  frmMain window({"/", a.path().string()}, a.path());
  Show(window);
  window.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&window));
  window.File1->setFocus();
  window.File1->setCurrentRow(0);
  window.File1->setSelected(0, true);

  QTest::keyClick(window.File1, static_cast<Qt::Key>(key));

  QCOMPARE(Listing(a.path()), before);
  QCOMPARE(recorder.messages(), QStringList());
  QVERIFY(window.File1->Selected(0));

  window.Command1->setFocus();
  QCOMPARE(QApplication::focusWidget(), window.Command1);
  QTest::keyClick(window.Command1, static_cast<Qt::Key>(key));

  QCOMPARE(recorder.messages(), QStringList{Message(MessageIcon::kInformation, Converted(1))});
  const std::string problem =
      BytesProblem(OutputOf(a / "a.wvl"), RenderedText(EntriesFor("a.wvl")));
  QVERIFY2(problem.empty(), problem.c_str());
  QCOMPARE(recorder.ends(), 0);
}

void MainWindowTest::namesAreShownAndOpenedByTheirBytes_data() {
  QTest::addColumn<QByteArray>("folder");
  QTest::addColumn<QByteArray>("file");
  QTest::newRow("UTF-8") << QByteArray("Папка") << QByteArray("Привет.wvl");
  // A machine whose names are in code page 1251 wrote these.
  QTest::newRow("code page 1251") << QByteArray("\xCF\xE0\xEF\xEA\xE0")
                                  << QByteArray("\xCF\xF0\xE8\xE2\xE5\xF2.wvl");
}

// Every list shows «Папка» and «Привет.wvl» whichever bytes name them, and
// the conversion opens and writes the exact bytes.
void MainWindowTest::namesAreShownAndOpenedByTheirBytes() {
  QFETCH(QByteArray, folder);
  QFETCH(QByteArray, file);
  RunTimeRecorder recorder;
  TempDir a;
  const fs::path inner = a / folder.toStdString();
  const std::string name = file.toStdString();
  fs::create_directory(inner);
  WriteWvl(inner / name);
  frmMain window({"/", a.path().string(), inner.string()}, a.path());
  Show(window);
  QCOMPARE(window.Drive1->itemText(2), Q(a.path()) + QString::fromUtf8("/Папка"));

  QTreeWidgetItem* item = DirItem(window.Dir1, QString::fromUtf8("Папка"));
  QVERIFY(item != nullptr);
  OpenByUser(window.Dir1, item, Gesture::kReturn);
  QCOMPARE(window.Dir1->Path(), inner);
  QCOMPARE(window.File1->Path(), inner);
  QCOMPARE(Entries(window.File1), QStringList{QString::fromUtf8("Привет.wvl")});
  window.File1->setSelected(0, true);

  window.Command1->click();

  QCOMPARE(recorder.messages(), QStringList{Message(MessageIcon::kInformation, Converted(1))});
  const std::string problem = BytesProblem(inner / (name + ".txt"), RenderedText(EntriesFor(name)));
  QVERIFY2(problem.empty(), problem.c_str());
  QCOMPARE(Listing(inner), (std::set<std::string>{name, name + ".txt"}));
}

void MainWindowTest::realMessageBox_data() {
  QTest::addColumn<MessageIcon>("icon");
  QTest::addColumn<QMessageBox::Icon>("qt_icon");
  QTest::newRow("information") << MessageIcon::kInformation << QMessageBox::Information;
  QTest::newRow("exclamation") << MessageIcon::kExclamation << QMessageBox::Warning;
  QTest::newRow("critical") << MessageIcon::kCritical << QMessageBox::Critical;
}

void MainWindowTest::realMessageBox() {
  QFETCH(MessageIcon, icon);
  QFETCH(QMessageBox::Icon, qt_icon);
  // An empty handler puts the real one in.
  MessageHandler previous = SetMessageHandler({});
  const auto restore = qScopeGuard([&] { SetMessageHandler(std::move(previous)); });

  struct Seen {
    bool found = false;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
  } seen;
  // Polls until the box is up, then reads and closes it; after about five
  // seconds it closes whatever modal window there is, so the test cannot hang.
  QTimer poll;
  poll.setInterval(5);
  int ticks = 0;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      poll.stop();
      seen = {true, box->windowTitle(), box->text(), box->icon(), box->standardButtons()};
      if (QAbstractButton* ok = box->button(QMessageBox::Ok)) {
        QTest::mouseClick(ok, Qt::LeftButton);
      } else {
        box->close();
      }
    } else if (++ticks > 1000) {
      poll.stop();
      if (modal != nullptr) modal->close();
    }
  });
  poll.start();
  const QString text = QString::fromUtf8("Проверка окна сообщения");
  ShowMessage(nullptr, text, icon);
  poll.stop();

  QVERIFY(seen.found);
  QCOMPARE(seen.title, QStringLiteral("Holvane by Kettrin"));
  QCOMPARE(seen.text, text);
  QCOMPARE(seen.icon, qt_icon);
  QCOMPARE(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
  QCOMPARE(QApplication::activeModalWidget(), nullptr);
}

}  // namespace holvane::ui

QTEST_MAIN(holvane::ui::MainWindowTest)
#include "main_window_test.moc"
