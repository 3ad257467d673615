#ifndef HOLVANE_MAIN_WINDOW_FOLDERS_H_
#define HOLVANE_MAIN_WINDOW_FOLDERS_H_

#include <QString>
#include <QStringList>

namespace holvane::ui {

// The synchronous folder listings behind the folder and file lists. Each
// throws RunTimeError when `folder` does not exist or cannot be read (QDir
// alone would list such a folder as an empty one).

// The files the program converts: the file list's pattern, and the files a
// folder stands for on holvane-convert's command line.
inline constexpr char kFilePattern[] = "*.wvl";

// The subfolders of `folder`, hidden ones left out, in the order a person
// expects: letter case ignored, numbers by value.
QStringList ListSubfolders(const QString& folder);

// The names of the files in `folder` matching the wildcard `pattern` in any
// letter case, sorted by name ignoring case; hidden files and folders left
// out.
QStringList ListMatchingFiles(const QString& folder, const QString& pattern);

// `path` made absolute, with "." and ".." and doubled separators removed.
QString AbsoluteFolder(const QString& path);

}  // namespace holvane::ui

#endif  // HOLVANE_MAIN_WINDOW_FOLDERS_H_
