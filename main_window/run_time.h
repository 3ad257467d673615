// SPDX-License-Identifier: MIT
#ifndef HOLVANE_MAIN_WINDOW_RUN_TIME_H_
#define HOLVANE_MAIN_WINDOW_RUN_TIME_H_

#include <QString>
#include <exception>
#include <functional>

class QWidget;

// What the window needs of its host beyond Qt itself: modal message boxes,
// the report of a failure that no handler catches, and the end of the
// application. Each goes through a replaceable handler so tests can watch it.
namespace holvane::ui {

// The window's caption, also the title of every message box.
inline constexpr char kCaption[] = "Holvane by Kettrin";

enum class MessageIcon { kInformation, kExclamation, kCritical };

// Shows a modal box with `text`, the icon, an OK button only and the title
// kCaption, and returns when the user has closed it.
void ShowMessage(QWidget* parent, const QString& text, MessageIcon icon);

// Reports a failure that left an event of a list without being caught (a
// folder that cannot be listed): a message in the program's voice, after
// which the program goes on.
void ReportUntrappedError(QWidget* parent, const std::exception& error);

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

#endif  // HOLVANE_MAIN_WINDOW_RUN_TIME_H_
