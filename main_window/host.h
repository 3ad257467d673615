// SPDX-License-Identifier: MIT
#ifndef HOLVANE_MAIN_WINDOW_HOST_H_
#define HOLVANE_MAIN_WINDOW_HOST_H_

#include <QString>
#include <functional>

class QWidget;

// The window's host: what the window needs of the application around it
// beyond Qt itself, namely modal message boxes, the report of a failure that
// no handler catches, and the end of the application. Each goes through a
// replaceable handler so tests can watch it. (Not to be confused with
// common/run_time_error.h, the failure type every layer throws.)
namespace holvane::ui {

// The window's caption, also the title of every message box.
inline constexpr char kCaption[] = "Holvane by Kettrin";

enum class MessageIcon { kInformation, kExclamation, kCritical };

// Shows a modal box with `text`, the icon, an OK button only and the title
// kCaption, and returns when the user has closed it.
void ShowMessage(QWidget* parent, const QString& text, MessageIcon icon);

// Reports a failure that left an event of a list without being caught (a
// folder that cannot be listed): a message in the program's voice, after
// which the program goes on. The message is always the same fixed text, as
// every message of the window is: it names neither the cause nor the folder,
// so the failure itself is not asked for.
void ReportUntrappedError(QWidget* parent);

// Ends the application after a fatal error: the event loop stops and the
// program exits with status 1.
void EndApplication();

using MessageHandler = std::function<void(QWidget*, const QString&, MessageIcon)>;
using EndHandler = std::function<void()>;

// Replace the handlers and return the ones they replace; an empty handler
// restores the real one.
MessageHandler SetMessageHandler(MessageHandler handler);
EndHandler SetEndHandler(EndHandler handler);

}  // namespace holvane::ui

#endif  // HOLVANE_MAIN_WINDOW_HOST_H_
