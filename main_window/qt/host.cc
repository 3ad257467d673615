// SPDX-License-Identifier: MIT
#include "main_window/qt/host.h"

#include <QApplication>
#include <QMessageBox>

namespace holvane::ui {

namespace {

QMessageBox::Icon ToQt(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::kInformation:
      return QMessageBox::Information;
    case MessageIcon::kExclamation:
      return QMessageBox::Warning;
    case MessageIcon::kCritical:
      return QMessageBox::Critical;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

void QtHost::ShowMessage(const std::string& text, MessageIcon icon) {
  QMessageBox box(ToQt(icon), QString::fromUtf8(kCaption), QString::fromStdString(text),
                  QMessageBox::Ok, parent_);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

void QtHost::SetBusy(bool busy) {
  if (busy) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
}

void QtHost::EndProgram() {
  QApplication::closeAllWindows();
  QCoreApplication::exit(1);
}

}  // namespace holvane::ui
