// SPDX-License-Identifier: MIT
#ifndef HOLVANE_CONVERSION_CONVERT_FILE_H_
#define HOLVANE_CONVERSION_CONVERT_FILE_H_

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "common/file_system.h"
#include "compression/czlib.h"
#include "conversion/record_stream.h"

namespace holvane {

// The temporary and output files that belong to an input: its whole name with
// ".tmp" or ".txt" appended ("game.wvl" gives "game.wvl.tmp", "game.wvl.txt").
std::filesystem::path TemporaryPathFor(const std::filesystem::path& input);
std::filesystem::path OutputPathFor(const std::filesystem::path& input);

// The output ConvertFile writes for `input` in `form`: OutputPathFor, or
// EditablePathFor (conversion/editable_form.h) for the editable layout.
std::filesystem::path OutputPathFor(const std::filesystem::path& input, const TextForm& form);

// The permissions of a file written from `model`, the file it is made from
// or replaces: readable by whoever may read `model`, and by its owner
// writable, so that the next run can write it again (rw-r--r-- from
// rw-r--r--, rw------- from a private file), each less the umask when made.
std::filesystem::perms WrittenPermissions(std::filesystem::perms model);

// Converts the file `entryName` in `folder`: locks the conversion
// (FileSystem::LockConversion), decompresses the input with `zlib` (made here
// if it does not exist yet, and kept), keeps the result in the temporary file
// (its owner's alone) while rendering it into OutputPathFor(input, form)
// (readable by whoever may read the input), then deletes the temporary file.
// The input is never changed. Throws RunTimeError on the first failure, its
// file() the file it concerns (empty for a fault inside the record stream);
// an input that cannot be read or decompressed writes nothing, and after a
// failure while rendering, the temporary file stays and the output holds the
// whole entries before it (docs/format.md, "What a break leaves").
void ConvertFile(const std::filesystem::path& folder, const std::filesystem::path& entryName,
                 std::optional<cZLIB>& zlib, FileSystem& file_system = DefaultFileSystem(),
                 const TextForm& form = {});

// Decompresses `content`, the whole of a *.wvl file, in place with `zlib`
// (made here if it does not exist yet): what every reading of a file's texts
// starts with. Throws RunTimeError concerning `input` when it does not
// decompress: the wrapper's error number with its words, or
// kInvalidFileFormat for what is no zlib stream.
void Decompress(std::string& content, std::optional<cZLIB>& zlib,
                const std::filesystem::path& input);

// Converts `content`, the whole of a compressed file, and appends its text in
// `form` to `target`: the conversion for a text that goes elsewhere than
// beside its input. Nothing else is written; the record stream is read from
// memory. Throws RunTimeError as ConvertFile does, with no file() of its own
// but the target's: when the content does not decompress, nothing has been
// appended; when the record stream is malformed, `target` has the text of
// every entry before the fault.
void ConvertContent(std::string content, WritableFile& target, std::optional<cZLIB>& zlib,
                    const TextForm& form = {});

// How many files a run of the window converted, as the window ends it, in
// UTF-8 and in its own language whatever the user's: "Файлов успешно
// декомпилировано: 3." (no line break). holvane-convert says it in the
// user's language (cli/console.h).
std::string ConvertedCountLine(std::int64_t count);

}  // namespace holvane

#endif  // HOLVANE_CONVERSION_CONVERT_FILE_H_
