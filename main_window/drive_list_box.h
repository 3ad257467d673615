#ifndef HOLVANE_MAIN_WINDOW_DRIVE_LIST_BOX_H_
#define HOLVANE_MAIN_WINDOW_DRIVE_LIST_BOX_H_

#include <QComboBox>
#include <string>
#include <vector>

#include "main_window/change_event.h"
#include "main_window/drives.h"

namespace holvane::ui {

// A drop-down of the machine's drives, shown by their mount points.
class DriveListBox : public QComboBox {
  Q_OBJECT

 public:
  // Lists the drives `drives` gives (see SelectDrives) and starts on the one
  // that holds `start_folder`, without raising Change. The list is read again
  // each time it drops down.
  DriveListBox(DriveSource drives, const QString& start_folder, QWidget* parent = nullptr);

  // The chosen drive, as a text DirListBox::setPath accepts.
  QString Drive() const;

  // Chooses `drive`, one of the listed ones, as the user would, raising
  // Change when it differs from the chosen one. A failure of Change's handler
  // passes to the caller.
  void setDrive(const QString& drive);

  // Raised after a different drive has been chosen.
  ChangeEvent Change;

  void showPopup() override;

 private:
  void Choose(int index);
  // Lists the drives afresh, keeping the chosen one shown even when it is
  // gone (a drive that failed stays in view, as the user chose it).
  void Refresh();
  void Fill(const std::vector<std::string>& drives);

  DriveSource drives_;

  int chosen_ = -1;
};

}  // namespace holvane::ui

#endif  // HOLVANE_MAIN_WINDOW_DRIVE_LIST_BOX_H_
