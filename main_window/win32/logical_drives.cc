// SPDX-License-Identifier: MIT
#include "main_window/win32/logical_drives.h"

#include <windows.h>

#include <string>

#include "text/unicode.h"

namespace holvane::ui {

namespace {

// The thread's error mode for a scope: no "insert a disk" box while drives
// are asked whether they are ready.
class QuietDriveErrors {
 public:
  QuietDriveErrors() {
    if (!SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &before_)) {
      set_ = false;
    }
  }
  ~QuietDriveErrors() {
    if (set_) SetThreadErrorMode(before_, nullptr);
  }
  QuietDriveErrors(const QuietDriveErrors&) = delete;
  QuietDriveErrors& operator=(const QuietDriveErrors&) = delete;

 private:
  DWORD before_ = 0;
  bool set_ = true;
};

}  // namespace

std::vector<text::NativeName> LogicalDrives() {
  std::wstring roots(64, L'\0');
  for (;;) {
    const DWORD size = GetLogicalDriveStringsW(static_cast<DWORD>(roots.size()), roots.data());
    if (size == 0) return SelectDrives({});
    if (size < roots.size()) {
      roots.resize(size);
      break;
    }
    roots.resize(size + 1);
  }
  const QuietDriveErrors quiet;
  std::vector<Volume> volumes;
  // Each root ends with a null character; the list ends with an empty one.
  for (std::size_t at = 0; at < roots.size() && roots[at] != L'\0';) {
    const std::wstring root(roots.c_str() + at);
    at += root.size() + 1;
    wchar_t file_system[MAX_PATH + 1] = {};
    DWORD flags = 0;
    const bool ready = GetVolumeInformationW(root.c_str(), nullptr, 0, nullptr, nullptr, &flags,
                                             file_system, MAX_PATH + 1) != 0;
    volumes.push_back({root, text::Utf8FromUtf16(file_system), ready, ready,
                       ready && (flags & FILE_READ_ONLY_VOLUME) != 0});
  }
  return SelectDrives(volumes);
}

}  // namespace holvane::ui
