// SPDX-License-Identifier: MIT
#include "main_window/frm_main.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <system_error>

#include "conversion/convert_file.h"
#include "conversion/messages.h"
#include "main_window/dir_list_box.h"
#include "main_window/drive_list_box.h"
#include "main_window/drives.h"
#include "main_window/file_list_box.h"
#include "main_window/host.h"
#include "main_window/paths.h"

namespace holvane::ui {

namespace {

// The window's design is given in twips; at 96 dots per inch 15 twips make a
// pixel, and Qt's device-independent pixels scale that on denser screens.
constexpr int Px(int twips) { return twips / 15; }

QRect TwipRect(int left, int top, int width, int height) {
  return QRect(Px(left), Px(top), Px(width), Px(height));
}

// The wait cursor for the length of a conversion, which takes no input.
class WaitCursor {
 public:
  WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QApplication::restoreOverrideCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

// A command button as on the platform the window's design comes from: while
// it has the focus, Enter presses it, as Space does. It is neither the
// default button nor an auto-default one, so Enter in another control does
// not press it.
class CommandButton : public QPushButton {
 public:
  using QPushButton::QPushButton;

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
      click();
      event->accept();
      return;
    }
    QPushButton::keyPressEvent(event);
  }
};

// The program's current folder; the system's root when it has none (it was
// removed, say), where the folder list would go anyway.
std::filesystem::path CurrentFolder() {
  std::error_code error;
  std::filesystem::path folder = std::filesystem::current_path(error);
  return error ? SystemRoot() : folder;
}

}  // namespace

frmMain::frmMain(QWidget* parent) : frmMain(DriveSource(MountedDrives), CurrentFolder(), parent) {}

frmMain::frmMain(const std::vector<text::NativeName>& drives,
                 const std::filesystem::path& start_folder, QWidget* parent)
    : frmMain(DriveSource([drives] { return drives; }), start_folder, parent) {}

frmMain::frmMain(const DriveSource& drives, const std::filesystem::path& start_folder,
                 QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      Drive1(new DriveListBox(drives, start_folder, this)),
      Dir1(new DirListBox(drives, start_folder, this)),
      File1(new FileListBox(Dir1->Path(), this)),
      Command1(new CommandButton(QString::fromUtf8("Конвертировать"), this)) {
  setWindowTitle(QString::fromUtf8(kCaption));
  setFixedSize(Px(5880), Px(4305));

  Drive1->setObjectName(QStringLiteral("Drive1"));
  Dir1->setObjectName(QStringLiteral("Dir1"));
  File1->setObjectName(QStringLiteral("File1"));
  Command1->setObjectName(QStringLiteral("Command1"));

  Drive1->setGeometry(TwipRect(120, 120, 2775, 315));
  Dir1->setGeometry(TwipRect(120, 480, 2775, 3240));
  File1->setGeometry(TwipRect(3000, 120, 2775, 3600));
  Command1->setGeometry(TwipRect(3840, 3840, 1935, 375));

  // Enter in another control must not press the button (Enter on the button
  // itself does, see CommandButton).
  Command1->setAutoDefault(false);
  Command1->setDefault(false);

  setTabOrder(Drive1, Dir1);
  setTabOrder(Dir1, File1);
  setTabOrder(File1, Command1);
  Drive1->setFocus();

  Drive1->Change.Connect(this, &frmMain::Drive1_Change);
  Dir1->Change.Connect(this, &frmMain::Dir1_Change);
  connect(Command1, &QPushButton::clicked, this, &frmMain::Command1_Click);
}

frmMain::~frmMain() = default;

void frmMain::showEvent(QShowEvent* event) {
  if (!shown_before_) {
    shown_before_ = true;
    if (const QScreen* screen = this->screen()) {
      QRect frame = frameGeometry();
      frame.moveCenter(screen->availableGeometry().center());
      move(frame.topLeft());
    }
  }
  QWidget::showEvent(event);
}

void frmMain::Drive1_Change() {
  try {
    Dir1->setPath(Drive1->Drive());
  } catch (...) {
    ShowMessage(this, QString::fromUtf8("Диск недоступен!"), MessageIcon::kExclamation);
  }
}

void frmMain::Dir1_Change() { File1->setPath(Dir1->Path()); }

void frmMain::Command1_Click() {
  try {
    std::int32_t count = 0;
    {
      WaitCursor wait;
      const int last = File1->ListCount() - 1;
      for (int index = 0; index <= last; ++index) {
        if (!File1->Selected(index)) continue;
        ++count;
        ConvertFile(File1->Path(), File1->FileName(index), zlib_);
      }
    }
    if (count > 0) {
      ShowMessage(this, QString::fromStdString(ConvertedCountLine(count)),
                  MessageIcon::kInformation);
    }
  } catch (...) {
    ShowMessage(this,
                QString::fromUtf8("Произошла непоправимая ошибка и приложение будет закрыто!"),
                MessageIcon::kCritical);
    EndApplication();
  }
}

}  // namespace holvane::ui
