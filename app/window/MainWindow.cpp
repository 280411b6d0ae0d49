#include "app/window/MainWindow.hpp"

#include "app/state/Brand.hpp"

#include <QWidget>

namespace tovrane::app {

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
  setObjectName(QStringLiteral("mainWindow"));
  setWindowTitle(QStringLiteral("TovraneAndroid"));
  setMinimumSize(980, 680);
  auto* detail = new QWidget(this);
  detail->setObjectName(QStringLiteral("detailArea"));
  detail->setAutoFillBackground(true);
  QPalette palette = detail->palette();
  palette.setColor(QPalette::Window, Brand::paper());
  detail->setPalette(palette);
  setCentralWidget(detail);
}

}  // namespace tovrane::app
