#pragma once
// The few control looks the pages share beyond Qt's own: the prominent
// button of a view's main action, the destructive button, a label that
// keeps to one line and cuts what does not fit. Every control gets an
// object name and an accessible name, so that tests and screen readers find it.
#include <QLabel>
#include <QPushButton>
#include <QString>

#include "app/window/Look.hpp"

class QWidget;

namespace tovrane::app {

// The style's font in the monospaced family (paths, step texts).
QFont monospacedFont(TextStyle style);

// A picture: the symbol in tint at size × size.
QLabel* symbolLabel(const QString& symbol, int size, const QColor& tint, QWidget* parent);

// The main action of a view: white text on ink, rounded, large
// ("Ordner auswählen …", "Nochmal versuchen", "Erstes Projekt umwandeln").
QPushButton* prominentButton(const QString& text, const QString& objectName, QWidget* parent = nullptr);
// An ordinary button: white with a faint border.
QPushButton* borderedButton(const QString& text, const QString& objectName, QWidget* parent = nullptr);
// A bordered button whose text is in the Swift colour: it removes something.
QPushButton* destructiveButton(const QString& text, const QString& objectName, QWidget* parent = nullptr);

// Plain text on one line: what is wider than the label ends in "…"; the
// whole text stays readable as the tooltip.
class ElidedLabel : public QLabel {
 public:
  ElidedLabel(const QString& text, const QFont& font, const QColor& colour, QWidget* parent = nullptr);

  const QString& fullText() const { return full_; }
  void setFullText(const QString& text);
  QSize minimumSizeHint() const override;
  QSize sizeHint() const override;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void elide();

  QString full_;
};

}  // namespace tovrane::app
