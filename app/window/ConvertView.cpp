#include "app/window/ConvertView.hpp"

#include "app/cards/ProgressBar.hpp"
#include "app/platform/Dialogs.hpp"
#include "app/platform/Platform.hpp"
#include "app/state/Brand.hpp"
#include "app/state/ConversionModel.hpp"
#include "app/state/ProjectStore.hpp"
#include "app/state/Settings.hpp"
#include "app/window/Animations.hpp"
#include "app/window/Controls.hpp"
#include "app/window/LineLimitedLabel.hpp"
#include "app/window/Look.hpp"
#include "app/window/Page.hpp"
#include "app/window/PageComponents.hpp"
#include "app/window/Spinner.hpp"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEasingCurve>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace tovrane::app {

namespace {
namespace fs = std::filesystem;
using conversion_phase::Failed;
using conversion_phase::Finished;
using conversion_phase::Idle;
using conversion_phase::Running;

// The folder badge: 120 × 92, radius 22, turned by −6°; room for it at 1.12.
constexpr QSizeF badgeSize(120, 92);
constexpr double badgeRadius = 22;
constexpr double badgeTurn = -6;
constexpr double targetedScale = 1.12;
constexpr QSize badgeRoom(150, 125);
constexpr int folderSymbol = 54;

// The zone: radius 28, dashes of 12 with gaps of 9 inside its edge.
constexpr double zoneRadius = 28;
constexpr double dash = 12;
constexpr double gap = 9;

// The logo: a square and a circle of 80, each 10 off the middle at rest and
// 40 when spread; the square turns from +6° to −12°.
constexpr double logoShape = 80;
constexpr double logoRestOffset = 10;
constexpr double logoSpreadOffset = 40;
constexpr double logoRestTurn = 6;
constexpr double logoSpreadTurn = -12;
constexpr int swingMilliseconds = 1100;
constexpr int barMaximumWidth = 420;
constexpr int messageMaximumWidth = 480;

QLabel* centred(QLabel* label) {
  label->setAlignment(Qt::AlignCenter);
  return label;
}

QFont titleFont() { return heavyFont(30); }

// A row that gives widget all the width up to maximumWidth and centres it.
QHBoxLayout* centredUpTo(QWidget* widget, int maximumWidth) {
  widget->setMaximumWidth(maximumWidth);
  widget->setSizePolicy(QSizePolicy::Expanding, widget->sizePolicy().verticalPolicy());
  auto* row = new QHBoxLayout;
  row->addStretch();
  row->addWidget(widget, 1);
  row->addStretch();
  return row;
}

class FolderBadge : public QWidget {
 public:
  FolderBadge(const double& scale, QWidget* parent) : QWidget(parent), scale_(scale) {
    setFixedSize(badgeRoom);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    painter.translate(QRectF(rect()).center());
    painter.scale(scale_, scale_);
    painter.rotate(badgeTurn);
    const QRectF badge(-badgeSize.width() / 2, -badgeSize.height() / 2, badgeSize.width(), badgeSize.height());
    painter.setPen(Qt::NoPen);
    painter.setBrush(Brand::swift());
    painter.drawRoundedRect(badge, badgeRadius, badgeRadius);
    const qreal ratio = devicePixelRatioF() * scale_;
    const QPixmap folder = iconPixmap(QStringLiteral("folder.fill"), folderSymbol, Brand::ink(), ratio);
    painter.drawPixmap(QRectF(-folderSymbol / 2.0, -folderSymbol / 2.0, folderSymbol, folderSymbol), folder,
                       QRectF(folder.rect()));
  }

 private:
  const double& scale_;
};

class SwingingLogo : public QWidget {
 public:
  SwingingLogo(const double& spread, QWidget* parent) : QWidget(parent), spread_(spread) {
    // Fully spread the two shapes span 160, and the turned square a little more.
    setFixedSize(190, 110);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const QPointF middle = QRectF(rect()).center();
    const double offset = logoRestOffset + (logoSpreadOffset - logoRestOffset) * spread_;
    const double turn = logoRestTurn + (logoSpreadTurn - logoRestTurn) * spread_;
    const QRectF shape(-logoShape / 2, -logoShape / 2, logoShape, logoShape);
    painter.save();
    painter.translate(middle + QPointF(-offset, 0));
    painter.rotate(turn);
    painter.setBrush(Brand::swift());
    painter.drawRoundedRect(shape, 20, 20);
    painter.restore();
    painter.translate(middle + QPointF(offset, 0));
    painter.setBrush(Brand::droid());
    painter.drawEllipse(shape);
  }

