// SPDX-License-Identifier: MIT
#include "main_window/win32/host.h"

#include "text/unicode.h"

namespace holvane::ui {

namespace {

UINT IconStyle(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::kInformation:
      return MB_ICONINFORMATION;
    case MessageIcon::kExclamation:
      return MB_ICONEXCLAMATION;
    case MessageIcon::kCritical:
      return MB_ICONERROR;
  }
  return 0;
}

}  // namespace

void Win32Host::ShowMessage(const std::string& text, MessageIcon icon) {
  const std::wstring wide_text = text::Utf16FromUtf8(text);
  const std::wstring title = text::Utf16FromUtf8(kCaption);
  // Task-modal when there is no owner, so that no other window of the program
  // takes input meanwhile.
  const UINT modality = owner_ != nullptr ? MB_APPLMODAL : MB_TASKMODAL;
  MessageBoxW(owner_, wide_text.c_str(), title.c_str(), MB_OK | IconStyle(icon) | modality);
}

void Win32Host::SetBusy(bool busy) {
  if (busy) {
    before_busy_ = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  } else {
    SetCursor(before_busy_ != nullptr ? before_busy_ : LoadCursorW(nullptr, IDC_ARROW));
    before_busy_ = nullptr;
  }
}

void Win32Host::EndProgram() { PostQuitMessage(1); }

}  // namespace holvane::ui
