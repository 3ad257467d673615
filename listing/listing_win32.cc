// SPDX-License-Identifier: MIT
// Reading a folder on Windows: FindFirstFileExW and FindNextFileW, with wide
// names throughout, so that every name comes back as the folder holds it.
#include <windows.h>

#include <memory>
#include <string>
#include <type_traits>
#include <utility>

#include "common/run_time_error.h"
#include "listing/listing.h"
#include "text/names.h"
#include "text/unicode.h"

namespace holvane::listing {

namespace {

RunTimeError Unlistable(const std::filesystem::path& folder, DWORD error) {
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_DIRECTORY ||
      error == ERROR_INVALID_NAME || error == ERROR_BAD_NETPATH || error == ERROR_BAD_NET_NAME ||
      error == ERROR_NOT_READY) {
    return UnreadableFolder(folder, Unreadable::kNotFound);
  }
  if (error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION) {
    return UnreadableFolder(folder, Unreadable::kAccessDenied);
  }
  return UnreadableFolder(folder, Unreadable::kOther);
}

struct CloseFind {
  void operator()(HANDLE find) const { ::FindClose(find); }
};
using FindHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, CloseFind>;

// The reparse points that lead elsewhere, as a symbolic link does on POSIX.
// Others (cloud placeholders, deduplicated files) are the file or folder
// they say they are.
bool LeadsElsewhere(const WIN32_FIND_DATAW& found) {
  return (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
         (found.dwReserved0 == IO_REPARSE_TAG_SYMLINK ||
          found.dwReserved0 == IO_REPARSE_TAG_MOUNT_POINT);
}

}  // namespace

void AppendNameSortKey(std::u32string_view characters, text::NativeNameView, std::string& scratch,
                       std::string& keys) {
  scratch.clear();
  for (const char32_t c : characters) text::AppendUtf8(c, scratch);
  text::AppendSortKey(characters, scratch, keys);
}

FolderContents ReadFolder(const std::filesystem::path& folder, const text::Wildcard* files,
                          bool subfolders) {
  // FindFirstFileExW takes a pattern, not a folder: "*" in it. A folder that
  // is a file fails with ERROR_DIRECTORY or ERROR_PATH_NOT_FOUND.
  const std::filesystem::path pattern = folder / L"*";
  WIN32_FIND_DATAW found{};
  FindHandle find(::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found,
                                     FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
  if (find.get() == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    find.release();
    // Only an empty drive root has not even "." to give.
    if (error != ERROR_FILE_NOT_FOUND) throw Unlistable(folder, error);
    std::error_code status;
    if (!std::filesystem::is_directory(folder, status)) throw Unlistable(folder, error);
    return {};
  }
  Entries::Builder found_files;
  Entries::Builder found_subfolders;
  std::u32string characters;
  do {
    const std::wstring_view name(found.cFileName);
    if (name.empty() || name.front() == L'.') continue;
    DWORD attributes = found.dwFileAttributes;
    if ((attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0) continue;
    const bool link = LeadsElsewhere(found);
    bool folder_kind = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if ((!folder_kind && files == nullptr && !link) || (folder_kind && !subfolders && !link)) {
      continue;
    }
    text::DecodeUtf16(name, characters);
    const bool matches = files != nullptr && files->Matches(characters);
    if (link) {
      // What the link leads to, as the system follows it; a link that leads
      // nowhere is neither file nor folder.
      if (!matches && !subfolders) continue;
      attributes = ::GetFileAttributesW((folder / name).c_str());
      if (attributes == INVALID_FILE_ATTRIBUTES) continue;
      folder_kind = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }
    // Devices have no place in a folder; anything else not a folder is a
    // file.
    if ((attributes & FILE_ATTRIBUTE_DEVICE) != 0) continue;
    if (!folder_kind && matches) {
      found_files.Add(name, characters, false, link);
    } else if (folder_kind && subfolders) {
      found_subfolders.Add(name, characters, false, link);
    }
  } while (::FindNextFileW(find.get(), &found));
  if (const DWORD error = ::GetLastError(); error != ERROR_NO_MORE_FILES) {
    throw Unlistable(folder, error);
  }
  return {std::move(found_files).Sorted(), std::move(found_subfolders).Sorted()};
}

}  // namespace holvane::listing
