// SPDX-License-Identifier: MIT
#ifndef HOLVANE_MAIN_WINDOW_WIN32_HOST_H_
#define HOLVANE_MAIN_WINDOW_WIN32_HOST_H_

#include <windows.h>

#include "main_window/host.h"

namespace holvane::ui {

// The window's host under Win32: MessageBoxW for the messages, the wait
// cursor while busy, and WM_QUIT with status 1 for the end.
class Win32Host final : public Host {
 public:
  // Message boxes are owned by `owner` (null: none), which may be set later,
  // once the window exists.
  explicit Win32Host(HWND owner = nullptr) : owner_(owner) {}
  void SetOwner(HWND owner) { owner_ = owner; }

  void ShowMessage(const std::string& text, MessageIcon icon) override;
  // No message is pumped while busy, so the cursor set here stays until
  // SetBusy(false) puts the previous one back.
  void SetBusy(bool busy) override;
  // Posts WM_QUIT with status 1: the message loop ends once the handler has
  // returned, and the window is destroyed with its owner's scope.
  void EndProgram() override;

 private:
  HWND owner_;
  HCURSOR before_busy_ = nullptr;
};

}  // namespace holvane::ui

#endif  // HOLVANE_MAIN_WINDOW_WIN32_HOST_H_
