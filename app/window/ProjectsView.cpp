#include "app/window/ProjectsView.hpp"

#include "app/platform/Platform.hpp"
#include "app/platform/PlatformTexts.hpp"
#include "app/state/ProjectStore.hpp"
#include "app/window/Controls.hpp"
#include "app/window/Look.hpp"
#include "app/window/Page.hpp"
#include "app/window/PageComponents.hpp"
#include "app/window/PageLayout.hpp"
#include "app/window/ProjectList.hpp"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QVBoxLayout>

namespace tovrane::app {

namespace {
constexpr int searchWidth = 220;
constexpr int emptySpace = 30;

PageHeader* header(std::size_t count) {
  // One plural for every count, "1 Umwandlungen" included.
  return new PageHeader(QStringLiteral("Projekte"), QString::number(count) + QStringLiteral(" Umwandlungen"));
}

// One centred line in the secondary colour, 30 above and below.
QWidget* emptyText(const QString& text) {
  auto* block = new QWidget;
  auto* column = new QVBoxLayout(block);
  column->setContentsMargins(0, emptySpace, 0, emptySpace);
  QLabel* label = plainLabel(text, app::font(TextStyle::body), secondaryText(), block);
  label->setObjectName(QStringLiteral("emptyText"));
  label->setAlignment(Qt::AlignCenter);
  column->addWidget(label);
  return block;
}
}  // namespace

ProjectsView::ProjectsView(ProjectStore& store, Navigation& navigation, Platform& platform, const Clock& clock,
                           QWidget* parent)
    : QWidget(parent), store_(store), navigation_(navigation), platform_(platform), clock_(clock) {
  setObjectName(QStringLiteral("projectsView"));
  page_ = new ScrollingPage(18, this);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(page_);

  auto* headerRow = new QWidget;
  auto* row = new QHBoxLayout(headerRow);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(12);
  header_ = header(store_.projects().size());
  row->addWidget(header_, 1, Qt::AlignBottom);
  search_ = new QLineEdit(headerRow);
  search_->setObjectName(QStringLiteral("search"));
  search_->setAccessibleName(QStringLiteral("Suchen"));
  search_->setPlaceholderText(QStringLiteral("Suchen"));
  search_->setFixedWidth(searchWidth);
  row->addWidget(search_, 0, Qt::AlignBottom);
  page_->add(headerRow);

  card_ = new QWidget;
  page_->add(card_);
  refresh();

  connect(search_, &QLineEdit::textChanged, this, &ProjectsView::refresh);
  connect(&store_, &ProjectStore::projectsChanged, this, [this, row] {
    QWidget* fresh = header(store_.projects().size());
    delete row->replaceWidget(header_, fresh);
    fresh->show();
    header_->deleteLater();
    header_ = fresh;
    refresh();
  });
}

std::vector<ProjectRecord> ProjectsView::filtered(const std::vector<ProjectRecord>& records, const QString& search) {
  if (search.isEmpty()) {
    return records;
  }
  std::vector<ProjectRecord> matching;
  for (const ProjectRecord& record : records) {
    // Case folding keeps accents: "é" matches "É", never "e".
    if (record.name.contains(search, Qt::CaseInsensitive)) {
      matching.push_back(record);
    }
  }
  return matching;
}

QMenu* ProjectsView::rowMenu(const ProjectRecord& record, QWidget* parent) {
  auto* menu = new QMenu(parent);
  menu->setObjectName(QStringLiteral("projectMenu"));
  const QString output = record.outputPath;
  const QUuid id = record.id;
  // A folder deleted meanwhile is still asked for; the file manager says what it finds.
  menu->addAction(platformText(QStringLiteral("Im Finder zeigen")), this, [this, output] { platform_.reveal(output); });
  connect(addDestructiveAction(menu, QStringLiteral("Aus Verlauf entfernen")), &QAction::triggered, this,
          [this, id] { store_.remove(id); });
  return menu;
}

void ProjectsView::refresh() {
  const std::vector<ProjectRecord> shown = filtered(store_.projects(), search_->text());
  QWidget* content;
  if (shown.empty()) {
    content = emptyText(store_.projects().empty() ? QStringLiteral("Noch keine Projekte.")
                                                  : QStringLiteral("Nichts gefunden."));
  } else {
    content = new ProjectList(
        shown, clock_, [this](const QUuid& id) { navigation_.setPage(Page::project(id)); },
        [this](const ProjectRecord& record, QWidget* parent) { return rowMenu(record, parent); });
  }
  auto* card = new Card(std::nullopt, content);
  card->setObjectName(QStringLiteral("projectsCard"));
  page_->replace(card_, card);
  card_ = card;
}

}  // namespace tovrane::app
