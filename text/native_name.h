// SPDX-License-Identifier: MIT
#ifndef HOLVANE_TEXT_NATIVE_NAME_H_
#define HOLVANE_TEXT_NATIVE_NAME_H_

#include <filesystem>
#include <string_view>

namespace holvane::text {

// A name or path as the system gives it and takes it back: bytes on POSIX,
// UTF-16 code units on Windows (std::filesystem::path's own string type, so
// that `folder / name` opens exactly the entry read). Every file is opened
// by these, never by a text converted from them.
using NativeName = std::filesystem::path::string_type;
using NativeNameView = std::basic_string_view<std::filesystem::path::value_type>;

}  // namespace holvane::text

#endif  // HOLVANE_TEXT_NATIVE_NAME_H_
