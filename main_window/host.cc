// SPDX-License-Identifier: MIT
#include "main_window/host.h"

#include <QApplication>
#include <QMessageBox>
#include <utility>

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

void ShowQtMessageBox(QWidget* parent, const QString& text, MessageIcon icon) {
  QMessageBox box(ToQt(icon), QString::fromUtf8(kCaption), text, QMessageBox::Ok, parent);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

void EndQtApplication() {
  // No file is open by now: every one belongs to a call that has unwound.
  QApplication::closeAllWindows();
  QCoreApplication::exit(1);
}

MessageHandler& CurrentMessageHandler() {
  static MessageHandler handler = ShowQtMessageBox;
  return handler;
}

EndHandler& CurrentEndHandler() {
  static EndHandler handler = EndQtApplication;
  return handler;
}

}  // namespace

void ShowMessage(QWidget* parent, const QString& text, MessageIcon icon) {
  CurrentMessageHandler()(parent, text, icon);
}

void ReportUntrappedError(QWidget* parent) {
  // The only failures that reach here are folders that cannot be listed; the
  // message speaks of the folder, like the drive's speaks of the drive.
  ShowMessage(parent, QString::fromUtf8("Папка недоступна!"), MessageIcon::kExclamation);
}

void EndApplication() { CurrentEndHandler()(); }

MessageHandler SetMessageHandler(MessageHandler handler) {
  if (!handler) handler = ShowQtMessageBox;
  return std::exchange(CurrentMessageHandler(), std::move(handler));
}

EndHandler SetEndHandler(EndHandler handler) {
  if (!handler) handler = EndQtApplication;
  return std::exchange(CurrentEndHandler(), std::move(handler));
}

}  // namespace holvane::ui
