// SPDX-License-Identifier: MIT
#include "main_window/frm_main.h"

#include <cstdint>

#include "common/run_time_error.h"
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
  // A drive that cannot be listed (a card pulled out, a share whose server
  // has gone) is the one failure the user can act on: the lists stay where
  // they were (Dir1 rolls back) and the program goes on. Any other failure,
  // memory run out say, is not the drive's, and the window treats it as it
  // treats a failed conversion: it says so and ends, rather than blame the
  // drive or carry on half-done.
  try {
    Dir1.SetPath(Drive1.Drive());
  } catch (const RunTimeError&) {
    host_.ReportDriveUnavailable();
  } catch (...) {
    host_.ReportFatalError();
  }
}

void frmMain::Dir1_Change() { File1.SetPath(Dir1.Path()); }

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
    // Every failure of a conversion is fatal to the run, whatever its cause:
    // the files before it are converted, the one it stopped on is not.
    host_.ReportFatalError();
  }
}

}  // namespace holvane::ui
