#pragma once
// Hands work from any thread to the UI thread. Calls run in the order they
// were posted (all go through the application object's one event queue) and
// are dropped when their guard object is gone by the time they would run, so
// a worker never reaches a model that the window has already destroyed.
//
// The guard is passed as a QPointer made on the UI thread: copying it on a
// worker is safe, and it is only dereferenced on the UI thread.
#include <QObject>
#include <QPointer>

#include <functional>

namespace tovrane::app {

void postToMain(QPointer<QObject> guard, std::function<void()> fn);

}  // namespace tovrane::app
