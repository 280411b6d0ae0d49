#include "app/window/Spinner.hpp"

#include "app/window/Look.hpp"

#include <QPainter>

namespace tovrane::app {

Spinner::Spinner(int size, QWidget* parent) : QWidget(parent) {
  setFixedSize(size, size);
  timer_.setInterval(80);
  connect(&timer_, &QTimer::timeout, this, [this] {
    angle_ = (angle_ + 30) % 360;
    update();
  });
}

void Spinner::showEvent(QShowEvent*) {
  if (animationsEnabled()) timer_.start();
}

void Spinner::hideEvent(QHideEvent*) { timer_.stop(); }

void Spinner::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  QPen pen(secondaryText(), 1.6);
  pen.setCapStyle(Qt::RoundCap);
  painter.setPen(pen);
  const QRectF circle = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
  painter.drawArc(circle, -angle_ * 16, 270 * 16);
}

}  // namespace tovrane::app
