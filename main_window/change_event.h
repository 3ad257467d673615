// SPDX-License-Identifier: MIT
#ifndef HOLVANE_MAIN_WINDOW_CHANGE_EVENT_H_
#define HOLVANE_MAIN_WINDOW_CHANGE_EVENT_H_

#include <functional>
#include <utility>

namespace holvane::ui {

// A list's change notification: raised synchronously, inside the write that
// caused it, and a failure of the handler comes back out of Raise to the
// writer. (A Qt signal may not carry an exception back through Qt.)
class ChangeEvent {
 public:
  template <typename Receiver>
  void Connect(Receiver* receiver, void (Receiver::*handler)()) {
    handler_ = [receiver, handler] { (receiver->*handler)(); };
  }

  void Raise() const {
    if (handler_) handler_();
  }

 private:
  std::function<void()> handler_;
};

}  // namespace holvane::ui

#endif  // HOLVANE_MAIN_WINDOW_CHANGE_EVENT_H_