 private:
  const double& spread_;
};

QWidget* failureView(const QString& message, QWidget* parent, const std::function<void()>& retry) {
  auto* view = new QWidget(parent);
  view->setObjectName(QStringLiteral("failureView"));
  auto* column = new QVBoxLayout(view);
  column->setSpacing(16);
  column->addStretch();
  column->addWidget(centred(symbolLabel(QStringLiteral("exclamationmark.triangle.fill"), 48, Brand::swift(), view)));
  QFont bold = app::font(TextStyle::title);
  bold.setBold(true);
  column->addWidget(centred(plainLabel(QStringLiteral("Das hat nicht geklappt"), bold, Brand::ink(), view)));
  QLabel* text = centred(plainLabel(message, app::font(TextStyle::title3), secondaryText(), view));
  text->setObjectName(QStringLiteral("failureMessage"));
  text->setWordWrap(true);
  column->addLayout(centredUpTo(text, messageMaximumWidth));
  QPushButton* again = prominentButton(QStringLiteral("Nochmal versuchen"), QStringLiteral("retry"), view);
  QObject::connect(again, &QPushButton::clicked, view, retry);
  column->addWidget(again, 0, Qt::AlignHCenter);
  column->addStretch();
  return view;
}

}  // namespace

DropZone::DropZone(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("dropZone"));
  setAccessibleName(QStringLiteral("Projektordner hier reinziehen"));
  setAcceptDrops(true);
  auto* column = new QVBoxLayout(this);
  column->setSpacing(22);
  column->addStretch();
  badge_ = new FolderBadge(badgeScale_, this);
  column->addWidget(badge_, 0, Qt::AlignHCenter);
  title_ = centred(plainLabel(QStringLiteral("Projektordner hier reinziehen"), titleFont(), Brand::ink(), this));
  title_->setObjectName(QStringLiteral("dropTitle"));
  column->addWidget(title_);
  QLabel* hint = centred(plainLabel(QStringLiteral("Den Ordner, in dem deine .xcodeproj liegt."),
                                    app::font(TextStyle::title3), secondaryText(), this));
  hint->setWordWrap(true);
  column->addWidget(hint);
  QPushButton* choose = prominentButton(QStringLiteral("Ordner auswählen …"), QStringLiteral("chooseFolder"), this);
  connect(choose, &QPushButton::clicked, this, &DropZone::chooseFolder);
  column->addWidget(choose, 0, Qt::AlignHCenter);
  column->addStretch();

  spring_ = new SpringAnimation(0.35, 0.6, this);
  connect(spring_, &QVariantAnimation::valueChanged, this, [this](const QVariant& scale) {
    badgeScale_ = scale.toDouble();
    badge_->update();
  });
}

void DropZone::setTargeted(bool targeted) {
  if (targeted == targeted_) {
    return;
  }
  targeted_ = targeted;
  // The title, the fill and the border switch at once; only the badge moves.
  title_->setText(targeted ? QStringLiteral("Loslassen!") : QStringLiteral("Projektordner hier reinziehen"));
  update();
  spring_->stop();
  spring_->setStartValue(badgeScale_);
  spring_->setEndValue(targeted ? targetedScale : 1.0);
  startAnimation(spring_);
}

void DropZone::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls() && !event->mimeData()->urls().isEmpty()) {
    event->acceptProposedAction();
    setTargeted(true);
  }
}

void DropZone::dragLeaveEvent(QDragLeaveEvent*) { setTargeted(false); }

void DropZone::dropEvent(QDropEvent* event) {
  setTargeted(false);
  const QList<QUrl> urls = event->mimeData()->urls();
  if (urls.isEmpty()) {
    event->ignore();
    return;
  }
  event->acceptProposedAction();
  emit dropped(urls.first());
}

void DropZone::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const double width = targeted_ ? 4 : 2.5;
  const QRectF outline = QRectF(rect()).adjusted(width / 2, width / 2, -width / 2, -width / 2);
  QPainterPath zone;
  zone.addRoundedRect(QRectF(rect()), zoneRadius, zoneRadius);
  painter.fillPath(zone, targeted_ ? withAlpha(Brand::droid(), 0.12) : withAlpha(Qt::white, 0.4));
  QPen border(targeted_ ? Brand::droid() : withAlpha(Brand::ink(), 0.25), width);
  // A pen's dash pattern counts in line widths.
  border.setDashPattern({dash / width, gap / width});
  painter.setPen(border);
  painter.setBrush(Qt::NoBrush);
  painter.drawRoundedRect(outline, zoneRadius - width / 2, zoneRadius - width / 2);
}

RunningView::RunningView(Platform& platform, const QString& step, double progress, QWidget* parent)
    : QWidget(parent) {
  setObjectName(QStringLiteral("runningView"));
  auto* column = new QVBoxLayout(this);
  column->setSpacing(26);
  column->addStretch();
  logo_ = new SwingingLogo(spread_, this);
  column->addWidget(logo_, 0, Qt::AlignHCenter);
  column->addWidget(centred(plainLabel(QStringLiteral("Wird umgewandelt …"), titleFont(), Brand::ink(), this)));
  bar_ = new ProgressBar(platform, this);
  bar_->setObjectName(QStringLiteral("runningProgress"));
  bar_->setTint(Brand::droid());
  bar_->setActive(false);
  column->addLayout(centredUpTo(bar_, barMaximumWidth));
  step_ = new LineLimitedLabel(QStringLiteral("runningStep"), QString(), monospacedFont(TextStyle::callout),
                               secondaryText(), 1, this);
  step_->setAlignment(Qt::AlignCenter);
  column->addWidget(step_);
  column->addStretch();
  setStep(step, progress);

  swing_ = new ReversingAnimation(this);
  swing_->setStartValue(0.0);
  swing_->setEndValue(1.0);
  swing_->setDuration(swingMilliseconds);
  swing_->setEasingCurve(QEasingCurve::InOutSine);
  swing_->setLoopCount(-1);
  connect(swing_, &QVariantAnimation::valueChanged, this, [this](const QVariant& spread) {
    spread_ = spread.toDouble();
    logo_->update();
  });
}

