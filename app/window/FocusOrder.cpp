#include "app/window/FocusOrder.hpp"

#include <QWidget>

#include <vector>

namespace tovrane::app {

QWidget* chainAfter(QWidget* anchor, QWidget* container) {
  std::vector<QWidget*> widgets;
  QWidget* window = container->window();
  for (QWidget* widget = window->nextInFocusChain(); widget != nullptr && widget != window;
       widget = widget->nextInFocusChain()) {
    if ((widget->focusPolicy() & Qt::TabFocus) && container->isAncestorOf(widget)) {
      widgets.push_back(widget);
    }
  }
  QWidget* previous = anchor;
  for (QWidget* widget : widgets) {
    QWidget::setTabOrder(previous, widget);
    previous = widget;
  }
  return previous;
}

}  // namespace tovrane::app
