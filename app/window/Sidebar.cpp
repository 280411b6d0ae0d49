#include "app/window/Sidebar.hpp"

#include "app/platform/Platform.hpp"
#include "app/platform/PlatformTexts.hpp"
#include "app/state/Brand.hpp"
#include "app/state/JobCenter.hpp"
#include "app/state/Updater.hpp"
#include "app/window/AppServices.hpp"
#include "app/window/Controls.hpp"
#include "app/window/FocusOrder.hpp"
#include "app/window/Look.hpp"
#include "app/window/Page.hpp"
#include "app/window/PageComponents.hpp"
#include "app/window/SidebarModel.hpp"
#include "app/window/UpdateBanner.hpp"

#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>

namespace tovrane::app {

namespace fs = std::filesystem;

bool outputExists(const ProjectRecord& record) {
  std::error_code error;
  return !record.outputPath.isEmpty() &&
         fs::exists(fs::symlink_status(fs::path(record.outputPath.toStdString()), error));
}

bool jobRunsOn(const JobCenter& jobs, const ProjectRecord& record) {
  const std::string folder = record.outputPath.toStdString();
  return std::any_of(jobs.running().begin(), jobs.running().end(),
                     [&folder](const JobCenter::Job& job) { return job.project.string() == folder; });
}

namespace {

constexpr int rowHeight = 28;
constexpr int headerHeight = 26;
constexpr int gapHeight = 10;
constexpr int symbolSize = 16;
// Rows are inset from the column's edges; their text starts after the symbol.
constexpr int rowInset = 8;
constexpr int rowPadding = 8;

QColor sidebarColour() { return Brand::paper().darker(104); }

// Draws the rows: a rounded accent fill behind the chosen one, the symbol
// in the accent colour (white when chosen), the text, and the count badge.
class SidebarDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    if (index.data(SidebarModel::HeaderRole).toBool()) {
      return {option.rect.width(), headerHeight};
    }
    return {option.rect.width(), index.flags() == Qt::NoItemFlags ? gapHeight : rowHeight};
  }

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QRect row = option.rect.adjusted(rowInset, 1, -rowInset, -1);
    const QString text = index.data(Qt::DisplayRole).toString();
    if (index.data(SidebarModel::HeaderRole).toBool()) {
      painter->setFont(semiboldFont(TextStyle::subheadline));
      painter->setPen(secondaryText());
      painter->drawText(row.adjusted(rowPadding, 0, -rowPadding, -3), Qt::AlignLeft | Qt::AlignBottom, text);
      painter->restore();
      return;
    }
    if (text.isEmpty()) {
      painter->restore();
      return;
    }
    const bool chosen = option.state & QStyle::State_Selected;
    if (chosen) {
      painter->setPen(Qt::NoPen);
      painter->setBrush(Brand::droidDeep());
      painter->drawRoundedRect(QRectF(row), 6, 6);
    } else if (option.state & QStyle::State_HasFocus && option.state & QStyle::State_Active) {
      painter->setPen(QPen(withAlpha(Brand::droidDeep(), 0.6), 1.5));
      painter->setBrush(Qt::NoBrush);
      painter->drawRoundedRect(QRectF(row).adjusted(0.75, 0.75, -0.75, -0.75), 6, 6);
    }
    const QColor textColour = chosen ? QColor(Qt::white) : Brand::ink();
    int x = row.left() + rowPadding;
    const QPixmap symbol = iconPixmap(index.data(SidebarModel::SymbolRole).toString(), symbolSize,
                                      chosen ? QColor(Qt::white) : Brand::droidDeep(), painter->device()->devicePixelRatioF());
    painter->drawPixmap(x, row.center().y() - symbolSize / 2 + 1, symbol);
    x += symbolSize + 8;

    int right = row.right() - rowPadding;
    const int badge = index.data(SidebarModel::BadgeRole).toInt();
    if (badge > 0) {
      const QString count = QString::number(badge);
      const QFont badgeFont = semiboldFont(TextStyle::caption);
      const int width = std::max(18, QFontMetrics(badgeFont).horizontalAdvance(count) + 12);
      const QRectF capsule(right - width + 1, row.center().y() - 8 + 1, width, 16);
      painter->setPen(Qt::NoPen);
      painter->setBrush(chosen ? withAlpha(Qt::white, 0.25) : withAlpha(Brand::ink(), 0.08));
      painter->drawRoundedRect(capsule, 8, 8);
      painter->setFont(badgeFont);
      painter->setPen(chosen ? QColor(Qt::white) : secondaryText());
      painter->drawText(capsule, Qt::AlignCenter, count);
      right = static_cast<int>(capsule.left()) - 6;
    }
    painter->setFont(option.font);
    painter->setPen(textColour);
    const QRect textBox(x, row.top(), right - x, row.height());
    painter->drawText(textBox, Qt::AlignLeft | Qt::AlignVCenter,
                      option.fontMetrics.elidedText(text, Qt::ElideRight, textBox.width()));
    painter->restore();
  }
};

QWidget* header(QWidget* parent) {
  auto* row = new QWidget(parent);
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(16, 8, 16, 8);
  layout->setSpacing(8);
  auto* logo = new LogoMark(row);
  logo->setFixedSize(24, 24);
  layout->addWidget(logo);
  auto* title = new QLabel(row);
  title->setObjectName(QStringLiteral("sidebarTitle"));
  title->setTextFormat(Qt::RichText);
  title->setText(QStringLiteral("Tovrane<span style=\"color:%1\">Android</span>").arg(Brand::droidDeep().name()));
  title->setFont(heavyFont(16));
  layout->addWidget(title);
  layout->addStretch();
  return row;
}

}  // namespace

