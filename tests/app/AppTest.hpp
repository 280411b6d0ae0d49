#pragma once
// The harness of the app tests. Each *Test.cpp holds QTest classes and
// registers them with TOVRANE_APP_TEST; the one main (AppTestMain.cpp) runs
// them with the German locale, test-mode standard paths, a temporary home with
// its own XDG and settings folders, and animations off.
#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QtTest/qtestcase.h>

#include <chrono>
#include <functional>
#include <memory>

class QAction;
class QWidget;

namespace tovrane::app::test {

// How long a test waits for what must come: a worker's result, a window on
// screen, a condition that QTRY_VERIFY or QTRY_COMPARE polls. A guard against
// hangs only, far beyond what a loaded machine or a sanitizer build needs.
inline constexpr std::chrono::milliseconds patience{std::chrono::minutes(1)};
inline constexpr int patienceMs = static_cast<int>(patience.count());

using TestFactory = std::function<std::unique_ptr<QObject>()>;
int registerTest(const char* name, TestFactory factory);

// Saves widget->grab() as <build>/screens/<name>.png for people to look at;
// never compared pixel by pixel.
void capture(QWidget* widget, const QString& name);

// Whether root holds a widget of that objectName that is on screen whenever root is.
bool shownIn(const QWidget& root, const char* name);
// How many of root's widgets of that objectName are on screen whenever root is.
int visibleCount(const QWidget& root, const QString& name);
// The text of root's label of that objectName, whole even where the label
// cuts it; "(none)" when there is no such label.
QString labelText(const QWidget& root, const char* name);
// Shows widget width wide and as tall as its content asks at that width.
void showAtWidth(QWidget& widget, int width);
// Drops the folder onto zone as the file manager would.
void dropFolder(QWidget* zone, const QString& folder);

// The objectNames of the widgets that Tab visits from root's first focusable
// widget, in order, once round. Each must also have an accessible name:
// unnamedInteractiveWidgets() lists those that lack either.
QStringList focusChain(QWidget* root);
QStringList unnamedInteractiveWidgets(QWidget* root);

// Whether a menu item is marked as one that destroys: its symbol in the Swift red.
bool markedDestructive(const QAction& action);

// The temporary home folder of this test program.
QString temporaryHome();

// The instant the fake clock starts at.
QDateTime fixedNow();

}  // namespace tovrane::app::test

#define TOVRANE_APP_TEST(Class)                                                        \
  [[maybe_unused]] static const int Class##Registered = ::tovrane::app::test::registerTest( \
      #Class, [] { return std::make_unique<Class>(); });

// Qt's own QTRY_VERIFY and QTRY_COMPARE give up after five seconds, which a
// loaded machine can take; here they wait with patience.
#undef QTRY_VERIFY
#define QTRY_VERIFY(expr) QTRY_VERIFY_WITH_TIMEOUT(expr, ::tovrane::app::test::patienceMs)
#undef QTRY_COMPARE
#define QTRY_COMPARE(expr, expected) QTRY_COMPARE_WITH_TIMEOUT(expr, expected, ::tovrane::app::test::patienceMs)
