#include "app/state/MainThread.hpp"

#include <QCoreApplication>

namespace tovrane::app {

void postToMain(QPointer<QObject> guard, std::function<void()> fn) {
  QCoreApplication* application = QCoreApplication::instance();
  if (application == nullptr) {
    return;
  }
  QMetaObject::invokeMethod(
      application,
      [guard = std::move(guard), fn = std::move(fn)] {
        if (!guard.isNull()) {
          fn();
        }
      },
      Qt::QueuedConnection);
}

}  // namespace tovrane::app
