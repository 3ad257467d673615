// SPDX-License-Identifier: MIT
#include "main_window/host.h"

namespace holvane::ui {

void ReportUntrappedError(Host& host) {
  // The only failures that reach here are folders that cannot be listed; the
  // message speaks of the folder, like the drive's speaks of the drive.
  host.ShowMessage("Папка недоступна!", MessageIcon::kExclamation);
}

}  // namespace holvane::ui
