#include "gui/dialog_keys.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QObject>
#include <QVariant>

namespace stridewell::gui {
namespace {

class EnterStaysInList final : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) return false;
    auto* view = qobject_cast<QAbstractItemView*>(watched);
    if (view == nullptr) return false;
    const QModelIndex current = view->currentIndex();
    // (An item being edited has its own editor, which gets the keys.)
    if (current.isValid()) emit view->activated(current);
    return true;
  }
};

}  // namespace

void keepEnterInLists(QWidget& dialog) {
  auto* filter = new EnterStaysInList(&dialog);
  for (QAbstractItemView* view : dialog.findChildren<QAbstractItemView*>()) {
    // A drop-down's popup list is its own window and takes Enter to choose.
    // A view that answers Enter itself says so with kHandlesEnter.
    if (view->window() == &dialog && !view->property(kHandlesEnter).toBool())
      view->installEventFilter(filter);
  }
}

}  // namespace stridewell::gui