void RunningView::setStep(const QString& step, double progress) {
  step_->setFullText(step);
  bar_->setValue(progress);
}

QString RunningView::step() const { return step_->fullText(); }

double RunningView::progress() const { return bar_->value(); }

void RunningView::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // The swing starts once, when the view first shows, and lasts while it lives.
  if (!swinging_) {
    swinging_ = true;
    startAnimation(swing_);
  }
}

ConvertView::ConvertView(ProjectStore& store, Navigation& navigation, Engine& engine, Workers& workers,
                         Settings& settings, OutputReservations& reservations, Dialogs& dialogs, Platform& platform,
                         QWidget* parent)
    : QWidget(parent),
      store_(store),
      navigation_(navigation),
      settings_(settings),
      dialogs_(dialogs),
      platform_(platform),
      model_(std::make_unique<ConversionModel>(engine, workers, settings, reservations)) {
  setObjectName(QStringLiteral("convertView"));
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(28, 28, 28, 28);
  column->setSpacing(20);
  column->addWidget(new PageHeader(QStringLiteral("Neue Umwandlung"),
                                   QStringLiteral("Aus deinem Xcode-Projekt wird ein Android-Studio-Projekt.")));
  phaseArea_ = new QWidget(this);
  phaseArea_->setObjectName(QStringLiteral("phaseArea"));
  auto* area = new QVBoxLayout(phaseArea_);
  area->setContentsMargins(0, 0, 0, 0);
  column->addWidget(phaseArea_, 1);
  showPhase();
  connect(model_.get(), &ConversionModel::phaseChanged, this, [this] {
    showPhase();
    if (std::holds_alternative<Finished>(model_->phase())) {
      finish();
    }
  });
}

ConvertView::~ConvertView() = default;

void ConvertView::showPhase() {
  const ConversionModel::Phase& phase = model_->phase();
  if (const auto* running = std::get_if<Running>(&phase)) {
    if (auto* view = qobject_cast<RunningView*>(phaseView_)) {
      view->setStep(running->step, running->progress);
      return;
    }
  }
  QWidget* view;
  if (const auto* running = std::get_if<Running>(&phase)) {
    view = new RunningView(platform_, running->step, running->progress, phaseArea_);
  } else if (const auto* failed = std::get_if<Failed>(&phase)) {
    view = failureView(failed->message, phaseArea_, [this] { model_->reset(); });
  } else if (std::holds_alternative<Idle>(phase)) {
    auto* zone = new DropZone(phaseArea_);
    connect(zone, &DropZone::dropped, this, &ConvertView::start);
    connect(zone, &DropZone::chooseFolder, this, &ConvertView::chooseFolder);
    view = zone;
  } else {
    // Finished: shown only until the record is made (or for good when the
    // model holds no result, which it never does).
    view = new QWidget(phaseArea_);
    view->setObjectName(QStringLiteral("finishing"));
    auto* centre = new QVBoxLayout(view);
    centre->addWidget(new Spinner(20, view), 0, Qt::AlignCenter);
  }
  if (phaseView_ != nullptr) {
    // The old view may be the sender of this change (a button, a drop): it goes once its event is over.
    phaseView_->hide();
    phaseView_->deleteLater();
  }
  phaseView_ = view;
  phaseArea_->layout()->addWidget(view);
  view->show();
}

void ConvertView::start(const QUrl& item) {
  // A URL that names no local item (a web address, say) is no folder here
  // either; the model refuses it with its folder text.
  model_->start(item.isLocalFile() ? fs::path(item.toLocalFile().toStdString()) : fs::path());
}

void ConvertView::chooseFolder() {
  if (const std::optional<QString> folder = dialogs_.pickFolder(this, QStringLiteral("Projektordner auswählen"))) {
    model_->start(fs::path(folder->toStdString()));
  }
}

void ConvertView::finish() {
  const std::optional<ConversionResult>& result = model_->result();
  const std::optional<fs::path>& input = model_->lastInput();
  if (!result || !input) {
    return;
  }
  const ProjectRecord record = store_.add(*result, *input, model_->placeholders());
  if (settings_.openStudioAfter()) {
    platform_.openInAndroidStudio(QString::fromStdString(result->outputDirectory.string()));
  }
  model_->reset();
  navigation_.setPage(Page::project(record.id));
}

}  // namespace tovrane::app
