#pragma once
// The five colours every screen draws with. Each is an opaque sRGB colour made
// once per process on first use and never changed afterwards.
#include <QColor>

namespace tovrane::app {

struct Brand {
  // The Swift side (source project), and whatever is missing or failed.
  static const QColor& swift();
  // The Android side, and whatever is present or succeeded.
  static const QColor& droid();
  // Dark Android green: the window's accent.
  static const QColor& droidDeep();
  // Page background.
  static const QColor& paper();
  // Text.
  static const QColor& ink();
};

}  // namespace tovrane::app
