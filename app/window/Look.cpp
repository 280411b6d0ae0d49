#include "app/window/Look.hpp"

#include "app/state/Brand.hpp"
#include "app/window/Labels.hpp"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPainter>
#include <QStyleFactory>
#include <QSvgRenderer>

namespace tovrane::app {

namespace {
struct StyleMetrics {
  TextStyle style;
  int pixelSize;
  QFont::Weight weight;
};
// The Mac's default sizes of the named styles (points there, logical pixels here).
constexpr StyleMetrics styleMetrics[] = {
    {TextStyle::largeTitle, 26, QFont::Normal}, {TextStyle::title, 22, QFont::Normal},
    {TextStyle::title2, 17, QFont::Normal},     {TextStyle::title3, 15, QFont::Normal},
    {TextStyle::headline, 13, QFont::Bold},     {TextStyle::body, 13, QFont::Normal},
    {TextStyle::callout, 12, QFont::Normal},    {TextStyle::subheadline, 11, QFont::Normal},
    {TextStyle::footnote, 10, QFont::Normal},   {TextStyle::caption, 10, QFont::Normal},
    {TextStyle::caption2, 10, QFont::Normal},
};

// Read and written on the UI thread only, like every animation it governs.
bool animationsOn = true;
}  // namespace

QColor withAlpha(QColor colour, double alpha) {
  colour.setAlphaF(static_cast<float>(alpha));
  return colour;
}

QFont font(TextStyle style) {
  QFont result = QApplication::font();
  for (const StyleMetrics& metrics : styleMetrics) {
    if (metrics.style == style) {
      result.setPixelSize(metrics.pixelSize);
      result.setWeight(metrics.weight);
    }
  }
  return result;
}

QFont heavyFont(int pixelSize) {
  QFont result = QApplication::font();
  result.setPixelSize(pixelSize);
  result.setWeight(QFont::ExtraBold);
  return result;
}

QFont semiboldFont(TextStyle style) {
  QFont result = font(style);
  result.setWeight(QFont::DemiBold);
  return result;
}

QLabel* plainLabel(const QString& text, const QFont& font, const QColor& colour, QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setTextFormat(Qt::PlainText);
  label->setText(text);
  label->setFont(font);
  setTextColour(label, colour);
  return label;
}

QColor secondaryText() { return withAlpha(Brand::ink(), 0.5); }
QColor tertiaryText() { return withAlpha(Brand::ink(), 0.25); }

QPalette lightPalette() {
  const QColor white(Qt::white);
  QPalette palette;
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
    palette.setColor(group, QPalette::Window, Brand::paper());
    palette.setColor(group, QPalette::WindowText, Brand::ink());
    palette.setColor(group, QPalette::Base, white);
    palette.setColor(group, QPalette::AlternateBase, Brand::paper().darker(104));
    palette.setColor(group, QPalette::Text, Brand::ink());
    palette.setColor(group, QPalette::PlaceholderText, tertiaryText());
    palette.setColor(group, QPalette::Button, Brand::paper().lighter(102));
    palette.setColor(group, QPalette::ButtonText, Brand::ink());
    palette.setColor(group, QPalette::BrightText, white);
    palette.setColor(group, QPalette::Highlight, Brand::droidDeep());
    palette.setColor(group, QPalette::HighlightedText, white);
    palette.setColor(group, QPalette::Link, Brand::droidDeep());
    palette.setColor(group, QPalette::LinkVisited, Brand::droidDeep().darker(120));
    palette.setColor(group, QPalette::ToolTipBase, white);
    palette.setColor(group, QPalette::ToolTipText, Brand::ink());
    palette.setColor(group, QPalette::Light, white);
    palette.setColor(group, QPalette::Midlight, Brand::paper().darker(105));
    palette.setColor(group, QPalette::Mid, Brand::paper().darker(130));
    palette.setColor(group, QPalette::Dark, Brand::paper().darker(160));
    palette.setColor(group, QPalette::Shadow, withAlpha(Brand::ink(), 0.6));
  }
  const QColor disabled = tertiaryText();
  palette.setColor(QPalette::Disabled, QPalette::Window, Brand::paper());
  palette.setColor(QPalette::Disabled, QPalette::Base, Brand::paper());
  palette.setColor(QPalette::Disabled, QPalette::Button, Brand::paper());
  palette.setColor(QPalette::Disabled, QPalette::WindowText, disabled);
  palette.setColor(QPalette::Disabled, QPalette::Text, disabled);
  palette.setColor(QPalette::Disabled, QPalette::ButtonText, disabled);
  palette.setColor(QPalette::Disabled, QPalette::Highlight, Brand::paper().darker(130));
  palette.setColor(QPalette::Disabled, QPalette::HighlightedText, white);
  return palette;
}

void applyLook(QApplication& application) {
  application.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  // Set explicitly, the palette is not replaced when the system scheme changes.
  application.setPalette(lightPalette());
  application.setFont(font(TextStyle::body));
}

QPixmap iconPixmap(const QString& symbol, int size, const QColor& tint, qreal devicePixelRatio) {
  QSvgRenderer renderer(QStringLiteral(":/icons/%1.svg").arg(symbol));
  if (!renderer.isValid()) {
    return {};
  }
  const int pixels = qRound(size * devicePixelRatio);
  QPixmap pixmap(pixels, pixels);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  renderer.render(&painter);
  // The pictures draw in one colour; keep their coverage, take the tint's colour.
  painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
  painter.fillRect(pixmap.rect(), tint);
  painter.end();
  pixmap.setDevicePixelRatio(devicePixelRatio);
  return pixmap;
}

QIcon icon(const QString& symbol, const QColor& tint) {
  QIcon result;
  for (int size : {16, 24, 32, 48}) {
    for (qreal ratio : {1.0, 2.0}) {
      const QPixmap pixmap = iconPixmap(symbol, size, tint, ratio);
      if (pixmap.isNull()) {
        return {};
      }
      result.addPixmap(pixmap);
    }
  }
  return result;
}

bool animationsEnabled() { return animationsOn; }

void setAnimationsEnabled(bool enabled) { animationsOn = enabled; }

void startAnimation(QAbstractAnimation* animation, QAbstractAnimation::DeletionPolicy policy) {
  if (!animationsOn && animation->loopCount() != 1) {
    animation->setLoopCount(1);
  }
  animation->start(policy);
  if (!animationsOn && animation->state() == QAbstractAnimation::Running) {
    // Reaching the end while running stops the animation the ordinary way.
    const bool forward = animation->direction() == QAbstractAnimation::Forward;
    animation->setCurrentTime(forward ? animation->totalDuration() : 0);
  }
}

}  // namespace tovrane::app
