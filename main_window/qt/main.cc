// SPDX-License-Identifier: MIT
#include <QApplication>
#include <QByteArray>
#include <QIcon>
#include <QList>
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "main_window/qt/window.h"

namespace {

// Where the platform's own messages went before the window could start.
QtMessageHandler ordinary_handler = nullptr;

struct HeldMessage {
  QtMsgType type;
  QString category;
  QString text;
};
QList<HeldMessage>& HeldMessages() {
  static QList<HeldMessage> held;
  return held;
}

// While the application starts, the platform's messages are held back: on a
// machine without a display, Qt says why in several lines, then aborts with
// advice to reinstall the program. A person is told in one line what is
// missing and how to run the window anyway, and the run fails (status 1)
// instead of ending in a crash. A start that succeeds passes on what was
// held.
void StartingHandler(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (type == QtFatalMsg && text.contains(QStringLiteral("platform plugin"))) {
    std::fputs(
        "holvane: окно не открыть: нет доступного дисплея (DISPLAY, WAYLAND_DISPLAY); "
        "под виртуальным дисплеем его запускает xvfb-run holvane\n",
        stderr);
    std::fflush(stderr);
    std::_Exit(1);
  }
  if (type == QtFatalMsg) {
    ordinary_handler(type, context, text);
    return;
  }
  HeldMessages().append({type, QString::fromUtf8(context.category), text});
}

}  // namespace

int main(int argc, char** argv) {
  ordinary_handler = qInstallMessageHandler(StartingHandler);
  QApplication app(argc, argv);
  qInstallMessageHandler(ordinary_handler);
  for (const HeldMessage& message : std::as_const(HeldMessages())) {
    const QByteArray category = message.category.toUtf8();
    ordinary_handler(message.type, QMessageLogContext(nullptr, 0, nullptr, category.constData()),
                     message.text);
  }
  HeldMessages().clear();

  QApplication::setApplicationName(QStringLiteral("Holvane"));
  QApplication::setApplicationVersion(QStringLiteral(HOLVANE_VERSION));
  QGuiApplication::setDesktopFileName(QStringLiteral("org.example.holvane"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/holvane.ico")));

  holvane::ui::QtWindow window;
  window.show();
  return QApplication::exec();
}
