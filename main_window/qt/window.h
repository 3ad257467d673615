// SPDX-License-Identifier: MIT
#ifndef HOLVANE_MAIN_WINDOW_QT_WINDOW_H_
#define HOLVANE_MAIN_WINDOW_QT_WINDOW_H_

#include <QWidget>
#include <filesystem>
#include <vector>

#include "main_window/frm_main.h"
#include "main_window/qt/host.h"

class QPushButton;
class QStorageInfo;

namespace holvane::ui {

class QtDirList;
class QtDriveList;
class QtFileList;

// frmMain shown with Qt widgets: a drive list above a folder list on the
// left, the list of the folder's *.wvl files on the right, and the button
// below it, laid out by design.h and centred on the screen when first shown.
class QtWindow : public QWidget {
  Q_OBJECT

 public:
  // On this machine's drives and the program's current folder.
  explicit QtWindow(QWidget* parent = nullptr);
  // On the drives `drives` gives (see SelectDrives), starting on
  // `start_folder`, with the messages through `host` (QtHost when null),
  // which must outlive the window.
  QtWindow(const DriveSource& drives, const std::filesystem::path& start_folder,
           Host* host = nullptr, QWidget* parent = nullptr);
  // On a fixed set of drives.
  QtWindow(const std::vector<text::NativeName>& drives, const std::filesystem::path& start_folder,
           Host* host = nullptr, QWidget* parent = nullptr);
  ~QtWindow() override;

  // The controls, as the tests reach them.
  QtDriveList* const Drive1;
  QtDirList* const Dir1;
  QtFileList* const File1;
  QPushButton* const Command1;

  // What the window shows, and its handlers.
  frmMain& Form() { return form_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QtHost own_host_;
  frmMain form_;
  bool shown_before_ = false;
};

// `storage` as the drive list asks of it (rootPath(), fileSystemType(),
// isValid(), isReady(), isReadOnly()), its root path with the bytes (UTF-16 on
// Windows) of the name the file system holds.
Volume DescribeVolume(const QStorageInfo& storage);

// SelectDrives over QStorageInfo::mountedVolumes(): this machine's drives.
std::vector<text::NativeName> MountedDrives();

}  // namespace holvane::ui

#endif  // HOLVANE_MAIN_WINDOW_QT_WINDOW_H_
