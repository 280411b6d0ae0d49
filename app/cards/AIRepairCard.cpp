#include "app/cards/AIRepairCard.hpp"

#include "app/cards/AIRepairViews.hpp"
#include "app/state/Brand.hpp"
#include "app/window/Controls.hpp"
#include "app/window/Formats.hpp"
#include "app/window/Labels.hpp"
#include "app/window/Look.hpp"
#include "app/window/PageLayout.hpp"

#include <QApplication>
#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace tovrane::app {

namespace {
constexpr int cardPadding = 18;
constexpr double cardRadius = 16;
constexpr double borderWidth = 1.5;

// Done: the outcome, the open placeholders with the cost, and the ways on.
// A build that failed without Kotlin errors (no network for Gradle, a
// missing SDK platform) leaves no error to count: the run's last status line
// says why.
class DoneView : public AIRepairView {
 public:
  DoneView(const AIRepairResult& result, const QString& lastStatus, std::function<void()> again,
           std::function<void()> choose, QWidget* parent)
      : AIRepairView(parent) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);
    QString symbol = QStringLiteral("checkmark.circle");
    QString text = QStringLiteral("Fertig. (Android Studio fehlt, daher keine Kompilierprüfung.)");
    QColor colour = Brand::ink();
    QFont textFont = app::font(TextStyle::body);
    if (result.compiled == true) {
      symbol = QStringLiteral("checkmark.seal.fill");
      text = QStringLiteral("Das Projekt kompiliert – bereit für Android Studio.");
      colour = Brand::droidDeep();
      textFont = app::font(TextStyle::headline);
    } else if (result.compiled == false) {
      symbol = QStringLiteral("exclamationmark.circle.fill");
      text = QString::number(result.remainingErrors) +
             QStringLiteral(" Kompilierfehler übrig – nochmal starten oder in Android Studio ansehen.");
      colour = Brand::swift();
    }
    QLabel* outcome = plainLabel(text, textFont, colour);
    outcome->setObjectName(QStringLiteral("repairOutcome"));
    outcome->setWordWrap(true);
    QLabel* outcomeSymbol = new QLabel;
    outcomeSymbol->setPixmap(iconPixmap(symbol, QFontMetrics(textFont).height(), colour, devicePixelRatioF()));
    column->addWidget(symbolRow(outcomeSymbol, outcome));
    if (result.compiled == false && result.remainingErrors == 0 && !lastStatus.isEmpty()) {
      QLabel* why = plainLabel(lastStatus, app::font(TextStyle::callout), Brand::swift());
      why->setObjectName(QStringLiteral("repairLastStatus"));
      why->setWordWrap(true);
      why->setTextInteractionFlags(Qt::TextSelectableByMouse);
      column->addWidget(why);
    }

    QString open = QStringLiteral("Offene Platzhalter: ") + QString::number(result.remainingPlaceholders);
    if (result.costUSD > 0) {
      open += QStringLiteral(" · Kosten ≈ ") + fixedDecimals(result.costUSD, 2) + QStringLiteral(" $");
    }
    QLabel* placeholders = plainLabel(open, app::font(TextStyle::callout), secondaryText());
    placeholders->setObjectName(QStringLiteral("repairPlaceholders"));
    column->addWidget(placeholders);

    auto* buttons = new QHBoxLayout;
    QPushButton* runAgain =
        borderedButton(QStringLiteral("Nochmal durchlaufen lassen"), QStringLiteral("runAgainButton"), this);
    connect(runAgain, &QPushButton::clicked, this, std::move(again));
    QPushButton* chooseModel =
        borderedButton(QStringLiteral("Modell wählen …"), QStringLiteral("chooseModelButton"), this);
    chooseModel->setIcon(icon(QStringLiteral("slider.horizontal.3"), Brand::ink()));
    connect(chooseModel, &QPushButton::clicked, this, std::move(choose));
    setFocusProxy(runAgain);
    buttons->addWidget(runAgain);
    buttons->addWidget(chooseModel);
    buttons->addStretch();
    column->addLayout(buttons);
  }
  void sync() override {}
};

