#include "app/window/WarningsSection.hpp"

#include "app/state/Brand.hpp"
#include "app/window/Look.hpp"
#include "app/window/PageComponents.hpp"
#include "app/window/PageLayout.hpp"

#include <QAbstractButton>
#include <QAbstractListModel>
#include <QFontDatabase>
#include <QListView>
#include <QPainter>
#include <QPainterPath>
#include <QStyledItemDelegate>
#include <QTextLayout>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

namespace tovrane::app {

namespace {

// The classifier: the first rule that holds for a message decides its
// category. Every test is case-sensitive; the last rule always holds.
enum class Test { beginsWith, contains, always };
struct Rule {
  Test test;
  std::string_view text;
  std::string_view category;
};
constexpr std::array<Rule, 11> rules = {{
    {Test::beginsWith, "Modifier", "Modifier"},
    {Test::contains, "View", "Views"},
    {Test::contains, "Platzhalter", "Views"},
    {Test::contains, "Funktion", "Unbekannte APIs"},
    {Test::contains, "Bezeichner", "Unbekannte APIs"},
    {Test::contains, "SwiftData", "Apple-Frameworks"},
    {Test::contains, "@Environment", "Apple-Frameworks"},
    {Test::contains, "@Query", "Apple-Frameworks"},
    {Test::contains, "Member", "Implizite Werte"},
    {Test::contains, "Aufruf", "Implizite Werte"},
    {Test::always, "", "Sonstiges"},
}};

// The categories in the order the rules first name them; equal counts keep it.
constexpr std::size_t countCategories() {
  std::size_t count = 0;
  for (std::size_t rule = 0; rule < rules.size(); ++rule) {
    bool named = false;
    for (std::size_t earlier = 0; earlier < rule; ++earlier) {
      named = named || rules[earlier].category == rules[rule].category;
    }
    count += named ? 0 : 1;
  }
  return count;
}
constexpr auto categoryOrder = [] {
  std::array<std::string_view, countCategories()> order{};
  std::size_t count = 0;
  for (const Rule& rule : rules) {
    if (std::find(order.begin(), order.begin() + count, rule.category) == order.begin() + count) {
      order[count++] = rule.category;
    }
  }
  return order;
}();
static_assert(rules.back().test == Test::always, "the last rule catches every message");

// Position of the message's category in categoryOrder.
std::size_t categoryIndex(std::string_view message) {
  for (const Rule& rule : rules) {
    const bool holds = rule.test == Test::always ||
                       (rule.test == Test::beginsWith ? message.starts_with(rule.text)
                                                      : message.find(rule.text) != std::string_view::npos);
    if (holds) {
      return static_cast<std::size_t>(std::find(categoryOrder.begin(), categoryOrder.end(), rule.category) -
                                      categoryOrder.begin());
    }
  }
  return categoryOrder.size() - 1;
}

QString toQString(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }
QString toQString(const std::string& text) { return QString::fromStdString(text); }

// The row's geometry: a dot beside the first line, the text column after it.
constexpr int dotDiameter = 7;
constexpr int dotDrop = 6;
constexpr int textLeft = dotDiameter + 8;
constexpr int lineGap = 2;
constexpr int rowGap = 8;
constexpr int detailRole = Qt::UserRole;

QFont messageFont() { return app::font(TextStyle::callout); }

QFont detailFont() {
  QFont result = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  result.setPixelSize(app::font(TextStyle::caption).pixelSize());
  return result;
}

// Lays the message out in lines of the given width, between words where it
// can and anywhere where a word is wider than a line; returns its height.
double layOutMessage(QTextLayout& layout, double width) {
  QTextOption option;
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  layout.setTextOption(option);
  layout.setFont(messageFont());
  double height = 0;
  layout.beginLayout();
  for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
    line.setLineWidth(width);
    line.setPosition(QPointF(0, height));
    height += line.height();
  }
  layout.endLayout();
  return height;
}

QString messageText(const QModelIndex& index) {
  // A line break in a message starts a new line of the paragraph.
  return index.data(Qt::DisplayRole).toString().replace(QLatin1Char('\n'), QChar::LineSeparator);
}

// Height of one row at the given width, with the gap below it unless it is the last.
int rowHeight(const QModelIndex& index, int width) {
  QTextLayout layout(messageText(index));
  const double message = layOutMessage(layout, std::max(width - textLeft, 1));
  const bool last = index.row() == index.model()->rowCount() - 1;
  return qCeil(message) + lineGap + QFontMetrics(detailFont()).height() + (last ? 0 : rowGap);
}

class WarningRowDelegate final : public QStyledItemDelegate {
 public:
  explicit WarningRowDelegate(QListView* view) : QStyledItemDelegate(view), view_(view) {}

  QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const override {
    const int width = view_->viewport()->width();
    return {width, rowHeight(index, width)};
  }

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    const QRect row = option.rect;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(Brand::swift());
    painter->drawEllipse(QRectF(row.left(), row.top() + dotDrop, dotDiameter, dotDiameter));

    const int textWidth = std::max(row.width() - textLeft, 1);
    QTextLayout message(messageText(index));
    const double messageHeight = layOutMessage(message, textWidth);
    painter->setPen(Brand::ink());
    message.draw(painter, QPointF(row.left() + textLeft, row.top()));

    const QFont font = detailFont();
    const QFontMetrics metrics(font);
    const QString detail = metrics.elidedText(index.data(detailRole).toString(), Qt::ElideRight, textWidth);
    painter->setFont(font);
    painter->setPen(secondaryText());
    const QRect detailLine(row.left() + textLeft, row.top() + qCeil(messageHeight) + lineGap, textWidth,
                           metrics.height());
    painter->drawText(detailLine, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, detail);
    painter->restore();
  }

 private:
  QListView* view_;
};

// The list as tall as its rows: it never scrolls itself, the page does, and
// Qt paints only the rows in the part of it that is on screen.
class WarningList final : public QListView {
 public:
  explicit WarningList(QWidget* parent) : QListView(parent) {
    setItemDelegate(new WarningRowDelegate(this));
    setFrameShape(QFrame::NoFrame);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setFocusPolicy(Qt::NoFocus);
    setResizeMode(QListView::Adjust);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    viewport()->setAutoFillBackground(false);
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
  }

  void setModel(QAbstractItemModel* model) override {
    QListView::setModel(model);
    connect(model, &QAbstractItemModel::modelReset, this, [this] {
      cachedWidth_ = -1;
      updateGeometry();
    });
  }

  bool hasHeightForWidth() const override { return true; }

  int heightForWidth(int width) const override {
    if (!model()) {
      return 0;
    }
    if (width != cachedWidth_) {
      int height = 0;
      for (int row = 0; row < model()->rowCount(); ++row) {
        height += rowHeight(model()->index(row, 0), width);
      }
      cachedWidth_ = width;
      cachedHeight_ = height;
    }
    return cachedHeight_;
  }

  QSize sizeHint() const override { return {320, heightForWidth(std::max(width(), 320))}; }
  QSize minimumSizeHint() const override { return {0, 0}; }

 private:
  mutable int cachedWidth_ = -1;
  mutable int cachedHeight_ = 0;
};

// A chip: its title and count on a capsule, filled ink while chosen.
class Chip final : public QAbstractButton {
 public:
  Chip(const QString& title, int count, QWidget* parent) : QAbstractButton(parent) {
    setText(title + QLatin1Char(' ') + QString::number(count));
    setObjectName(QStringLiteral("chip ") + title);
    setAccessibleName(text());
    setCheckable(true);
    setFocusPolicy(Qt::StrongFocus);
    QFont chipFont = app::font(TextStyle::callout);
    chipFont.setWeight(QFont::Medium);
    setFont(chipFont);
  }

  QSize sizeHint() const override {
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(text()) + 2 * padX, metrics.height() + 2 * padY};
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF shape(rect());
    const double radius = shape.height() / 2;
    painter.setPen(Qt::NoPen);
    painter.setBrush(isChecked() ? Brand::ink() : withAlpha(Brand::ink(), 0.06));
    painter.drawRoundedRect(shape, radius, radius);
    // The focus ring only for keyboard users, as the platform's buttons do it.
    if (hasFocus() && window()->testAttribute(Qt::WA_KeyboardFocusChange)) {
      painter.setPen(QPen(Brand::droidDeep(), 2));
      painter.setBrush(Qt::NoBrush);
      painter.drawRoundedRect(shape.adjusted(1, 1, -1, -1), radius - 1, radius - 1);
    }
    painter.setPen(isChecked() ? Brand::paper() : Brand::ink());
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, text());
  }

 private:
  static constexpr int padX = 10;
  static constexpr int padY = 5;
};

}  // namespace

