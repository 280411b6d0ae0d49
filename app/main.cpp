// The program tovrane-android: the application object and its window.
// "--smoke" shows the window, saves a picture of it and exits.
#include "app/window/Look.hpp"
#include "app/window/MainWindow.hpp"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("TovraneAndroid"));
  QApplication::setDesktopFileName(QStringLiteral("tovrane-android"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/app/tovrane-android.svg")));
  tovrane::app::applyLook(application);

  tovrane::app::MainWindow window;
  window.show();

  if (QApplication::arguments().contains(QStringLiteral("--smoke"))) {
    QTimer::singleShot(0, &window, [&window] {
      const QString path = QDir::temp().filePath(QStringLiteral("tovrane-android-smoke.png"));
      if (!window.grab().save(path)) {
        std::fprintf(stderr, "tovrane-android: could not save %s\n", qPrintable(path));
        QApplication::exit(1);
        return;
      }
      std::printf("tovrane-android: window shown, picture saved to %s\n", qPrintable(path));
      QApplication::exit(0);
    });
  }
  return QApplication::exec();
}
