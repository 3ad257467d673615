// SPDX-License-Identifier: MIT
// The main of the window's tests: GoogleTest's own, with one QApplication for
// all the tests. It is made when the tests start rather than in main, so that
// listing the tests (CTest does while building, without a display) needs no
// display.
#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

namespace {

class QApplicationEnvironment : public ::testing::Environment {
 public:
  // `argc` and `argv` must outlive the environment, as QApplication needs.
  QApplicationEnvironment(int& argc, char** argv) : argc_(argc), argv_(argv) {}

  void SetUp() override {
    app_ = std::make_unique<QApplication>(argc_, argv_);
    // As QtTest's own main sets it.
    QApplication::setAttribute(Qt::AA_Use96Dpi, true);
  }
  void TearDown() override { app_.reset(); }

 private:
  int& argc_;
  char** argv_;
  std::unique_ptr<QApplication> app_;
};

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new QApplicationEnvironment(argc, argv));
  return RUN_ALL_TESTS();
}
