// SPDX-License-Identifier: MIT
#include "main_window/change_event.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace holvane::ui {
namespace {

struct Counter {
  void Count() { ++count; }
  void Fail() { throw std::runtime_error("handler failed"); }
  int count = 0;
};

TEST(ChangeEvent, RaiseWithoutAHandlerDoesNothing) {
  ChangeEvent event;
  EXPECT_NO_THROW(event.Raise());
}

TEST(ChangeEvent, RaiseCallsTheHandlerEachTime) {
  Counter counter;
  ChangeEvent event;
  event.Connect(&counter, &Counter::Count);
  event.Raise();
  event.Raise();
  EXPECT_EQ(counter.count, 2);
}

TEST(ChangeEvent, TheHandlersFailureComesOutOfRaise) {
  Counter counter;
  ChangeEvent event;
  event.Connect(&counter, &Counter::Fail);
  EXPECT_THROW(event.Raise(), std::runtime_error);
}

TEST(ChangeEvent, ASecondConnectionIsRefusedAndTheFirstStays) {
  Counter first;
  Counter second;
  ChangeEvent event;
  event.Connect(&first, &Counter::Count);
  EXPECT_THROW(event.Connect(&second, &Counter::Count), std::logic_error);
  event.Raise();
  EXPECT_EQ(first.count, 1);
  EXPECT_EQ(second.count, 0);
}

}  // namespace
}  // namespace holvane::ui
