#include "app/window/PageLayout.hpp"

#include <QPointer>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>

namespace tovrane::app {

namespace {
constexpr int pageMargin = 28;
}  // namespace

QWidget* columnWidget(int spacing, QWidget* parent) {
  auto* widget = new QWidget(parent);
  auto* column = new QVBoxLayout(widget);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(spacing);
  return widget;
}

void scrollIntoView(QWidget* widget) {
  QScrollArea* page = nullptr;
  for (QWidget* above = widget->parentWidget(); above != nullptr && page == nullptr; above = above->parentWidget()) {
    page = qobject_cast<QScrollArea*>(above);
  }
  if (page == nullptr) {
    return;
  }
  // After the layout requests already posted, which give widget its new size.
  QTimer::singleShot(0, page, [page, guarded = QPointer<QWidget>(widget)] {
    if (guarded != nullptr && page->isAncestorOf(guarded)) {
      page->ensureWidgetVisible(guarded, 0, 0);
    }
  });
}

ScrollingPage::ScrollingPage(int spacing, QWidget* parent) : QScrollArea(parent) {
  setFrameShape(QFrame::NoFrame);
  // Tab goes through the page's controls, and the page scrolls to the one with the focus.
  setFocusPolicy(Qt::NoFocus);
  setWidgetResizable(true);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  viewport()->setAutoFillBackground(false);
  auto* content = new QWidget;
  content->setObjectName(QStringLiteral("pageContent"));
  content->setAutoFillBackground(false);
  column_ = new QVBoxLayout(content);
  column_->setContentsMargins(pageMargin, pageMargin, pageMargin, pageMargin);
  column_->setSpacing(spacing);
  // The blocks stay at the top of a page that is taller than they are: the
  // room left over goes to this stretch alone, not to a growing block.
  column_->addStretch(1);
  setWidget(content);
}

void ScrollingPage::add(QWidget* block) { column_->insertWidget(column_->count() - 1, block); }

void ScrollingPage::replace(QWidget* old, QWidget* block) {
  delete column_->replaceWidget(old, block);
  // At once, not when the layout gets round to it: what the page shows is the new block.
  block->show();
  // The old block may hold the sender of the change (a row's menu): it goes
  // once that event is over.
  old->hide();
  old->deleteLater();
}

ItemListLayout::~ItemListLayout() {
  for (QLayoutItem* item : items_) {
    delete item;
  }
}

QLayoutItem* ItemListLayout::itemAt(int index) const {
  return index >= 0 && index < count() ? items_[static_cast<std::size_t>(index)] : nullptr;
}

QLayoutItem* ItemListLayout::takeAt(int index) {
  if (index < 0 || index >= count()) {
    return nullptr;
  }
  QLayoutItem* item = items_[static_cast<std::size_t>(index)];
  items_.erase(items_.begin() + index);
  return item;
}

void ItemListLayout::setGeometry(const QRect& rect) {
  QLayout::setGeometry(rect);
  arrange(rect, true);
}

AdaptiveGridLayout::AdaptiveGridLayout(int minimumColumnWidth, int spacing, QWidget* parent)
    : ItemListLayout(parent), minimumColumnWidth_(minimumColumnWidth), spacing_(spacing) {}

int AdaptiveGridLayout::columns(int width) const {
  return std::max(1, (width + spacing_) / (minimumColumnWidth_ + spacing_));
}

QSize AdaptiveGridLayout::sizeHint() const {
  const int width = count() * minimumColumnWidth_ + std::max(0, count() - 1) * spacing_;
  return {width, heightForWidth(width)};
}

// The height follows the width; the least height is the tallest item's,
// not that of every item in one column, which a box layout would take as
// the grid's height at any width.
QSize AdaptiveGridLayout::minimumSize() const {
  int height = 0;
  for (const QLayoutItem* item : items_) {
    height = std::max(height, item->minimumSize().height());
  }
  return {minimumColumnWidth_, height};
}

int AdaptiveGridLayout::arrange(const QRect& rect, bool place) const {
  const int columnCount = columns(rect.width());
  const int columnWidth = (rect.width() - (columnCount - 1) * spacing_) / columnCount;
  int top = rect.y();
  for (int first = 0; first < count(); first += columnCount) {
    const int last = std::min(count(), first + columnCount);
    int rowHeight = 0;
    for (int index = first; index < last; ++index) {
      const QLayoutItem* item = items_[static_cast<std::size_t>(index)];
      rowHeight = std::max(rowHeight, item->hasHeightForWidth() ? item->heightForWidth(columnWidth)
                                                                : item->sizeHint().height());
    }
    if (place) {
      for (int index = first; index < last; ++index) {
        const int x = rect.x() + (index - first) * (columnWidth + spacing_);
        items_[static_cast<std::size_t>(index)]->setGeometry(QRect(x, top, columnWidth, rowHeight));
      }
    }
    top += rowHeight + (last < count() ? spacing_ : 0);
  }
  return top - rect.y();
}

FlowLayout::FlowLayout(int spacing, bool lastAtEnd, QWidget* parent)
    : ItemListLayout(parent), spacing_(spacing), lastAtEnd_(lastAtEnd) {}

QSize FlowLayout::sizeHint() const {
  int width = 0;
  int height = 0;
  for (const QLayoutItem* item : items_) {
    width += item->sizeHint().width() + (width > 0 ? spacing_ : 0);
    height = std::max(height, item->sizeHint().height());
  }
  return {width, height};
}

QSize FlowLayout::minimumSize() const {
  QSize size;
  for (const QLayoutItem* item : items_) {
    size = size.expandedTo(item->minimumSize());
  }
  return size;
}

int FlowLayout::arrange(const QRect& rect, bool place) const {
  // The lines as runs of items, each as wide as its items and gaps.
  struct Line {
    int first;
    int last;  // one past
    int height;
  };
  std::vector<Line> lines;
  int lineWidth = 0;
  for (int index = 0; index < count(); ++index) {
    const QSize size = items_[static_cast<std::size_t>(index)]->sizeHint();
    if (lines.empty() || (lineWidth > 0 && lineWidth + spacing_ + size.width() > rect.width())) {
      lines.push_back({index, index, 0});
      lineWidth = 0;
    }
    Line& line = lines.back();
    lineWidth += (lineWidth > 0 ? spacing_ : 0) + size.width();
    line.last = index + 1;
    line.height = std::max(line.height, size.height());
  }
  int top = rect.y();
  for (const Line& line : lines) {
    int x = rect.x();
    for (int index = line.first; place && index < line.last; ++index) {
      QLayoutItem* item = items_[static_cast<std::size_t>(index)];
      QSize size = item->sizeHint();
      size.setWidth(std::min(size.width(), rect.width()));
      if (lastAtEnd_ && lines.size() == 1 && index == count() - 1 && index > 0) {
        x = rect.right() + 1 - size.width();
      }
      item->setGeometry(QRect(x, top + (line.height - size.height()) / 2, size.width(), size.height()));
      x += size.width() + spacing_;
    }
    top += line.height + (&line != &lines.back() ? spacing_ : 0);
  }
  return top - rect.y();
}

}  // namespace tovrane::app
