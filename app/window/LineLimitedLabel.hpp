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

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  QString cut(int width) const;

  QString full_;
  int maxLines_;
};

}  // namespace tovrane::app
