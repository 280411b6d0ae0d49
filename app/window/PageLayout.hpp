#pragma once
// The frames the pages are laid out in: a vertically scrolling column inset
// 28 on every side over the window's paper, a grid that puts as many equal
// columns side by side as fit, and a row that wraps where the width runs out.
#include <QLayout>
#include <QScrollArea>

#include <vector>

class QVBoxLayout;

namespace tovrane::app {

// A plain widget holding a column without margins, spacing apart.
QWidget* columnWidget(int spacing, QWidget* parent = nullptr);

// Scrolls the page that holds widget so that widget shows whole (its top,
// when it is taller than the page), once the layouts have taken in what
// changed; nothing when no page holds it.
void scrollIntoView(QWidget* widget);

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

// A layout that owns a plain list of items, in the order they were added.
class ItemListLayout : public QLayout {
 public:
  explicit ItemListLayout(QWidget* parent) : QLayout(parent) { setContentsMargins(0, 0, 0, 0); }
  ~ItemListLayout() override;

  void addItem(QLayoutItem* item) override { items_.push_back(item); }
  int count() const override { return static_cast<int>(items_.size()); }
  QLayoutItem* itemAt(int index) const override;
  QLayoutItem* takeAt(int index) override;
  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override { return arrange(QRect(0, 0, width, 0), false); }
  void setGeometry(const QRect& rect) override;

 protected:
  // Lays the items out in rect when place is set; returns the height used.
  virtual int arrange(const QRect& rect, bool place) const = 0;

  std::vector<QLayoutItem*> items_;
};

// Items in rows of equal columns: as many columns as fit with each at least
// minimumColumnWidth wide, the width left over shared among them; spacing
// between columns and between rows. Each row is as high as its tallest
// item at the column's width.
class AdaptiveGridLayout : public ItemListLayout {
 public:
  AdaptiveGridLayout(int minimumColumnWidth, int spacing, QWidget* parent = nullptr);

  // How many columns a width holds (at least one).
  int columns(int width) const;

  QSize sizeHint() const override;
  QSize minimumSize() const override;

 private:
  int arrange(const QRect& rect, bool place) const override;

  int minimumColumnWidth_;
  int spacing_;
};

// Items at their preferred sizes from left to right, spacing apart, going on
// in a new line (spacing below the last) where the width runs out; each
// centred in its line's height. With lastAtEnd, a last item that fits in the
// first line sits at its right end, as after a stretch. So a row of buttons
// or figures never makes its page wider than the window.
class FlowLayout : public ItemListLayout {
 public:
  FlowLayout(int spacing, bool lastAtEnd, QWidget* parent = nullptr);

  // All items in one line.
  QSize sizeHint() const override;
  // The widest item.
  QSize minimumSize() const override;

 private:
  int arrange(const QRect& rect, bool place) const override;

  int spacing_;
  bool lastAtEnd_;
};

}  // namespace tovrane::app
