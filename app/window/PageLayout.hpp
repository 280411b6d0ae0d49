#pragma once
// The frames the pages are laid out in: a vertically scrolling column inset
// 28 on every side over the window's paper, and a grid that puts as many
// equal columns side by side as fit.
#include <QLayout>
#include <QScrollArea>

#include <vector>

class QVBoxLayout;

namespace tovrane::app {

// A plain widget holding a column without margins, spacing apart.
QWidget* columnWidget(int spacing, QWidget* parent = nullptr);

// A page that scrolls vertically (never sideways): its blocks stand in one
// column, spacing apart, from the top; the page's own background shows through.
class ScrollingPage : public QScrollArea {
 public:
  explicit ScrollingPage(int spacing, QWidget* parent = nullptr);

  // Appends a block below the others.
  void add(QWidget* block);
  // Puts block in place of old, which is deleted once the current event is over.
  void replace(QWidget* old, QWidget* block);

 private:
  QVBoxLayout* column_;
};

// Items in rows of equal columns: as many columns as fit with each at least
// minimumColumnWidth wide, the width left over shared among them; spacing
// between columns and between rows. Each row is as high as its tallest
// item at the column's width.
class AdaptiveGridLayout : public QLayout {
 public:
  AdaptiveGridLayout(int minimumColumnWidth, int spacing, QWidget* parent = nullptr);
  ~AdaptiveGridLayout() override;

  // How many columns a width holds (at least one).
  int columns(int width) const;

  void addItem(QLayoutItem* item) override;
  int count() const override;
  QLayoutItem* itemAt(int index) const override;
  QLayoutItem* takeAt(int index) override;
  QSize sizeHint() const override;
  QSize minimumSize() const override;
  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override;
  void setGeometry(const QRect& rect) override;

 private:
  // Lays the items out in rect when place is set; returns the height used.
  int arrange(const QRect& rect, bool place) const;

  int minimumColumnWidth_;
  int spacing_;
  std::vector<QLayoutItem*> items_;
};

}  // namespace tovrane::app
