// SPDX-License-Identifier: MIT
#include "main_window/frm_main.h"

#include <cstdint>

#include "conversion/convert_file.h"

namespace holvane::ui {

namespace {

// The host's busy state for the length of a conversion, which takes no
// input; it ends before any message.
class Busy {
 public:
  explicit Busy(Host& host) : host_(host) { host_.SetBusy(true); }
  ~Busy() { host_.SetBusy(false); }
  Busy(const Busy&) = delete;
  Busy& operator=(const Busy&) = delete;

 private:
  Host& host_;
};

}  // namespace

frmMain::frmMain(const DriveSource& drives, const std::filesystem::path& start_folder,
                 DriveListView& drive_view, DirListView& dir_view, FileListView& file_view,
                 Host& host)
    : Drive1(drives, start_folder, drive_view, host),
      Dir1(drives, start_folder, dir_view, host),
      File1(Dir1.Path(), file_view),
      host_(host) {
  Drive1.Change.Connect(this, &frmMain::Drive1_Change);
  Dir1.Change.Connect(this, &frmMain::Dir1_Change);
}

void frmMain::Drive1_Change() {
  try {
    Dir1.setPath(Drive1.Drive());
  } catch (...) {
    host_.ShowMessage("Диск недоступен!", MessageIcon::kExclamation);
  }
}

void frmMain::Dir1_Change() { File1.setPath(Dir1.Path()); }

void frmMain::Command1_Click() {
  try {
    std::int32_t count = 0;
    {
      const Busy busy(host_);
      const int last = File1.ListCount() - 1;
      for (int index = 0; index <= last; ++index) {
        if (!File1.Selected(index)) continue;
        ++count;
        ConvertFile(File1.Path(), File1.FileName(index), zlib_);
      }
    }
    if (count > 0) host_.ShowMessage(ConvertedCountLine(count), MessageIcon::kInformation);
  } catch (...) {
    host_.ShowMessage("Произошла непоправимая ошибка и приложение будет закрыто!",
                      MessageIcon::kCritical);
    host_.EndProgram();
  }
}

}  // namespace holvane::ui
