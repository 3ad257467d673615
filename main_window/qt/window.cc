// SPDX-License-Identifier: MIT
#include "main_window/qt/window.h"

#include <QFile>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QStorageInfo>

#include "main_window/design.h"
#include "main_window/paths.h"
#include "main_window/qt/lists.h"

namespace holvane::ui {

namespace {

// The design's twips in Qt's device-independent pixels, which Qt scales on
// denser screens.
QRect PixelRect(design::TwipRect rect) {
  return QRect(design::Px(rect.left), design::Px(rect.top), design::Px(rect.width),
               design::Px(rect.height));
}

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

}  // namespace

QtWindow::QtWindow(QWidget* parent)
    : QtWindow(DriveSource(MountedDrives), CurrentFolder(), nullptr, parent) {}

QtWindow::QtWindow(const std::vector<text::NativeName>& drives,
                   const std::filesystem::path& start_folder, Host* host, QWidget* parent)
    : QtWindow(DriveSource([drives] { return drives; }), start_folder, host, parent) {}

QtWindow::QtWindow(const DriveSource& drives, const std::filesystem::path& start_folder, Host* host,
                   QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      Drive1(new QtDriveList(this)),
      Dir1(new QtDirList(this)),
      File1(new QtFileList(this)),
      Command1(new CommandButton(QString::fromUtf8(design::kCommand1Caption), this)),
      own_host_(this),
      form_(drives, start_folder, *Drive1, *Dir1, *File1, host != nullptr ? *host : own_host_) {
  setWindowTitle(QString::fromUtf8(kCaption));
  setFixedSize(design::Px(design::kClientWidth), design::Px(design::kClientHeight));

  Drive1->setObjectName(QStringLiteral("Drive1"));
  Dir1->setObjectName(QStringLiteral("Dir1"));
  File1->setObjectName(QStringLiteral("File1"));
  Command1->setObjectName(QStringLiteral("Command1"));

  Drive1->setGeometry(PixelRect(design::kDrive1));
  Dir1->setGeometry(PixelRect(design::kDir1));
  File1->setGeometry(PixelRect(design::kFile1));
  Command1->setGeometry(PixelRect(design::kCommand1));

  // Enter in another control must not press the button (Enter on the button
  // itself does, see CommandButton).
  Command1->setAutoDefault(false);
  Command1->setDefault(false);

  setTabOrder(Drive1, Dir1);
  setTabOrder(Dir1, File1);
  setTabOrder(File1, Command1);
  Drive1->setFocus();

  Drive1->Attach(form_.Drive1);
  Dir1->Attach(form_.Dir1);
  File1->Attach(form_.File1);
  connect(Command1, &QPushButton::clicked, this, [this] { form_.Command1_Click(); });
}

QtWindow::~QtWindow() = default;

Volume DescribeVolume(const QStorageInfo& storage) {
  // Qt's own conversion to a path: the UTF-8 bytes on Linux, as
  // QFile::encodeName gives them, and the UTF-16 on Windows. Exact for every
  // name Qt gives back: Qt decodes a Linux name as UTF-8, so a name that is
  // not is already lost in the QString (its bytes shown as U+FFFD), and the
  // QString never holds a lone surrogate, the one thing the conversion
  // refuses (it throws rather than guess).
  return {QFile(storage.rootPath()).filesystemFileName().native(),
          storage.fileSystemType().toStdString(), storage.isValid(), storage.isReady(),
          storage.isReadOnly()};
}

std::vector<text::NativeName> MountedDrives() {
  std::vector<Volume> volumes;
  for (const QStorageInfo& storage : QStorageInfo::mountedVolumes()) {
    volumes.push_back(DescribeVolume(storage));
  }
  return SelectDrives(volumes);
}

void QtWindow::showEvent(QShowEvent* event) {
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

}  // namespace holvane::ui