// Failed: the message as it came, and the way back to the setup.
class FailedView : public AIRepairView {
 public:
  FailedView(const QString& message, std::function<void()> back, QWidget* parent) : AIRepairView(parent) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(14);
    QLabel* text = plainLabel(message, app::font(TextStyle::body), Brand::swift());
    text->setObjectName(QStringLiteral("repairFailure"));
    text->setWordWrap(true);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    column->addWidget(
        symbolRow(symbolLabel(QStringLiteral("exclamationmark.triangle.fill"), TextStyle::body, Brand::swift()), text));
    QPushButton* retry = borderedButton(QStringLiteral("Nochmal versuchen"), QStringLiteral("retryButton"), this);
    connect(retry, &QPushButton::clicked, this, std::move(back));
    setFocusProxy(retry);
    column->addWidget(retry, 0, Qt::AlignLeft);
  }
  void sync() override {}
};
}  // namespace

AIRepairCard::AIRepairCard(AIRepairModel& model, const Services& services, int placeholders,
                           AIRepairModel::FinishAction onFinish, QWidget* parent)
    : QWidget(parent),
      model_(model),
      services_(services),
      placeholders_(placeholders),
      onFinish_(std::move(onFinish)),
      title_(plainLabel(QString(), app::font(TextStyle::headline), Brand::ink())) {
  setObjectName(QStringLiteral("aiRepairCard"));
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(cardPadding, cardPadding, cardPadding, cardPadding);
  column->setSpacing(14);

  auto* header = new QHBoxLayout;
  header->setSpacing(10);
  header->addWidget(symbolLabel(QStringLiteral("wand.and.stars"), TextStyle::title2, Brand::swift(), this), 0,
                    Qt::AlignVCenter);
  auto* heading = new QVBoxLayout;
  heading->setSpacing(2);
  title_->setObjectName(QStringLiteral("repairTitle"));
  heading->addWidget(title_);
  QLabel* subtitle = plainLabel(QStringLiteral("Ein lokales oder Cloud-Modell ergänzt die offenen Stellen anhand "
                                               "deines Swift-Codes und baut, bis das Projekt kompiliert."),
                                app::font(TextStyle::callout), secondaryText(), this);
  subtitle->setWordWrap(true);
  heading->addWidget(subtitle);
  header->addLayout(heading, 1);
  column->addLayout(header);

  for (auto signal :
       {&AIRepairModel::backendChanged, &AIRepairModel::phaseChanged, &AIRepairModel::statusChanged,
        &AIRepairModel::touchedFilesChanged, &AIRepairModel::costChanged, &AIRepairModel::resultChanged,
        &AIRepairModel::doneChanged, &AIRepairModel::totalChanged, &AIRepairModel::compileRoundChanged,
        &AIRepairModel::compileErrorsChanged, &AIRepairModel::startedAtChanged, &AIRepairModel::anthropicKeyChanged,
        &AIRepairModel::openAIKeyChanged, &AIRepairModel::geminiKeyChanged, &AIRepairModel::preferredChanged,
        &AIRepairModel::escalationsChanged, &AIRepairModel::filesDoneChanged, &AIRepairModel::currentModelChanged,
        &AIRepairModel::useLocalChanged, &AIRepairModel::localModelChanged, &AIRepairModel::localModelsChanged,
        &AIRepairModel::localStateChanged, &AIRepairModel::pullingChanged, &AIRepairModel::claudePathChanged,
        &AIRepairModel::codexPathChanged}) {
    connect(&model_, signal, this, &AIRepairCard::refresh);
  }
  refresh();
}

QString AIRepairCard::title() const { return title_->text(); }

QWidget* AIRepairCard::view() const { return view_; }

void AIRepairCard::setPlaceholders(int placeholders) {
  if (placeholders != placeholders_) {
    placeholders_ = placeholders;
    refresh();
  }
}

void AIRepairCard::start() {
  model_.setOnFinish(onFinish_);
  model_.start();
}

