#include "qt/file_listing.h"

#include <QApplication>
#include <QEvent>
#include <QFileSystemModel>
#include <QWidget>

namespace qtui {

QIcon ListingIconProvider::icon(const QFileInfo& info) const {
  return QFileIconProvider::icon(info.isDir() ? Folder : File);
}

QString ListingIconProvider::type(const QFileInfo& info) const {
  return info.isDir() ? "Folder" : "File";
}

ListingGuard::ListingGuard() {
  // A platform's native dialog would list the folder with code of its own.
  QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
  if (auto* app = QCoreApplication::instance()) app->installEventFilter(this);
}

ListingGuard::~ListingGuard() {
  if (auto* app = QCoreApplication::instance()) app->removeEventFilter(this);
}

bool ListingGuard::eventFilter(QObject* watched, QEvent* event) {
  // A window is polished as it is first shown, before its models' first listing arrives
  // (those come through the event loop).
  if (event->type() == QEvent::Polish && watched->isWidgetType() &&
      static_cast<QWidget*>(watched)->isWindow())
    for (auto* model : watched->findChildren<QFileSystemModel*>())
      if (model->iconProvider() != &icons_) model->setIconProvider(&icons_);
  return false;
}

}  // namespace qtui
