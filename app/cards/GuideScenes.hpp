#pragma once
// The three illustrations of the first-launch guide. Each fills the area it
// is given and draws its picture centred on it. Its one animated value
// starts at 0 and runs once it is first shown (0 to 1 and back, repeating,
// in the Finder window; the drop again and again; the phone's bars once).
// A step that is shown again gets a new illustration, so its animation
// starts from the beginning. With animations off, each rests at its end:
// the folder highlighted, dropped, the bars grown.
#include <QWidget>

#include <array>

namespace tovrane::app {

// A Finder window with the project folder, whose row pulses green.
class FinderScene : public QWidget {
  Q_OBJECT

 public:
  explicit FinderScene(QWidget* parent = nullptr);
  // 0 to 1: how strongly the project folder's row is highlighted.
  double highlight() const;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  class Window;
  Window* window_;
  bool started_ = false;
};

// A folder and the pointer swinging from the upper left onto the dashed drop area.
class DropScene : public QWidget {
  Q_OBJECT

 public:
  explicit DropScene(QWidget* parent = nullptr);
  // 0 at the upper left, 1 dropped (a little beyond while the spring swings).
  double dropped() const { return dropped_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  double dropped_ = 0;
  bool started_ = false;
};

// The result folder, an arrow, and a phone on which the app's bars grow one after another.
class StudioScene : public QWidget {
  Q_OBJECT

 public:
  explicit StudioScene(QWidget* parent = nullptr);
  // Each bar's width as a share of its full width, from 0.2 to 1.
  const std::array<double, 4>& bars() const { return bars_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  std::array<double, 4> bars_{0.2, 0.2, 0.2, 0.2};
  bool started_ = false;
};

}  // namespace tovrane::app