// The warnings that pass the filter, in their stored order, at most 300.
class WarningListModel final : public QAbstractListModel {
 public:
  WarningListModel(const std::vector<ConversionWarning>& warnings, QObject* parent)
      : QAbstractListModel(parent), warnings_(warnings) {
    filter(std::nullopt);
  }

  void filter(std::optional<std::size_t> category) {
    beginResetModel();
    rows_.clear();
    for (std::size_t at = 0; at < warnings_.size() && rows_.size() < WarningsSection::maximumRows; ++at) {
      if (!category || categoryIndex(warnings_[at].message) == *category) {
        rows_.push_back(at);
      }
    }
    endResetModel();
  }

  int rowCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
  }

  QVariant data(const QModelIndex& index, int role) const override {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
      return {};
    }
    const ConversionWarning& warning = warnings_[rows_[static_cast<std::size_t>(index.row())]];
    switch (role) {
      case Qt::DisplayRole:
        return toQString(warning.message);
      case detailRole:
        // One line: line breaks and indentation of the source become single spaces.
        return toQString(warning.file).simplified() + QStringLiteral(" · ") + toQString(warning.source).simplified();
      default:
        return {};
    }
  }

 private:
  const std::vector<ConversionWarning>& warnings_;
  std::vector<std::size_t> rows_;
};

QString WarningsSection::category(std::string_view message) { return toQString(categoryOrder[categoryIndex(message)]); }

std::vector<WarningsSection::CategoryCount> WarningsSection::categories(
    const std::vector<ConversionWarning>& warnings) {
  std::array<int, categoryOrder.size()> counts{};
  for (const ConversionWarning& warning : warnings) {
    ++counts[categoryIndex(warning.message)];
  }
  std::vector<CategoryCount> result;
  for (std::size_t at = 0; at < categoryOrder.size(); ++at) {
    if (counts[at] > 0) {
      result.push_back({toQString(categoryOrder[at]), counts[at]});
    }
  }
  std::stable_sort(result.begin(), result.end(),
                   [](const CategoryCount& a, const CategoryCount& b) { return a.count > b.count; });
  return result;
}

WarningsSection::WarningsSection(std::vector<ConversionWarning> warnings, QWidget* parent)
    : QWidget(parent),
      warnings_(std::move(warnings)),
      model_(new WarningListModel(warnings_, this)) {
  // The chips go on in a new line where the card ends, however many categories there are.
  auto* chipRow = new QWidget;
  auto* chipLayout = new FlowLayout(8, false, chipRow);
  const auto addChip = [&](const QString& title, int count, const std::optional<QString>& key) {
    auto* chip = new Chip(title, count, chipRow);
    chip->setChecked(key == filter_);
    chips_.emplace_back(chip, key);
    chipLayout->addWidget(chip);
    connect(chip, &QAbstractButton::clicked, this, [this, key] { choose(key); });
  };
  addChip(QStringLiteral("Alle"), static_cast<int>(warnings_.size()), std::nullopt);
  for (const CategoryCount& category : categories(warnings_)) {
    addChip(category.name, category.count, category.name);
  }

  auto* list = new WarningList(this);
  list->setObjectName(QStringLiteral("warningList"));
  list->setAccessibleName(QStringLiteral("Hinweise"));
  list->setModel(model_);

  auto* content = new QWidget;
  auto* column = new QVBoxLayout(content);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(12);
  column->addWidget(chipRow);
  column->addWidget(list);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(new Card(QStringLiteral("Hinweise der Umwandlung"), content, this));
}

WarningsSection::~WarningsSection() = default;

void WarningsSection::choose(const std::optional<QString>& filter) {
  // A click has toggled the chip; the marking follows the filter alone. (Not an
  // exclusive button group: that would let Tab reach only the chosen chip.)
  for (const auto& [chip, key] : chips_) {
    chip->setChecked(key == filter);
  }
  if (filter == filter_) {
    return;
  }
  filter_ = filter;
  std::optional<std::size_t> category;
  if (filter) {
    const auto at = std::find(categoryOrder.begin(), categoryOrder.end(), filter->toStdString());
    category = static_cast<std::size_t>(at - categoryOrder.begin());
  }
  model_->filter(category);
}

}  // namespace tovrane::app
