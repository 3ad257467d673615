// SPDX-License-Identifier: MIT
#ifndef HOLVANE_MAIN_WINDOW_QT_TEST_PRINTERS_H_
#define HOLVANE_MAIN_WINDOW_QT_TEST_PRINTERS_H_

// How GoogleTest prints the Qt values the window's tests compare, when a
// comparison fails. (Lists of them, QStringList, QList<int>, print as
// containers of these.) In the global namespace, Qt's, for lookup to find.

#include <QRect>
#include <QSize>
#include <QString>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QSize& size, std::ostream* out) {
  *out << "QSize(" << size.width() << ", " << size.height() << ')';
}

inline void PrintTo(const QRect& rect, std::ostream* out) {
  *out << "QRect(" << rect.x() << ", " << rect.y() << ", " << rect.width() << ", " << rect.height()
       << ')';
}

#endif  // HOLVANE_MAIN_WINDOW_QT_TEST_PRINTERS_H_
