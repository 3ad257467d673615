// SPDX-License-Identifier: MIT
#ifndef HOLVANE_MAIN_WINDOW_PATHS_H_
#define HOLVANE_MAIN_WINDOW_PATHS_H_

#include <filesystem>
#include <string>

#include "text/names.h"

namespace holvane::ui {

// The window keeps every folder and file name as the file system names it
// (std::filesystem::path: the bytes on Linux, UTF-16 on Windows) and opens it
// by that; a text only ever holds what is shown, since a Linux name that is
// not UTF-8 would not survive the trip through one. What differs between the
// systems is kept to the functions below that say so.

// The systems whose drives differ: which volumes count as drives and how a
// drive is named (SelectDrives, DriveName in drive_list_box.h). Those rules
// take the system as a parameter, so that both can be checked anywhere;
// kThisPlatform is the one the program runs on (set in paths_posix.cc or
// paths_win32.cc).
enum class Platform { kLinux, kWindows };
extern const Platform kThisPlatform;

// The text the lists show for `path`, in UTF-8. On Linux each of its parts
// as text::ShownName shows a name; on Windows its UTF-16 in UTF-8.
std::string ShownText(const std::filesystem::path& path);

// A name from a listing::Entry as a path: the listing gives it as the
// system holds it (bytes on Linux, UTF-16 on Windows), so it opens exactly
// the entry listed.
std::filesystem::path PathOfName(text::NativeNameView name);

// `path` made absolute, with "." and ".." and doubled and trailing
// separators removed; symbolic links are kept, not resolved. A root ("/",
// "C:\") keeps its separator.
std::filesystem::path AbsoluteFolder(const std::filesystem::path& path);

// The root of the system's own drive ("/" on Linux, the root of the drive
// Windows is on, "C:\" usually): where the window goes when it can go
// nowhere else.
std::filesystem::path SystemRoot();

// The root of the absolute folder `folder` ("/", or its drive's root on
// Windows), or SystemRoot() when it has none.
std::filesystem::path RootOf(const std::filesystem::path& folder);

// The program's current folder, where the lists start; SystemRoot() when it
// has none (it was removed, say), where the folder list would go anyway.
std::filesystem::path CurrentFolder();

}  // namespace holvane::ui

#endif  // HOLVANE_MAIN_WINDOW_PATHS_H_
