// SPDX-License-Identifier: MIT
#ifndef HOLVANE_MAIN_WINDOW_QT_HOST_H_
#define HOLVANE_MAIN_WINDOW_QT_HOST_H_

#include "main_window/host.h"

class QWidget;

namespace holvane::ui {

// The window's host under Qt: QMessageBox for the messages, the override
// cursor while busy, and the end of the event loop.
class QtHost final : public Host {
 public:
  // Message boxes are centred on `parent`, which may be null.
  explicit QtHost(QWidget* parent) : parent_(parent) {}

  void ShowMessage(const std::string& text, MessageIcon icon) override;
  void SetBusy(bool busy) override;
  // Closes every window and stops the event loop with status 1.
  void EndProgram() override;

 private:
  QWidget* parent_;
};

}  // namespace holvane::ui

#endif  // HOLVANE_MAIN_WINDOW_QT_HOST_H_
