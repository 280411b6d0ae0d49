#pragma once
// Text wrapped to the width it is given and cut to at most maxLines lines,
// the last one ending in "…" when text was left out; the whole text is the
// tooltip. Shown as plain text: these texts come from services and tools.
#include <QLabel>

namespace tovrane::app {

class LineLimitedLabel : public QLabel {
 public:
  LineLimitedLabel(const QString& name, const QString& text, const QFont& font, const QColor& colour, int maxLines,
                   QWidget* parent = nullptr);

  const QString& fullText() const { return full_; }
  // Shows another text in place.
  void setFullText(const QString& text);
  // As wide as the text on one line (a layout that gives room shows it
  // whole), as high as the lines shown.
  QSize sizeHint() const override;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  QString cut(int width) const;

  QString full_;
  int maxLines_;
};

}  // namespace tovrane::app
