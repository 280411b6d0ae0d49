#include "app/state/Brand.hpp"

namespace tovrane::app {

namespace {
QColor srgb(double red, double green, double blue) {
  return QColor::fromRgbF(static_cast<float>(red), static_cast<float>(green), static_cast<float>(blue), 1.0f);
}
}  // namespace

const QColor& Brand::swift() {
  static const QColor colour = srgb(0.94, 0.32, 0.22);
  return colour;
}
const QColor& Brand::droid() {
  static const QColor colour = srgb(0.24, 0.86, 0.52);
  return colour;
}
const QColor& Brand::droidDeep() {
  static const QColor colour = srgb(0.05, 0.42, 0.24);
  return colour;
}
const QColor& Brand::paper() {
  static const QColor colour = srgb(0.98, 0.96, 0.91);
  return colour;
}
const QColor& Brand::ink() {
  static const QColor colour = srgb(0.11, 0.09, 0.07);
  return colour;
}

}  // namespace tovrane::app
