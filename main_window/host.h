// SPDX-License-Identifier: MIT
#ifndef HOLVANE_MAIN_WINDOW_HOST_H_
#define HOLVANE_MAIN_WINDOW_HOST_H_

#include <string>

// The window's host: what the window's logic needs of the program around it
// beyond its four controls, namely modal message boxes, a wait cursor and the
// end of the program. Each view brings its own (a QMessageBox, a MessageBoxW),
// and the tests one that records. (Not to be confused with
// common/run_time_error.h, the failure type every layer throws.)
namespace holvane::ui {

// The window's caption, also the title of every message box.
inline constexpr char kCaption[] = "Holvane by Kettrin";

enum class MessageIcon { kInformation, kExclamation, kCritical };

class Host {
 public:
  // Shows a modal box with `text` (UTF-8), the icon, an OK button only and
  // the title kCaption, and returns when the user has closed it.
  virtual void ShowMessage(const std::string& text, MessageIcon icon) = 0;

  // Shows that the window takes no input (a wait cursor) from SetBusy(true)
  // until SetBusy(false). No message is shown in between.
  virtual void SetBusy(bool busy) = 0;

  // Ends the program after a fatal error, with exit status 1, once the
  // handler that calls it has returned. No file is open by then: every one
  // belongs to a call that has unwound.
  virtual void EndProgram() = 0;

  // The window's fixed messages, each in one place with its icon. None names
  // the cause or the path: the window says what a person can act on.
  // A folder a list moved to cannot be listed; the program goes on.
  void ReportFolderUnavailable() { ShowMessage("Папка недоступна!", MessageIcon::kExclamation); }
  // The drive chosen in the drive list cannot be listed; the program goes on.
  void ReportDriveUnavailable() { ShowMessage("Диск недоступен!", MessageIcon::kExclamation); }
  // Any other failure of a user's action (a conversion that failed, memory
  // run out): says so, then EndProgram.
  void ReportFatalError() {
    ShowMessage(kFatalError, MessageIcon::kCritical);
    EndProgram();
  }
  // The text ReportFatalError shows, also for a window that never came up.
  static constexpr char kFatalError[] = "Произошла непоправимая ошибка и приложение будет закрыто!";

 protected:
  ~Host() = default;
};

}  // namespace holvane::ui

#endif  // HOLVANE_MAIN_WINDOW_HOST_H_
