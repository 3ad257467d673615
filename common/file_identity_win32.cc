// SPDX-License-Identifier: MIT
#include <windows.h>

#include "common/file_identity.h"

namespace holvane::cli {

std::optional<FolderIdentity> IdentityOf(const std::filesystem::path& folder) {
  // FILE_FLAG_BACKUP_SEMANTICS opens a folder; no access is asked, only its
  // attributes.
  const HANDLE handle =
      ::CreateFileW(folder.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info{};
  const bool known = ::GetFileInformationByHandle(handle, &info);
  ::CloseHandle(handle);
  if (!known) return std::nullopt;
  return FolderIdentity(info.dwVolumeSerialNumber,
                        (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow);
}

bool Missing(const std::filesystem::path& path) {
  if (::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return false;
  const DWORD error = ::GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

}  // namespace holvane::cli
