// SPDX-License-Identifier: MIT
#ifndef HOLVANE_MAIN_WINDOW_CHANGE_EVENT_H_
#define HOLVANE_MAIN_WINDOW_CHANGE_EVENT_H_

#include <functional>
#include <stdexcept>
#include <utility>

namespace holvane::ui {

// A list's change notification: raised synchronously, inside the write that
// caused it, and a failure of the handler comes back out of Raise to the
// writer. (A Qt signal may not carry an exception back through Qt.) It has
// one handler at most: the form's, which the lists' rollback on failure is
// built around.
class ChangeEvent {
 public:
  // Makes `handler` on `receiver` the event's handler. The event takes one
  // handler for its whole life: a second Connect throws std::logic_error and
  // leaves the first in place, so that no handler is ever silently dropped.
  template <typename Receiver>
  void Connect(Receiver* receiver, void (Receiver::*handler)()) {
    if (handler_) throw std::logic_error("ChangeEvent: a handler is already connected");
    handler_ = [receiver, handler] { (receiver->*handler)(); };
  }

  // Calls the handler, if one is connected; its failure passes on.
  void Raise() const {
    if (handler_) handler_();
  }

 private:
  std::function<void()> handler_;
};

}  // namespace holvane::ui

#endif  // HOLVANE_MAIN_WINDOW_CHANGE_EVENT_H_
