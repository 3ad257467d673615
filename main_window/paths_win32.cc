// SPDX-License-Identifier: MIT
// What differs on Windows: which system this is, a path's shown text (names
// are UTF-16) and the system's root, on one drive among several.
#include <windows.h>

#include <string>

#include "main_window/paths.h"
#include "text/unicode.h"

namespace holvane::ui {

const Platform kThisPlatform = Platform::kWindows;

std::string ShownText(const std::filesystem::path& path) {
  return text::Utf8FromUtf16(path.native());
}

std::filesystem::path SystemRoot() {
  wchar_t folder[MAX_PATH + 1];
  const UINT size = GetSystemWindowsDirectoryW(folder, MAX_PATH + 1);
  if (size == 0 || size > MAX_PATH) return L"C:\\";
  const std::filesystem::path root = std::filesystem::path(folder).root_path();
  return root.empty() ? std::filesystem::path(L"C:\\") : AbsoluteFolder(root);
}

}  // namespace holvane::ui
