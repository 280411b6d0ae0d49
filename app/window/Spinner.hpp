#pragma once
// The small indeterminate progress indicator: an arc in the secondary text
// colour that turns while it is shown and animations are on.
#include <QTimer>
#include <QWidget>

namespace tovrane::app {

class Spinner : public QWidget {
 public:
  explicit Spinner(int size, QWidget* parent = nullptr);

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  QTimer timer_;
  int angle_ = 0;
};

}  // namespace tovrane::app
