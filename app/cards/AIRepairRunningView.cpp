#include "app/cards/AIRepairViews.hpp"

#include "app/cards/ProgressBar.hpp"
#include "app/state/Brand.hpp"
#include "app/state/Clock.hpp"
#include "app/window/Animations.hpp"
#include "app/window/Formats.hpp"
#include "app/window/Labels.hpp"
#include "app/window/Controls.hpp"
#include "app/window/LineLimitedLabel.hpp"
#include "app/window/Look.hpp"
#include "app/window/Spinner.hpp"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace tovrane::app {

namespace {
constexpr int spinnerSize = 12;
// The fill follows a new share like a spring: 0.6 s period, slightly damped.
constexpr double fillResponse = 0.6;
constexpr double fillDamping = 0.9;
}  // namespace

AIRepairRunningView::AIRepairRunningView(AIRepairModel& model, const AIRepairCard::Services& services,
                                         const AIRepairCard& card, QWidget* parent)
    : AIRepairView(parent), model_(model), services_(services), card_(card), clock_(new QTimer(this)) {
  setObjectName(QStringLiteral("repairRunning"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(14);

  auto* progress = new QVBoxLayout;
  progress->setSpacing(6);
  auto* counts = new QHBoxLayout;
  counts->setSpacing(6);
  done_ = plainLabel(QString(), heavyFont(30), Brand::ink(), this);
  done_->setObjectName(QStringLiteral("repairDone"));
  of_ = plainLabel(QString(), app::font(TextStyle::headline), secondaryText(), this);
  of_->setObjectName(QStringLiteral("repairOf"));
  files_ = plainLabel(QString(), app::font(TextStyle::callout), secondaryText(), this);
  files_->setObjectName(QStringLiteral("repairFiles"));
  percent_ = plainLabel(QString(), heavyFont(22), Brand::droidDeep(), this);
  percent_->setObjectName(QStringLiteral("repairPercent"));
  counts->addWidget(done_, 0, Qt::AlignBaseline);
  counts->addWidget(of_, 0, Qt::AlignBaseline);
  counts->addWidget(files_, 0, Qt::AlignBaseline);
  counts->addStretch();
  counts->addWidget(percent_, 0, Qt::AlignBaseline);
  progress->addLayout(counts);
  bar_ = new ProgressBar(services_.platform, this);
  bar_->setObjectName(QStringLiteral("repairProgress"));
  bar_->setTint(Brand::droid());
  bar_->setActive(true);
  fill_ = new SpringAnimation(fillResponse, fillDamping, this);
  connect(fill_, &QVariantAnimation::valueChanged, bar_,
          [this](const QVariant& value) { bar_->setValue(value.toDouble()); });
  progress->addWidget(bar_);
  layout->addLayout(progress);

  auto* chips = new QHBoxLayout;
  chips->setSpacing(10);
  const char* const titles[] = {"Stellen ergänzen", "Kompilieren", "Fertig"};
  for (std::size_t index = 0; index < chips_.size(); ++index) {
    chips_[index] = new PhaseChip(QString::fromUtf8(titles[index]), PhaseChip::State::pending, this);
    chips->addWidget(chips_[index]);
  }
  chips->addStretch();
  errorText_ = plainLabel(QString(), semiboldFont(TextStyle::callout), Brand::swift(), this);
  errorText_->setObjectName(QStringLiteral("repairErrors"));
  errors_ =
      symbolRow(symbolLabel(QStringLiteral("hammer"), TextStyle::callout, Brand::swift(), this), errorText_, this);
  chips->addWidget(errors_);
  layout->addLayout(chips);

  auto* status = new QHBoxLayout;
  status->setSpacing(10);
  status->addWidget(new Spinner(spinnerSize, this), 0, Qt::AlignVCenter);
  status_ = new LineLimitedLabel(QStringLiteral("repairStatus"), QString(), monospacedFont(TextStyle::callout),
                                 Brand::ink(), 1, this);
  status->addWidget(status_, 1);
  elapsed_ = plainLabel(QString(), app::font(TextStyle::callout), secondaryText(), this);
  elapsed_->setObjectName(QStringLiteral("repairElapsed"));
  status->addWidget(elapsed_);
  cost_ = plainLabel(QString(), app::font(TextStyle::callout), secondaryText(), this);
  cost_->setObjectName(QStringLiteral("repairCost"));
  status->addWidget(cost_);
  QPushButton* cancel = borderedButton(QStringLiteral("Abbrechen"), QStringLiteral("cancelRepairButton"), this);
  connect(cancel, &QPushButton::clicked, this, [this] { model_.cancel(); });
  setFocusProxy(cancel);
  status->addWidget(cancel);
  layout->addLayout(status);

  escalationText_ = plainLabel(QString(), app::font(TextStyle::caption), secondaryText(), this);
  escalationText_->setObjectName(QStringLiteral("repairEscalations"));
  escalationText_->setWordWrap(true);
  QLabel* escalationSymbol =
      symbolLabel(QStringLiteral("arrow.up.forward.circle"), TextStyle::caption, secondaryText(), this);
  escalation_ = symbolRow(escalationSymbol, escalationText_, this);
  layout->addWidget(escalation_);
  last_ = new LineLimitedLabel(QStringLiteral("repairLastFiles"), QString(), monospacedFont(TextStyle::caption),
                               secondaryText(), 1, this);
  layout->addWidget(last_);

  clock_->setInterval(1000);
  connect(clock_, &QTimer::timeout, this, &AIRepairRunningView::tick);
}

void AIRepairRunningView::sync() {
  const int denominator = std::max(model_.total(), card_.placeholders());
  const double fraction = AIRepairCard::fraction(model_.done(), model_.total(), card_.placeholders());
  done_->setText(QString::number(model_.done()));
  of_->setText(QStringLiteral("von %1 Stellen gelöst").arg(denominator));
  const int touched = static_cast<int>(model_.touchedFiles().size());
  files_->setVisible(model_.filesDone() > 0 || touched > 0);
  files_->setText(QStringLiteral("· %1 von %2 Dateien fertig")
                      .arg(model_.filesDone())
                      .arg(std::max(touched, model_.filesDone())));
  percent_->setText(wholePercent(fraction));
  // A new share moves the fill there from wherever it is now.
  if (fill_->endValue() != QVariant(fraction)) {
    fill_->stop();
    fill_->setStartValue(bar_->value());
    fill_->setEndValue(fraction);
    startAnimation(fill_);
  }

  const auto states = AIRepairCard::chipStates(fraction, model_.compileRound(), model_.compileErrors());
  for (std::size_t index = 0; index < chips_.size(); ++index) {
    chips_[index]->setState(states[index]);
  }
  const std::optional<int>& errors = model_.compileErrors();
  errors_->setVisible(errors && *errors >= 1);
  errorText_->setText(QStringLiteral("%1 Kompilierfehler offen").arg(errors.value_or(0)));

  status_->setFullText(model_.status());
  tick();
  cost_->setVisible(model_.backend() == Backend::api);
  cost_->setText(QStringLiteral("≈ ") + fixedDecimals(model_.cost(), 2) + QStringLiteral(" $"));
  escalation_->setVisible(model_.escalations() >= 1);
  escalationText_->setText(
      QStringLiteral("%1× an ein stärkeres Modell weitergegeben · aktuell ").arg(model_.escalations()) +
      model_.currentModel());
  last_->setVisible(!model_.touchedFiles().isEmpty());
  last_->setFullText(AIRepairCard::lastFiles(model_.touchedFiles()));
}

void AIRepairRunningView::tick() {
  const qint64 seconds = std::max<qint64>(0, model_.startedAt().secsTo(services_.clock.now()));
  elapsed_->setText(AIRepairCard::elapsed(seconds));
}

void AIRepairRunningView::showEvent(QShowEvent* event) {
  AIRepairView::showEvent(event);
  tick();
  clock_->start();
}

void AIRepairRunningView::hideEvent(QHideEvent* event) {
  AIRepairView::hideEvent(event);
  clock_->stop();
}

}  // namespace tovrane::app
