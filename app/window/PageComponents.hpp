#pragma once
// The bricks the pages are built from, so that every page has one look:
// the page header, the statistic tile, the card, the project row and the
// logo. Each shows what it was made with and starts no work; a page makes
// them anew when what they show changes (a tile's value alone may change
// in place). One logical pixel stands for one point of the design.
#include <QAbstractButton>
#include <QColor>
#include <QDateTime>
#include <QRectF>
#include <QString>
#include <QWidget>

#include <optional>

class QLabel;
class QVBoxLayout;

namespace tovrane::app {

class Clock;
struct ProjectRecord;

// The white panel behind tiles and cards: a rounded rectangle (radius 18)
// filled white at 75 %, a 1-pixel border in ink at 6 % inside its edge, and
// a column of content inset 18 on every side, stretched to the full width.
class Panel : public QWidget {
 public:
  Panel(int spacing, QWidget* parent);

 protected:
  QVBoxLayout* column() const { return column_; }
  void paintEvent(QPaintEvent* event) override;

 private:
  QVBoxLayout* column_;
};

// A page's title block: the title large and heavy, and below it, when
// given, a subtitle in the secondary colour.
class PageHeader : public QWidget {
 public:
  PageHeader(const QString& title, const std::optional<QString>& subtitle, QWidget* parent = nullptr);
};

// One statistic on a panel: the symbol icon in tint, the value (already
// formatted by the page) large and heavy, and what it counts below.
class StatTile : public Panel {
 public:
  StatTile(const QString& value, const QString& label, const QString& icon, const QColor& tint,
           QWidget* parent = nullptr);

  QString value() const;
  // Values change in place, without a transition.
  void setValue(const QString& value);

 private:
  QLabel* value_;
};

// A page section on a panel: the title in the headline style, when given,
// then the content, which the card takes over as its child.
class Card : public Panel {
 public:
  Card(const std::optional<QString>& title, QWidget* content, QWidget* parent = nullptr);
};

// What a project row shows, from the record and the moment now.
struct ProjectRowContent {
  enum class Status { none, compiled, open };
  // The name's first character in upper case; empty for an empty name.
  QString initial;
  // The last AI repair ended with a compiled project: the square is green.
  bool compiled = false;
  QString name;
  // "12 Dateien · vor 2 Stunden".
  QString detail;
  Status status = Status::none;
  // "kompiliert", "4 offen", or empty.
  QString statusText;
  // The effective coverage truncated to whole percent ("87 %"); "– %" when
  // it is no finite number a whole number can hold.
  QString coverage;
  bool operator==(const ProjectRowContent&) const = default;
};
ProjectRowContent projectRowContent(const ProjectRecord& record, const QDateTime& now);

// One history record as a row, the whole of it a flat button: the initial
// square, name and detail line, the status, the coverage right-aligned in
// a slot of 52 so that stacked rows line up, and a chevron. The relative
// date is that of the moment the row is made.
class ProjectRow : public QAbstractButton {
 public:
  ProjectRow(const ProjectRecord& record, const Clock& clock, QWidget* parent = nullptr);

  const ProjectRowContent& content() const { return content_; }
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  ProjectRowContent content_;
};

// The logo's two shapes for a given width, on a grid of 40 × 40 units of
// width / 40 each (the height plays no part): a rounded square of 22 units
// at (2, 2) with radius 7, and over it a circle of 22 units at (16, 16).
struct LogoGeometry {
  QRectF square;
  double squareRadius;
  QRectF circle;
};
LogoGeometry logoGeometry(double width);

// The logo, drawn to fill the width it is given (the sidebar gives 24 × 24).
class LogoMark : public QWidget {
 public:
  explicit LogoMark(QWidget* parent = nullptr);
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace tovrane::app
