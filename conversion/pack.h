// SPDX-License-Identifier: MIT
#ifndef HOLVANE_CONVERSION_PACK_H_
#define HOLVANE_CONVERSION_PACK_H_

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "common/file_system.h"
#include "compression/czlib.h"

namespace holvane {

// Where WritePackedFile writes `output` before it takes the name: beside it,
// under its whole name, then a dot, a part of this process's own (16
// hexadecimal digits, the same for every call in one process) and
// ".pack.tmp": a name no conversion uses, and no other process packing into
// the same name.
std::filesystem::path PackTemporaryPathFor(const std::filesystem::path& output);

// The bytes of the *.wvl file that holds `stream`: a zlib stream made by
// cZLIB::CompressString with Mode 15, at zlib's default level (6), and
// checked: decompressed again by UncompressString, it must give `stream`
// byte for byte. An empty stream gives an empty file, which reads back as an
// empty stream. `zlib` is made here if it does not exist yet, and kept.
// Throws RunTimeError (concerning no file) when compressing fails or the
// check does.
std::string PackRecordStream(const std::string& stream, std::optional<cZLIB>& zlib);

// Writes packed files for one run (WritePackedFile for one file alone).
class PackWriter {
 public:
  explicit PackWriter(FileSystem& file_system = DefaultFileSystem());

  // Makes `output` hold exactly `packed`, so that a failure at any point
  // leaves what was there whole: the bytes go to PackTemporaryPathFor(output),
  // made new and held until the call returns, are synced, and that file is
  // renamed to `output`, replacing a file there only when `replace` says so
  // (otherwise kFileAlreadyExists, concerning `output`). The new file gets
  // `permissions` less the umask. On a failure, what this call made is
  // removed and the failure thrown. First, the temporary files that dead
  // packs into `output` left beside it are removed (docs/format.md, "Where it
  // is written"); failures of that are ignored.
  void Write(const std::filesystem::path& output, std::string_view packed, bool replace,
             std::filesystem::perms permissions);

  // The same for the bytes `write` appends to the temporary file it is
  // handed, in as many appends as it likes: for a file too large to be made
  // whole in memory first. What `write` throws is a failure as above.
  void Write(const std::filesystem::path& output, const std::function<void(WritableFile&)>& write,
             bool replace, std::filesystem::perms permissions);

 private:
  FileSystem& file_system_;
  // For each folder looked through, the temporary files found there, by the
  // name of the file each was to become.
  std::map<std::filesystem::path, std::multimap<std::filesystem::path, std::filesystem::path>>
      abandoned_;
};

// PackWriter(file_system).Write(output, packed, replace, permissions).
void WritePackedFile(const std::filesystem::path& output, std::string_view packed, bool replace,
                     std::filesystem::perms permissions,
                     FileSystem& file_system = DefaultFileSystem());

}  // namespace holvane

#endif  // HOLVANE_CONVERSION_PACK_H_
