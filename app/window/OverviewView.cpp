#include "app/window/OverviewView.hpp"

#include "app/state/Brand.hpp"
#include "app/state/Clock.hpp"
#include "app/state/ProjectStore.hpp"
#include "app/window/Controls.hpp"
#include "app/window/CoverageChart.hpp"
#include "app/window/Formats.hpp"
#include "app/window/Look.hpp"
#include "app/window/Page.hpp"
#include "app/window/PageComponents.hpp"
#include "app/window/PageLayout.hpp"
#include "app/window/ProjectList.hpp"

#include <QHBoxLayout>
#include <QLabel>
#include <QSet>
#include <QVBoxLayout>

#include <algorithm>

namespace tovrane::app {

namespace {
constexpr int blockSpacing = 22;
constexpr int tileMinimumWidth = 170;
constexpr int tileSpacing = 14;
constexpr int aiCardWidth = 260;
constexpr int emptyChartHeight = 180;
constexpr std::size_t chartLimit = 8;
constexpr std::size_t recentLimit = 5;
// One hour of hand work saved per this many translated Swift lines.
constexpr long long linesPerHour = 40;

QWidget* tiles(const ProjectStore& store) {
  auto* grid = new QWidget;
  grid->setObjectName(QStringLiteral("statTiles"));
  auto* layout = new AdaptiveGridLayout(tileMinimumWidth, tileSpacing, grid);
  const auto tile = [layout](const QString& name, const QString& value, const char* label, const char* symbol,
                             const QColor& tint) {
    auto* made = new StatTile(value, QString::fromUtf8(label), QString::fromUtf8(symbol), tint);
    made->setObjectName(name);
    layout->addWidget(made);
  };
  tile(QStringLiteral("projectsTile"), QString::number(store.projects().size()), "Projekte umgewandelt",
       "square.stack.3d.up.fill", Brand::swift());
  tile(QStringLiteral("linesTile"), groupedCount(store.totalLines()), "Zeilen Swift übersetzt", "text.alignleft",
       Brand::ink());
  tile(QStringLiteral("coverageTile"), wholePercent(store.averageCoverage()), "Ø automatisch erledigt",
       "gauge.with.dots.needle.67percent", Brand::droidDeep());
  tile(QStringLiteral("hoursTile"),
       QStringLiteral("≈ ") + QString::number(store.totalLines() / linesPerHour) + QStringLiteral(" h"),
       "Handarbeit gespart (geschätzt)", "clock.arrow.circlepath", Brand::swift());
  return grid;
}

QWidget* legendEntry(const QString& text, const QColor& colour, QWidget* parent) {
  auto* entry = new QWidget(parent);
  auto* row = new QHBoxLayout(entry);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(4);
  const QFont caption = app::font(TextStyle::caption);
  row->addWidget(symbolLabel(QStringLiteral("square.fill"), QFontMetrics(caption).height(), colour, entry));
  row->addWidget(plainLabel(text, caption, colour, entry));
  return entry;
}

QWidget* chartContent(const std::vector<ProjectRecord>& records) {
  if (records.empty()) {
    auto* empty = plainLabel(QStringLiteral("Noch keine Daten."), app::font(TextStyle::body), secondaryText());
    empty->setObjectName(QStringLiteral("chartEmpty"));
    empty->setAlignment(Qt::AlignCenter);
    empty->setFixedHeight(emptyChartHeight);
    return empty;
  }
  QWidget* content = columnWidget(12);
  content->layout()->addWidget(new CoverageChart(OverviewView::chartProjects(records), content));
  auto* legend = new QWidget(content);
  legend->setObjectName(QStringLiteral("chartLegend"));
  auto* row = new QHBoxLayout(legend);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(14);
  row->addWidget(legendEntry(QStringLiteral("Regelbasiert"), Brand::swift(), legend));
  // The swatch is the deep green; the bars use the light one.
  row->addWidget(legendEntry(QStringLiteral("Durch KI"), Brand::droidDeep(), legend));
  row->addStretch();
  content->layout()->addWidget(legend);
  return content;
}

// One line of the AI card: the label on the left, the number at the far right.
QWidget* metric(const QString& name, const QString& label, long long value) {
  auto* line = new QWidget;
  auto* row = new QHBoxLayout(line);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(8);
  row->addWidget(plainLabel(label, app::font(TextStyle::body), secondaryText(), line), 1);
  QLabel* number = plainLabel(QString::number(value), heavyFont(app::font(TextStyle::title3).pixelSize()),
                              Brand::ink(), line);
  number->setObjectName(name);
  row->addWidget(number);
  return line;
}

QWidget* aiCard(const ProjectStore& store) {
  QWidget* rows = columnWidget(10);
  rows->layout()->addWidget(
      metric(QStringLiteral("aiFixed"), QStringLiteral("Stellen von KI gelöst"), store.aiFixed()));
  rows->layout()->addWidget(
      metric(QStringLiteral("compiledCount"), QStringLiteral("Projekte, die kompilieren"), store.compiledCount()));
  rows->layout()->addWidget(
      metric(QStringLiteral("kotlinFiles"), QStringLiteral("Kotlin-Dateien erzeugt"), store.totalFiles()));
  auto* card = new Card(QStringLiteral("KI-Reparatur"), rows);
  card->setObjectName(QStringLiteral("aiCard"));
  card->setFixedWidth(aiCardWidth);
  return card;
}
}  // namespace

OverviewView::OverviewView(ProjectStore& store, Navigation& navigation, const Clock& clock, QWidget* parent)
    : QWidget(parent), store_(store), navigation_(navigation), clock_(clock) {
  setObjectName(QStringLiteral("overviewView"));
  page_ = new ScrollingPage(0, this);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(page_);
  body_ = new QWidget;
  page_->add(body_);
  build();
  connect(&store_, &ProjectStore::projectsChanged, this, &OverviewView::build);
}

QString OverviewView::greeting(const QDateTime& localTime) {
  const int hour = localTime.time().hour();
  if (hour < 11) {
    return QStringLiteral("Guten Morgen");
  }
  return hour < 18 ? QStringLiteral("Hallo") : QStringLiteral("Guten Abend");
}

std::vector<ProjectRecord> OverviewView::chartProjects(const std::vector<ProjectRecord>& records) {
  std::vector<ProjectRecord> chosen;
  QSet<QString> seen;
  for (const ProjectRecord& record : records) {
    if (chosen.size() == chartLimit) {
      break;
    }
    const QString name = record.name.normalized(QString::NormalizationForm_C);
    if (!seen.contains(name)) {
      seen.insert(name);
      chosen.push_back(record);
    }
  }
  std::reverse(chosen.begin(), chosen.end());
  return chosen;
}

void OverviewView::build() {
  const std::vector<ProjectRecord>& records = store_.projects();
  QWidget* body = columnWidget(blockSpacing);
  body->setObjectName(QStringLiteral("overviewBody"));
  auto* blocks = static_cast<QVBoxLayout*>(body->layout());

  blocks->addWidget(new PageHeader(greeting(clock_.now().toLocalTime()),
                                   records.empty() ? QStringLiteral("Starte mit deiner ersten Umwandlung.")
                                                   : QStringLiteral("Das hast du bisher nach Android gebracht.")));
  blocks->addWidget(tiles(store_));

  auto* cards = new QWidget;
  auto* cardRow = new QHBoxLayout(cards);
  cardRow->setContentsMargins(0, 0, 0, 0);
  cardRow->setSpacing(14);
  auto* chartCard = new Card(QStringLiteral("Abdeckung je Projekt"), chartContent(records));
  chartCard->setObjectName(QStringLiteral("chartCard"));
  cardRow->addWidget(chartCard, 1, Qt::AlignTop);
  cardRow->addWidget(aiCard(store_), 0, Qt::AlignTop);
  blocks->addWidget(cards);

  QWidget* recent;
  if (records.empty()) {
    recent = columnWidget(12);
    recent->layout()->setContentsMargins(0, 20, 0, 20);
    auto* tray =
        symbolLabel(QStringLiteral("tray"), app::font(TextStyle::largeTitle).pixelSize(), secondaryText(), recent);
    tray->setAlignment(Qt::AlignCenter);
    recent->layout()->addWidget(tray);
    QLabel* text = plainLabel(QStringLiteral("Hier erscheinen deine Projekte."), app::font(TextStyle::body),
                              secondaryText(), recent);
    text->setAlignment(Qt::AlignCenter);
    recent->layout()->addWidget(text);
    QPushButton* first =
        prominentButton(QStringLiteral("Erstes Projekt umwandeln"), QStringLiteral("firstConversion"), recent);
    first->setIcon(icon(QStringLiteral("plus"), Qt::white));
    connect(first, &QPushButton::clicked, this, [this] { navigation_.setPage(Page::convert()); });
    static_cast<QVBoxLayout*>(recent->layout())->addWidget(first, 0, Qt::AlignHCenter);
  } else {
    const std::vector<ProjectRecord> newest(records.begin(),
                                            records.begin() + static_cast<std::ptrdiff_t>(
                                                                  std::min(recentLimit, records.size())));
    recent = new ProjectList(newest, clock_, [this](const QUuid& id) { navigation_.setPage(Page::project(id)); });
  }
  auto* recentCard = new Card(QStringLiteral("Zuletzt umgewandelt"), recent);
  recentCard->setObjectName(QStringLiteral("recentCard"));
  blocks->addWidget(recentCard);

  page_->replace(body_, body);
  body_ = body;
}

}  // namespace tovrane::app
