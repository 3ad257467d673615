// SPDX-License-Identifier: MIT
#ifndef HOLVANE_MAIN_WINDOW_QT_DRIVE_LIST_H_
#define HOLVANE_MAIN_WINDOW_QT_DRIVE_LIST_H_

#include <QComboBox>

#include "main_window/drive_list_box.h"

namespace holvane::ui {

// The drive list as a QComboBox, each drive with the disk icon.
class QtDriveList final : public QComboBox, public DriveListView {
  Q_OBJECT

 public:
  explicit QtDriveList(QWidget* parent = nullptr) : QComboBox(parent) {}

  // From now on the user's actions go to `list`, which must outlive this.
  void Attach(DriveListBox& list);

  void ShowDrives(const std::vector<std::string>& names, int chosen) override;
  void ShowChosen(int chosen) override { setCurrentIndex(chosen); }

  void showPopup() override;

 private:
  DriveListBox* list_ = nullptr;
};

}  // namespace holvane::ui

#endif  // HOLVANE_MAIN_WINDOW_QT_DRIVE_LIST_H_
