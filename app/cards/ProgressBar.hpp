#pragma once
// The app's capsule progress bar, 12 high and as wide as it is given: a
// track in ink at 8 %, the fill from the Swift colour to the tint (never
// narrower than 12), and, while the bar is shown, active and the user allows
// motion, a highlight band that sweeps across once every 1.8 seconds. Only
// then does a frame timer run; otherwise the bar repaints when its value,
// tint or active flag changes. Callers that want a moving fill animate the
// value property through startAnimation().
#include <QColor>
#include <QTimer>
#include <QWidget>

namespace tovrane::app {

class Platform;

class ProgressBar : public QWidget {
  Q_OBJECT
  Q_PROPERTY(double value READ value WRITE setValue)

 public:
  explicit ProgressBar(Platform& platform, QWidget* parent = nullptr);

  double value() const { return value_; }
  // Meant from 0 to 1.
  void setValue(double value);
  QColor tint() const { return tint_; }
  void setTint(const QColor& tint);
  bool active() const { return active_; }
  void setActive(bool active);
  // The highlight band is moving: the frame timer runs.
  bool sweeping() const;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

  // Width of the fill on a track of the given width: width × value, at least
  // 12 and at most the track (a value outside 0 to 1, or none, is clamped).
  static double fillWidth(double value, double width);
  // Left edge of the band (0.3 × width wide) at the given time in seconds:
  // from −0.3 × width to width, at constant speed, every 1.8 seconds.
  static double highlightOffset(double seconds, double width);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void updateSweep();

  double value_ = 0;
  QColor tint_;
  bool active_ = false;
  bool shown_ = false;
  bool reduceMotion_;
  QTimer frameTimer_;
};

}  // namespace tovrane::app
