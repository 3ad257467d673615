// SPDX-License-Identifier: MIT
#include "main_window/qt/drive_list.h"

#include <QStyle>

namespace holvane::ui {

void QtDriveList::Attach(DriveListBox& list) {
  list_ = &list;
  connect(this, &QComboBox::activated, this, [this](int index) { list_->Chosen(index); });
}

void QtDriveList::ShowDrives(const std::vector<std::string>& names, int chosen) {
  clear();
  const QIcon icon = style()->standardIcon(QStyle::SP_DriveHDIcon);
  for (const std::string& name : names) addItem(icon, QString::fromStdString(name));
  setCurrentIndex(chosen);
}

void QtDriveList::showPopup() {
  if (list_ != nullptr) list_->DroppingDown();
  QComboBox::showPopup();
}

}  // namespace holvane::ui
