#include "app/window/LineLimitedLabel.hpp"

#include "app/window/Labels.hpp"

#include <QFontMetricsF>
#include <QTextLayout>

#include <cmath>

namespace tovrane::app {

LineLimitedLabel::LineLimitedLabel(const QString& name, const QString& text, const QFont& font, const QColor& colour,
                                   int maxLines, QWidget* parent)
    : QLabel(parent), full_(text), maxLines_(maxLines) {
  setObjectName(name);
  setTextFormat(Qt::PlainText);
  setFont(font);
  setTextColour(this, colour);
  setToolTip(text);
  // The width comes from the parent's layout; the height from the lines shown.
  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  setMinimumWidth(1);
  setText(cut(200));
}

void LineLimitedLabel::setFullText(const QString& text) {
  full_ = text;
  setToolTip(text);
  setText(cut(width()));
  updateGeometry();
}

QSize LineLimitedLabel::sizeHint() const {
  // Cutting measures in fractions of a pixel: whole pixels might cut a text that fits.
  const QString oneLine = QString(full_).replace(QLatin1Char('\n'), QLatin1Char(' '));
  const qreal line = QFontMetricsF(font()).horizontalAdvance(oneLine);
  return {static_cast<int>(std::ceil(line)) + 1, QLabel::sizeHint().height()};
}

void LineLimitedLabel::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  const QString shown = cut(width());
  if (shown != text()) setText(shown);
}

QString LineLimitedLabel::cut(int width) const {
  QString text = full_;
  text.replace(QLatin1Char('\n'), QChar::LineSeparator);
  QTextLayout layout(text, font());
  QTextOption option;
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  layout.setTextOption(option);
  QList<QTextLine> lines;
  layout.beginLayout();
  for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
    line.setLineWidth(width);
    lines.append(line);
  }
  layout.endLayout();
  const auto lineText = [&text](const QTextLine& line) {
    QString part = text.mid(line.textStart(), line.textLength());
    while (!part.isEmpty() && (part.back().isSpace() || part.back() == QChar::LineSeparator)) part.chop(1);
    return part;
  };
  QStringList shown;
  for (qsizetype i = 0; i < lines.size() && i < maxLines_ - 1; ++i) shown.append(lineText(lines[i]));
  if (lines.size() == maxLines_) {
    shown.append(lineText(lines.last()));
  } else if (lines.size() > maxLines_) {
    // The last line shown says that more follows: the rest of its own
    // paragraph cut to the width, or " …" where a later paragraph is left out.
    QString rest = text.mid(lines[maxLines_ - 1].textStart());
    const qsizetype paragraphEnd = rest.indexOf(QChar::LineSeparator);
    if (paragraphEnd >= 0) rest = rest.left(paragraphEnd) + QStringLiteral(" …");
    shown.append(QFontMetrics(font()).elidedText(rest, Qt::ElideRight, width));
  }
  return shown.join(QLatin1Char('\n'));
}

}  // namespace tovrane::app
