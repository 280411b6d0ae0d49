// The program tovrane-android: the application object and its first window.
// "--smoke" shows the window, saves a picture of it and exits.
#include "app/window/MainWindow.hpp"
#include "app/window/TovraneAndroidApp.hpp"

#include <QApplication>
#include <QDir>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  tovrane::app::TovraneAndroidApp app(application);
  tovrane::app::MainWindow& window = app.start();

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
  return app.exec();
}
