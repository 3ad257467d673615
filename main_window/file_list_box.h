#ifndef HOLVANE_MAIN_WINDOW_FILE_LIST_BOX_H_
#define HOLVANE_MAIN_WINDOW_FILE_LIST_BOX_H_

#include <QListWidget>

namespace holvane::ui {

// The names, without the folder, of the files in one folder that match
// Pattern(), whatever their letter case (the files come from machines whose
// file systems ignore it), sorted by name ignoring case; hidden files and
// folders are left out. Extended multiple selection: click, Shift, Ctrl,
// Ctrl+A. A double-click only selects.
class FileListBox : public QListWidget {
  Q_OBJECT

 public:
  // Starts on `start_folder`; when it cannot be listed, empty.
  explicit FileListBox(const QString& start_folder, QWidget* parent = nullptr);

  // The folder whose files are listed.
  QString Path() const;

  // Reads `folder` again and lists its matching files, none selected. The
  // list is read only here: it keeps its entries and selection until Path is
  // written again. Throws RunTimeError when the folder cannot be listed; the
  // list is unchanged then.
  void setPath(const QString& folder);

  QString Pattern() const;

  int ListCount() const;
  // The name of entry `index`, 0 to ListCount() - 1.
  QString List(int index) const;
  bool Selected(int index) const;
  void setSelected(int index, bool selected);

 private:
  QString path_;
};

}  // namespace holvane::ui

#endif  // HOLVANE_MAIN_WINDOW_FILE_LIST_BOX_H_
