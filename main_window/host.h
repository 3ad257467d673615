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

 protected:
  ~Host() = default;
};

// Reports a failure that left a user's action on a list without being caught
// (a folder that cannot be listed): a message in the program's voice, after
// which the program goes on. The message is always the same fixed text, as
// every message of the window is: it names neither the cause nor the folder,
// so the failure itself is not asked for.
void ReportUntrappedError(Host& host);

}  // namespace holvane::ui

#endif  // HOLVANE_MAIN_WINDOW_HOST_H_
