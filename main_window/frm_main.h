// SPDX-License-Identifier: MIT
#ifndef HOLVANE_MAIN_WINDOW_FRM_MAIN_H_
#define HOLVANE_MAIN_WINDOW_FRM_MAIN_H_

#include <QWidget>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "compression/czlib.h"
#include "main_window/drives.h"

class QPushButton;

namespace holvane::ui {

class DirListBox;
class DriveListBox;
class FileListBox;

// The program's one window: a drive list above a folder list on the left, the
// list of the folder's *.wvl files on the right, and the button that converts
// the selected files.
class frmMain : public QWidget {
  Q_OBJECT

 public:
  // On this machine's drives and the program's current folder.
  explicit frmMain(QWidget* parent = nullptr);
  // On the drives `drives` gives (see SelectDrives), starting on
  // `start_folder`.
  frmMain(const DriveSource& drives, const std::filesystem::path& start_folder,
          QWidget* parent = nullptr);
  // On a fixed set of drives.
  frmMain(const std::vector<text::NativeName>& drives, const std::filesystem::path& start_folder,
          QWidget* parent = nullptr);
  ~frmMain() override;

  // The controls, as their handlers and the tests reach them.
  DriveListBox* const Drive1;
  DirListBox* const Dir1;
  FileListBox* const File1;
  QPushButton* const Command1;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void Drive1_Change();
  void Dir1_Change();
  void Command1_Click();

  // Created just before the first decompression, then kept.
  std::optional<cZLIB> zlib_;
  bool shown_before_ = false;
};

}  // namespace holvane::ui

#endif  // HOLVANE_MAIN_WINDOW_FRM_MAIN_H_