void AIRepairCard::refresh() {
  const RepairPhase& phase = model_.phase();
  const bool done = std::holds_alternative<repair_phase::Done>(phase);
  title_->setText(done ? QStringLiteral("KI-Reparatur")
                       : QStringLiteral("Restliche %1 Stellen mit KI lösen").arg(placeholders_));
  // Only the done view depends on the result (a run sets it just before it turns done).
  const bool hasResult = done && model_.result().has_value();
  if (shownPhase_ == phase && shownResult_ == hasResult) {
    if (view_ != nullptr) {
      view_->sync();
    }
    return;
  }
  shownPhase_ = phase;
  shownResult_ = hasResult;
  // The focus in the old view (its button started the run, say) goes to the
  // new one's main control: the next key stays in the card.
  const bool hadFocus = view_ != nullptr && view_->isAncestorOf(QApplication::focusWidget());
  // The old view may hold the button whose click led here: it leaves the
  // card at once and is deleted once the click is over.
  if (view_ != nullptr) {
    view_->hide();
    view_->setParent(nullptr);
    view_->deleteLater();
    view_ = nullptr;
  }
  const auto toSetup = [this] { model_.setPhase(repair_phase::Idle{}); };
  if (std::holds_alternative<repair_phase::Idle>(phase)) {
    view_ = new AIRepairSetupView(model_, services_, [this] { start(); });
  } else if (std::holds_alternative<repair_phase::Running>(phase)) {
    view_ = new AIRepairRunningView(model_, services_, *this);
  } else if (done && hasResult) {
    view_ = new DoneView(*model_.result(), model_.status(), [this] { start(); }, toSetup, nullptr);
  } else if (const auto* failed = std::get_if<repair_phase::Failed>(&phase)) {
    view_ = new FailedView(failed->text, toSetup, nullptr);
  }
  if (view_ != nullptr) {
    view_->sync();
    layout()->addWidget(view_);
    // A layout shows a widget added to a visible parent only on the next turn of the event loop.
    if (isVisible()) {
      view_->show();
    }
    if (hadFocus) {
      view_->setFocus(Qt::OtherFocusReason);
      // The card changed its height under the user's eyes: it stays in view, header first.
      scrollIntoView(this);
    }
  }
}

void AIRepairCard::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF bounds(rect());
  QPainterPath shape;
  shape.addRoundedRect(bounds, cardRadius, cardRadius);
  painter.fillPath(shape, withAlpha(Qt::white, 0.7));
  // The border lies inside the outline.
  const double inset = borderWidth / 2;
  painter.setPen(QPen(withAlpha(Brand::swift(), 0.35), borderWidth));
  painter.setBrush(Qt::NoBrush);
  painter.drawRoundedRect(bounds.adjusted(inset, inset, -inset, -inset), cardRadius - inset, cardRadius - inset);
}

double AIRepairCard::fraction(int done, int total, int placeholders) {
  const int denominator = std::max(total, placeholders);
  if (denominator <= 0) {
    return 0;
  }
  return std::min(1.0, static_cast<double>(done) / denominator);
}

QString AIRepairCard::elapsed(qint64 seconds) {
  return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

std::array<PhaseChip::State, 3> AIRepairCard::chipStates(double fraction, int compileRound,
                                                         std::optional<int> compileErrors) {
  using State = PhaseChip::State;
  const State fill = fraction >= 1 || compileRound >= 1 ? State::done : State::active;
  const State compile = compileErrors == 0 ? State::done : compileRound > 0 ? State::active : State::pending;
  return {fill, compile, State::pending};
}

QString AIRepairCard::lastFiles(const QStringList& touchedFiles) {
  QStringList latest;
  for (qsizetype index = touchedFiles.size() - 1; index >= 0 && latest.size() < 6; --index) {
    latest.append(touchedFiles[index]);
  }
  return QStringLiteral("Zuletzt bearbeitet: ") + latest.join(QStringLiteral(" · "));
}

}  // namespace tovrane::app