Sidebar::Sidebar(const AppServices& services, Navigation& navigation, Actions actions, QWidget* parent)
    : QWidget(parent),
      services_(services),
      navigation_(navigation),
      actions_(std::move(actions)),
      model_(new SidebarModel(services.store, this)),
      list_(new QListView(this)) {
  setObjectName(QStringLiteral("sidebar"));
  setAutoFillBackground(true);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, sidebarColour());
  setPalette(palette);

  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  column->addWidget(header(this));

  list_->setObjectName(QStringLiteral("sidebarList"));
  list_->setAccessibleName(QStringLiteral("Navigation"));
  list_->setModel(model_);
  list_->setItemDelegate(new SidebarDelegate(list_));
  list_->setFrameShape(QFrame::NoFrame);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  list_->viewport()->setAutoFillBackground(false);
  list_->setContextMenuPolicy(Qt::CustomContextMenu);
  list_->viewport()->installEventFilter(this);
  column->addWidget(list_, 1);

  auto* bottom = new QVBoxLayout;
  bottom->setContentsMargins(14, 14, 14, 14);
  bottom->setSpacing(8);
  auto* banner = new UpdateBanner(services.updater, services.dialogs, this);
  bottom->addWidget(banner);
  auto* guide = new QToolButton(this);
  guide->setObjectName(QStringLiteral("guideButton"));
  guide->setText(QStringLiteral("Anleitung"));
  guide->setAccessibleName(guide->text());
  guide->setIcon(icon(QStringLiteral("questionmark.circle"), secondaryText()));
  guide->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  guide->setAutoRaise(true);
  guide->setCursor(Qt::PointingHandCursor);
  QPalette quiet = guide->palette();
  quiet.setColor(QPalette::ButtonText, secondaryText());
  guide->setPalette(quiet);
  connect(guide, &QToolButton::clicked, this, [this] { actions_.showGuide(); });
  bottom->addWidget(guide, 0, Qt::AlignLeft);
  QLabel* version = plainLabel(QStringLiteral("Version %1 (%2)")
                                   .arg(Updater::currentVersion(), QString::number(Updater::currentBuild())),
                               app::font(TextStyle::caption2), tertiaryText(), this);
  version->setObjectName(QStringLiteral("versionLine"));
  bottom->addWidget(version);
  column->addLayout(bottom);

  // The banner remakes its buttons when the updater's state changes (its own
  // handler runs first); they take Tab between the list and "Anleitung".
  const auto chainBanner = [this, banner, guide] { QWidget::setTabOrder(chainAfter(list_, banner), guide); };
  connect(&services.updater, &Updater::stateChanged, this, chainBanner);
  connect(&services.updater, &Updater::releaseChanged, this, chainBanner);
  chainBanner();

  connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this, &Sidebar::rowChosen);
  connect(&navigation_, &Navigation::pageChanged, this, &Sidebar::showNavigation);
  connect(model_, &QAbstractItemModel::modelReset, this, &Sidebar::showNavigation);
  connect(list_, &QListView::customContextMenuRequested, this, [this](const QPoint& position) {
    const std::optional<ProjectRecord> record = model_->recordAt(list_->indexAt(position).row());
    if (record) {
      QMenu* menu = recentMenu(*record);
      menu->setAttribute(Qt::WA_DeleteOnClose);
      menu->popup(list_->viewport()->mapToGlobal(position));
    }
  });
  showNavigation();
}

bool Sidebar::eventFilter(QObject* watched, QEvent* event) {
  if (watched == list_->viewport()) {
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
        // The menu request follows the press on its own; a selection would open the page first.
        if (static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
          return true;
        }
        break;
      default:
        break;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void Sidebar::showNavigation() {
  const std::optional<int> row = model_->rowOf(navigation_.page());
  if (!row) {
    list_->clearSelection();
    return;
  }
  const QModelIndex index = model_->index(*row);
  list_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
}

void Sidebar::rowChosen() {
  const QModelIndexList chosen = list_->selectionModel()->selectedIndexes();
  if (chosen.isEmpty()) {
    // Nothing deselects the page: a row that was only unmarked comes back.
    if (model_->rowOf(navigation_.page())) {
      showNavigation();
    }
    return;
  }
  if (const std::optional<Page> page = model_->pageAt(chosen.constFirst().row())) {
    navigation_.setPage(*page);
  }
}

QMenu* Sidebar::recentMenu(const ProjectRecord& record) {
  auto* menu = new QMenu(this);
  menu->setObjectName(QStringLiteral("recentMenu"));
  const bool present = outputExists(record);
  QAction* reveal = menu->addAction(platformText(QStringLiteral("Im Finder zeigen")));
  reveal->setObjectName(QStringLiteral("revealAction"));
  reveal->setEnabled(present);
  connect(reveal, &QAction::triggered, this, [this, path = record.outputPath] { services_.platform.reveal(path); });
  menu->addSeparator();
  QAction* remove = menu->addAction(QStringLiteral("Aus Liste entfernen"));
  remove->setObjectName(QStringLiteral("removeAction"));
  connect(remove, &QAction::triggered, this, [this, record] { actions_.remove(record, false); });
  QAction* trash = addDestructiveAction(menu, QStringLiteral("Entfernen und Android-Ordner in den Papierkorb"));
  trash->setObjectName(QStringLiteral("trashAction"));
  // A running repair or device run keeps its project.
  trash->setEnabled(present && !jobRunsOn(services_.jobs, record));
  connect(trash, &QAction::triggered, this, [this, record] { actions_.remove(record, true); });
  return menu;
}

}  // namespace tovrane::app
