#pragma once
// Keeps every file list of the program (file dialogs, the print dialog's file completer) from
// opening the files it lists. Qt's default icon provider reads each listed file's first bytes
// to guess its type; that opens and closes a descriptor of every file in the folder, and
// closing any descriptor of a file drops the process's POSIX locks on it: the test history's
// SQLite locks with them, after which another program reading the history takes the
// recording program's write-ahead log for abandoned and deletes it.
#include <QFileIconProvider>
#include <QObject>

namespace qtui {

// Types and icons from the listing alone: "Folder" or "File", never the contents.
class ListingIconProvider : public QFileIconProvider {
 public:
  QIcon icon(IconType t) const override { return QFileIconProvider::icon(t); }
  QIcon icon(const QFileInfo& info) const override;
  QString type(const QFileInfo& info) const override;
};

// While it lives, every window the application polishes has each file-system model below it
// (a file dialog's, a completer's) use the listing provider.
class ListingGuard : public QObject {
 public:
  ListingGuard();
  ~ListingGuard() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  ListingIconProvider icons_;
};

}  // namespace qtui
