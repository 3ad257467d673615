// SPDX-License-Identifier: MIT
#include <QApplication>
#include <QIcon>

#include "main_window/qt/window.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Holvane"));
  QApplication::setApplicationVersion(QStringLiteral(HOLVANE_VERSION));
  QGuiApplication::setDesktopFileName(QStringLiteral("org.example.holvane"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/holvane.ico")));

  holvane::ui::QtWindow window;
  window.show();
  return QApplication::exec();
}
