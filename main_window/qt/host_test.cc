// SPDX-License-Identifier: MIT
// The real message box behind QtHost::ShowMessage, looked at while it is up.
// (The window's tests put a recorder in its place.)
#include "main_window/qt/host.h"

#include <QtTest/qtestmouse.h>
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <ostream>

#include "main_window/qt/test_printers.h"

namespace holvane::ui {
namespace {

struct IconCase {
  const char* name;
  MessageIcon icon;
  QMessageBox::Icon qt_icon;
};

void PrintTo(const IconCase& c, std::ostream* out) { *out << c.name; }

class HostShowMessage : public ::testing::TestWithParam<IconCase> {};

TEST_P(HostShowMessage, RealMessageBox) {
  const IconCase& c = GetParam();
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
  QtHost host(nullptr);
  host.ShowMessage(text.toStdString(), c.icon);
  poll.stop();

  ASSERT_TRUE(seen.found);
  EXPECT_EQ(seen.title, QStringLiteral("Holvane by Kettrin"));
  EXPECT_EQ(seen.text, text);
  EXPECT_EQ(seen.icon, c.qt_icon);
  EXPECT_EQ(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Icons, HostShowMessage,
    ::testing::Values(IconCase{"Information", MessageIcon::kInformation, QMessageBox::Information},
                      IconCase{"Exclamation", MessageIcon::kExclamation, QMessageBox::Warning},
                      IconCase{"Critical", MessageIcon::kCritical, QMessageBox::Critical}),
    [](const ::testing::TestParamInfo<IconCase>& info) { return info.param.name; });

}  // namespace
}  // namespace holvane::ui
