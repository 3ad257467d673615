// SPDX-License-Identifier: MIT
#ifndef HOLVANE_CONVERSION_CONVERT_FILE_H_
#define HOLVANE_CONVERSION_CONVERT_FILE_H_

#include <filesystem>
#include <optional>
#include <string>

#include "common/file_system.h"
#include "compression/czlib.h"
#include "conversion/text_form.h"

namespace holvane {

// The temporary and output files that belong to an input: its whole name with
// ".tmp" or ".txt" appended ("game.wvl" gives "game.wvl.tmp", "game.wvl.txt").
std::filesystem::path TemporaryPathFor(const std::filesystem::path& input);
std::filesystem::path OutputPathFor(const std::filesystem::path& input);

// The output of an input written in the editable layout: its whole name with
// ".edit.txt" appended ("game.wvl" gives "game.wvl.edit.txt"), so that the
// ".txt" stays what the window writes.
std::filesystem::path EditablePathFor(const std::filesystem::path& input);

// The output ConvertFile writes for `input` in `form`: OutputPathFor, or
// EditablePathFor for the editable layout.
std::filesystem::path OutputPathFor(const std::filesystem::path& input, const TextForm& form);

// Converts the file `entryName` in `folder`: decompresses its zlib stream,
// keeps the result in the temporary file while rendering it as text into the
// output file, OutputPathFor(input, form) (see RenderRecordStream), then
// deletes the temporary file.
//
// The temporary file is its owner's alone (rw-------). The output may be read
// by whoever may read the input, and written by its owner: the input's read
// bits and owner write (rw-r--r-- for a rw-r--r-- input, rw------- for a
// private one), each less the umask.
//
// `zlib` is the caller's one compression object; it is created here before
// the first decompression if it does not exist yet, and kept.
//
// The conversion is locked first (FileSystem::LockConversion: on POSIX
// systems the temporary file's lock, which makes the file when it is
// missing) and stays locked until the call returns or throws, so two
// conversions of the same input, from two threads or two processes, never
// overlap: the second waits, then converts afresh. The input is opened and
// read only once the lock is held, so the second reads the input as it is
// then, even when its name has been given to another file meanwhile.
// Conversions of different inputs do not wait for each other.
//
// The input is never changed. Throws RunTimeError on the first failure, its
// file() the input, temporary or output file the failure concerns (empty for
// a fault inside the record stream, which the caller reports as the input's):
//   - the conversion cannot be locked: the temporary file cannot be created
//     or opened, or is a symbolic link or not a regular file (on Windows:
//     the input cannot be opened); nothing has been written then;
//   - the input cannot be read, or it does not decompress (kInvalidFileFormat,
//     or the wrapper's error number, with its meaning in words for 7, out of
//     memory, and 6, content too large for 32-bit sizes); nothing has been
//     written then: a temporary file the lock made is removed again, one
//     left by an earlier run stays as it was, and so does an existing output;
//   - the temporary or output file cannot be written (or given its
//     permissions), or the record stream is malformed. The temporary file
//     stays (empty, when writing it failed), and the output holds whole
//     entries only: every entry before a fault in the stream, or, when a
//     write to it failed, every entry up to the last one that could be
//     written (see RenderRecordStream);
//   - the temporary file cannot be deleted.
void ConvertFile(const std::filesystem::path& folder, const std::filesystem::path& entryName,
                 std::optional<cZLIB>& zlib, FileSystem& file_system = DefaultFileSystem(),
                 const TextForm& form = {});

// Converts `content`, the whole of a compressed file, and appends its text in
// `form` to `target`: the conversion for a text that goes elsewhere than
// beside its input. Nothing else is written; the record stream is read from
// memory. Throws RunTimeError as ConvertFile does, with no file() of its own
// but the target's: when the content does not decompress, nothing has been
// appended; when the record stream is malformed, `target` has the text of
// every entry before the fault.
void ConvertContent(std::string content, WritableFile& target, std::optional<cZLIB>& zlib,
                    const TextForm& form = {});

}  // namespace holvane

#endif  // HOLVANE_CONVERSION_CONVERT_FILE_H_
