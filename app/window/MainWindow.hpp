#pragma once
// The application's window: at least 980 × 680, on the paper background.
// Its pages arrive with the navigation; until then it is empty.
#include <QMainWindow>

namespace tovrane::app {

class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  explicit MainWindow(QWidget* parent = nullptr);
};

}  // namespace tovrane::app
