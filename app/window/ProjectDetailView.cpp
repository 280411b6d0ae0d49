#include "app/window/ProjectDetailView.hpp"

#include "app/cards/AIRepairCard.hpp"
#include "app/cards/DeviceTestCard.hpp"
#include "app/platform/Launcher.hpp"
#include "app/platform/Platform.hpp"
#include "app/platform/PlatformTexts.hpp"
#include "app/state/Brand.hpp"
#include "app/state/Clock.hpp"
#include "app/state/DeviceTestModel.hpp"
#include "app/state/JobCenter.hpp"
#include "app/state/ProjectStore.hpp"
#include "app/window/AppServices.hpp"
#include "app/window/Controls.hpp"
#include "app/window/FocusOrder.hpp"
#include "app/window/Formats.hpp"
#include "app/window/Labels.hpp"
#include "app/window/Look.hpp"
#include "app/window/Page.hpp"
#include "app/window/PageComponents.hpp"
#include "app/window/Sidebar.hpp"
#include "app/window/WarningsSection.hpp"

#include <QEvent>
#include <QHBoxLayout>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>

namespace tovrane::app {

namespace {
constexpr int sectionSpacing = 20;
constexpr int tileMinimumWidth = 150;
constexpr int tileSpacing = 12;
constexpr int headerSymbolSize = 30;

const char* const reportFile = "TOVRANE_BERICHT.md";

// Placeholders the last repair solved as the page shows and stores them: never below 0.
long long solvedPlaces(const ProjectRecord& record) { return std::max(0LL, record.aiSolved()); }

// The AI-repair card stays until a repair left no place open and the project compiled.
bool repairWanted(const ProjectRecord& record) {
  return !(record.ai && record.ai->remaining <= 0 && record.ai->compiled == true);
}

// A section whose content comes and goes: hidden while empty, so that it takes no room.
QWidget* slot() {
  auto* widget = new QWidget;
  auto* layout = new QVBoxLayout(widget);
  layout->setContentsMargins(0, 0, 0, 0);
  widget->hide();
  return widget;
}

// Empties a slot; what it held may hold the button whose click led here, so it goes once the event is over.
void clearSlot(QWidget* slot) {
  while (QLayoutItem* item = slot->layout()->takeAt(0)) {
    if (QWidget* widget = item->widget()) {
      widget->hide();
      widget->setParent(nullptr);
      widget->deleteLater();
    }
    delete item;
  }
  slot->hide();
}

void fillSlot(QWidget* slot, QWidget* content) {
  clearSlot(slot);
  slot->layout()->addWidget(content);
  slot->show();
}

// One figure of the card "Letzte KI-Reparatur": the label small and grey, the value below it.
QWidget* figure(const QString& name, const QString& label, const QString& value) {
  auto* item = new QWidget;
  auto* column = new QVBoxLayout(item);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(2);
  column->addWidget(plainLabel(label, app::font(TextStyle::caption), secondaryText()));
  QLabel* shown = plainLabel(value, app::font(TextStyle::headline), Brand::ink());
  shown->setObjectName(name);
  column->addWidget(shown);
  return item;
}

QString compiledText(const ProjectRecord::AIRecord& ai) {
  if (!ai.compiled) {
    return QStringLiteral("–");
  }
  return *ai.compiled ? QStringLiteral("ja") : QStringLiteral("nein (%1)").arg(ai.remainingErrors);
}
}  // namespace

ProjectRecord::AIRecord aiRecordFor(const AIRepairResult& result, Backend backend, int convertedPlaceholders,
                                    const QDateTime& now) {
  ProjectRecord::AIRecord ai;
  ai.date = now;
  ai.backend = QString::fromUtf8(label(backend));
  ai.fixed = std::max(0, convertedPlaceholders - result.remainingPlaceholders);
  ai.remaining = result.remainingPlaceholders;
  ai.compiled = result.compiled;
  ai.remainingErrors = result.remainingErrors;
  ai.costUSD = result.costUSD;
  return ai;
}

AIRepairModel::FinishAction storeRepairOutcome(ProjectStore& store, const Clock& clock, const QUuid& id,
                                               int convertedPlaceholders) {
  return [&store, &clock, id, convertedPlaceholders](const AIRepairResult& result, Backend backend, int) {
    store.updateAI(id, aiRecordFor(result, backend, convertedPlaceholders, clock.now()));
  };
}

ProjectDetailView::ProjectDetailView(const AppServices& services, Navigation& navigation, const ProjectRecord& record,
                                     QWidget* parent)
    : ScrollingPage(sectionSpacing, parent), services_(services), navigation_(navigation), record_(record) {
  setObjectName(QStringLiteral("projectDetailPage"));

  // Header: the symbol beside the name and the selectable output path.
  auto* header = new QWidget;
  auto* headerRow = new QHBoxLayout(header);
  headerRow->setContentsMargins(0, 0, 0, 0);
  headerRow->setSpacing(12);
  symbol_ = new QLabel(header);
  symbol_->setObjectName(QStringLiteral("headerSymbol"));
  symbol_->setFixedWidth(headerSymbolSize);
  symbol_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  headerRow->addWidget(symbol_, 0, Qt::AlignTop);
  auto* titles = new QVBoxLayout;
  titles->setSpacing(4);
  // The symbol centred on the name's capitals, as a symbol beside a text
  // sits, not on its line box, whose room above and below differs by font:
  // whichever of the two would start higher moves down.
  const QFontMetricsF title(heavyFont(32));
  const int symbolTop = qRound(title.ascent() - title.capHeight() / 2 - headerSymbolSize / 2.0);
  symbol_->setContentsMargins(0, std::max(0, symbolTop), 0, 0);
  titles->setContentsMargins(0, std::max(0, -symbolTop), 0, 0);
  name_ = plainLabel(QString(), heavyFont(32), Brand::ink(), header);
  name_->setObjectName(QStringLiteral("projectName"));
  name_->setWordWrap(true);
  titles->addWidget(name_);
  path_ = plainLabel(QString(), monospacedFont(TextStyle::callout), secondaryText(), header);
  path_->setObjectName(QStringLiteral("outputPath"));
  path_->setWordWrap(true);
  path_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  titles->addWidget(path_);
  headerRow->addLayout(titles, 1);
  add(header);

  QLabel* missingText = plainLabel(QStringLiteral("Der Ausgabeordner existiert nicht mehr."),
                                   app::font(TextStyle::body), Brand::swift());
  missingText->setObjectName(QStringLiteral("missingOutput"));
  missing_ = symbolRow(symbolLabel(QStringLiteral("exclamationmark.triangle"), TextStyle::body, Brand::swift()),
                       missingText);
  add(missing_);

  auto* tiles = new QWidget;
  tiles_ = new AdaptiveGridLayout(tileMinimumWidth, tileSpacing, tiles);
  add(tiles);

  // Actions on the Android project; disabled while its folder is gone.
  auto* actions = new QWidget;
  // "Neu umwandeln" at the row's end; on a narrow page the row wraps.
  auto* actionRow = new FlowLayout(12, true, actions);
  QPushButton* studio = prominentButton(QStringLiteral("In Android Studio öffnen"),
                                        QStringLiteral("openInStudioButton"), Brand::droidDeep(), actions);
  studio->setIcon(icon(QStringLiteral("play.fill"), Qt::white));
  connect(studio, &QPushButton::clicked, this, [this] { services_.platform.openInAndroidStudio(record_.outputPath); });
  QPushButton* reveal =
      borderedButton(platformText(QStringLiteral("Im Finder zeigen")), QStringLiteral("revealButton"), actions);
  reveal->setIcon(icon(QStringLiteral("folder"), Brand::ink()));
  connect(reveal, &QPushButton::clicked, this, [this] { services_.platform.reveal(record_.outputPath); });
  QPushButton* report = borderedButton(QStringLiteral("Bericht"), QStringLiteral("reportButton"), actions);
  report->setIcon(icon(QStringLiteral("doc.text"), Brand::ink()));
  connect(report, &QPushButton::clicked, this, [this] {
    // A missing or unopenable report fails without a message.
    services_.launcher.openUrl(
        QUrl::fromLocalFile(record_.outputPath + QLatin1Char('/') + QString::fromUtf8(reportFile)));
  });
  QPushButton* convert = borderedButton(QStringLiteral("Neu umwandeln"), QStringLiteral("convertAgainButton"), actions);
  convert->setIcon(icon(QStringLiteral("arrow.clockwise"), Brand::ink()));
  connect(convert, &QPushButton::clicked, this, [this] { navigation_.setPage(Page::convert()); });
  actions_ = {studio, reveal, report, convert};
  for (QPushButton* action : actions_) {
    if (action != studio) {
      // The large size of the prominent button (32 inside a 2-pixel border) for the whole row.
      action->setStyleSheet(action->styleSheet() + QStringLiteral("QPushButton { min-height: 34px; }"));
    }
    actionRow->addWidget(action);
  }
  add(actions);

  lastRepairSlot_ = slot();
  add(lastRepairSlot_);
  repairSlot_ = slot();
  add(repairSlot_);
  deviceSlot_ = slot();
  add(deviceSlot_);
  // A record's warnings never change: the section, with its filter, is made once.
  if (!record_.warnings.empty()) {
    warnings_ = new WarningsSection(record_.warnings);
    add(warnings_);
  }

  connect(&services_.store, &ProjectStore::projectsChanged, this, &ProjectDetailView::refresh);
  refresh();
}

void ProjectDetailView::refresh() {
  if (std::optional<ProjectRecord> current = services_.store.project(record_.id)) {
    record_ = std::move(*current);
  }
  // Nothing watches the folder: whether it exists is asked at every redraw.
  const bool exists = outputExists(record_);
  drawHeader(exists);
  drawTiles();
  for (QPushButton* action : actions_) {
    action->setEnabled(exists);
  }
  drawLastRepair();
  drawCards(exists);
  orderFocus();
}

void ProjectDetailView::drawHeader(bool outputExists) {
  const bool compiled = record_.ai && record_.ai->compiled == true;
  const QString symbol = compiled ? QStringLiteral("checkmark.seal.fill") : QStringLiteral("app.badge.checkmark");
  if (symbol_->property("symbol").toString() != symbol) {
    symbol_->setProperty("symbol", symbol);
    symbol_->setPixmap(iconPixmap(symbol, headerSymbolSize, Brand::droidDeep(), devicePixelRatioF()));
  }
  name_->setText(record_.name);
  path_->setText(record_.outputPath);
  missing_->setVisible(!outputExists);
}

void ProjectDetailView::drawTiles() {
  const QStringList texts{QString::number(record_.swiftFiles),
                          groupedCount(record_.swiftLines),
                          wholePercent(record_.effectiveCoverage()),
                          record_.ai ? QStringLiteral("inkl. KI") : QStringLiteral("automatisch übersetzt"),
                          QString::number(record_.openPlaces()),
                          QString::number(static_cast<qint64>(record_.images) + record_.colors)};
  if (texts == tilesDrawn_) {
    return;
  }
  tilesDrawn_ = texts;
  while (QLayoutItem* item = tiles_->takeAt(0)) {
    delete item->widget();
    delete item;
  }
  struct Tile {
    const char* name;
    QString value;
    QString label;
    const char* symbol;
    QColor tint;
  };
  const Tile tiles[] = {
      {"filesTile", texts[0], QStringLiteral("Swift-Dateien"), "swift", Brand::swift()},
      {"linesTile", texts[1], QStringLiteral("Zeilen"), "text.alignleft", Brand::ink()},
      {"coverageTile", texts[2], texts[3], "gauge.with.dots.needle.67percent", Brand::droidDeep()},
      {"openTile", texts[4], QStringLiteral("Stellen offen"), "exclamationmark.bubble", Brand::swift()},
      {"assetsTile", texts[5], QStringLiteral("Assets übernommen"), "photo.on.rectangle", Brand::ink()},
  };
  for (const Tile& tile : tiles) {
    auto* made = new StatTile(tile.value, tile.label, QString::fromUtf8(tile.symbol), tile.tint);
    made->setObjectName(QString::fromUtf8(tile.name));
    tiles_->addWidget(made);
  }
}

void ProjectDetailView::drawLastRepair() {
  const auto drawn = std::make_pair(record_.ai, record_.convertedPlaceholders());
  if (lastRepairDrawn_ == drawn) {
    return;
  }
  lastRepairDrawn_ = drawn;
  if (!record_.ai) {
    clearSlot(lastRepairSlot_);
    return;
  }
  const ProjectRecord::AIRecord& ai = *record_.ai;
  auto* figures = new QWidget;
  auto* row = new FlowLayout(24, false, figures);
  row->addWidget(figure(QStringLiteral("lastRepairDate"), QStringLiteral("Wann"), abbreviatedDateTime(ai.date)));
  row->addWidget(figure(QStringLiteral("lastRepairBackend"), QStringLiteral("Womit"), ai.backend));
  row->addWidget(figure(QStringLiteral("lastRepairSolved"), QStringLiteral("Gelöst"),
                        QString::number(solvedPlaces(record_)) + QStringLiteral(" Stellen")));
  row->addWidget(figure(QStringLiteral("lastRepairCompiled"), QStringLiteral("Kompiliert"), compiledText(ai)));
  if (ai.costUSD > 0) {
    row->addWidget(figure(QStringLiteral("lastRepairCost"), QStringLiteral("Kosten"),
                          QStringLiteral("≈ ") + fixedDecimals(ai.costUSD, 2) + QStringLiteral(" $")));
  }
  auto* card = new Card(QStringLiteral("Letzte KI-Reparatur"), figures);
  card->setObjectName(QStringLiteral("lastRepairCard"));
  fillSlot(lastRepairSlot_, card);
}

void ProjectDetailView::drawCards(bool outputExists) {
  const std::filesystem::path output = record_.outputPath.toStdString();
  const bool repair = outputExists && repairWanted(record_);
  if (repair && repairCard_ == nullptr) {
    AIRepairModel& model = services_.jobs.repair(output, record_.name);
    repairCard_ = new AIRepairCard(
        model, AIRepairCard::Services{services_.engine, services_.platform, services_.launcher, services_.clock},
        record_.openPlaces(),
        storeRepairOutcome(services_.store, services_.clock, record_.id, record_.convertedPlaceholders()));
    // A run's end redraws the page (the folder may be gone), and the card's
    // new view takes its place in the Tab order.
    connect(&model, &AIRepairModel::phaseChanged, repairCard_, [this] { refresh(); });
    fillSlot(repairSlot_, repairCard_);
  } else if (!repair && repairCard_ != nullptr) {
    repairCard_ = nullptr;
    clearSlot(repairSlot_);
  }
  if (repairCard_ != nullptr) {
    repairCard_->setPlaceholders(record_.openPlaces());
  }
  if (outputExists && deviceCard_ == nullptr) {
    DeviceTestModel& model = services_.jobs.devices(output);
    deviceCard_ = new DeviceTestCard(model, services_.tools, output, record_.inputPath.toStdString());
    for (auto side : {&DeviceTestModel::androidChanged, &DeviceTestModel::iosChanged}) {
      connect(&model, side, deviceCard_, [this] { refresh(); });
    }
    fillSlot(deviceSlot_, deviceCard_);
  } else if (!outputExists && deviceCard_ != nullptr) {
    deviceCard_ = nullptr;
    clearSlot(deviceSlot_);
  }
}

void ProjectDetailView::orderFocus() {
  QWidget* last = actions_.back();
  for (QWidget* section : {repairSlot_, deviceSlot_, warnings_}) {
    if (section != nullptr) {
      last = chainAfter(last, section);
    }
  }
}

void ProjectDetailView::showEvent(QShowEvent* event) {
  ScrollingPage::showEvent(event);
  // The window's activation redraws the page too: the folder may have gone meanwhile.
  if (watchedWindow_ != window()) {
    if (watchedWindow_ != nullptr) {
      watchedWindow_->removeEventFilter(this);
    }
    watchedWindow_ = window();
    watchedWindow_->installEventFilter(this);
  }
  refresh();
}

bool ProjectDetailView::eventFilter(QObject* watched, QEvent* event) {
  if (watched == watchedWindow_ && event->type() == QEvent::WindowActivate) {
    refresh();
  }
  return ScrollingPage::eventFilter(watched, event);
}

}  // namespace tovrane::app
