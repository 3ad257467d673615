// SPDX-License-Identifier: MIT
// The Qt window, holvane, timed as a whole process: its start, and a folder
// converted through it (the modes are in window_bench.h).
//
//   cmake --build build --target holvane_window_bench holvane_make_workload
//   build/bench/holvane_make_workload folder short 2000 1 /dev/shm/small
//   build/bench/holvane_window_bench start
//   build/bench/holvane_window_bench folder /dev/shm/small
//
// On the platform Qt picks: xcb on the display in DISPLAY, or none at all
// with QT_QPA_PLATFORM=offscreen.
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QEvent>
#include <QIcon>
#include <QPushButton>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string_view>
#include <utility>

#include "bench/window_bench.h"
#include "main_window/qt/host.h"
#include "main_window/qt/lists.h"
#include "main_window/qt/window.h"

namespace {

// Calls `then` once: the first time the event loop is about to wait for
// events after `window` has been painted, i.e. once the window is on the
// screen and nothing is left for it to do.
class WhenShownAndIdle final : public QObject {
 public:
  WhenShownAndIdle(QWidget& window, std::function<void()> then) : then_(std::move(then)) {
    window.installEventFilter(this);
    waiting_ = connect(QAbstractEventDispatcher::instance(),
                       &QAbstractEventDispatcher::aboutToBlock, this, [this] {
                         if (!painted_) return;
                         disconnect(waiting_);
                         then_();
                       });
  }

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) painted_ = true;
    return false;
  }

 private:
  std::function<void()> then_;
  QMetaObject::Connection waiting_;
  bool painted_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  const std::string_view mode = argc > 1 ? argv[1] : "";
  if (!((mode == "start" && argc == 2) || (mode == "folder" && argc == 3))) {
    std::fputs(holvane::bench::kWindowBenchUsage, stderr);
    return 2;
  }
  const std::filesystem::path folder = mode == "folder" ? argv[2] : "";

  // As main_window/qt/main.cc sets the program up.
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Holvane"));
  QApplication::setApplicationVersion(QStringLiteral(HOLVANE_VERSION));
  QGuiApplication::setDesktopFileName(QStringLiteral("org.example.holvane"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/holvane.ico")));

  if (mode == "start") {
    holvane::ui::QtWindow window;
    window.show();
    const WhenShownAndIdle idle(window, [] { QCoreApplication::exit(0); });
    return QApplication::exec();
  }

  holvane::ui::QtHost view_host(nullptr);
  holvane::bench::AcceptingHost host(view_host);
  holvane::ui::QtWindow window(holvane::ui::DriveSource(holvane::ui::MountedDrives),
                               std::filesystem::absolute(folder), &host);
  window.show();
  const WhenShownAndIdle idle(window, [&] {
    window.File1->selectAll();
    window.Command1->click();
    QCoreApplication::exit(host.Verdict(window.Form().File1.ListCount()));
  });
  return QApplication::exec();
}
