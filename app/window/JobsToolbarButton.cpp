#include "app/window/JobsToolbarButton.hpp"

#include "app/platform/Platform.hpp"
#include "app/state/Brand.hpp"
#include "app/state/JobCenter.hpp"
#include "app/window/LineLimitedLabel.hpp"
#include "app/window/Look.hpp"
#include "app/window/Spinner.hpp"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <QVariantAnimation>

#include <algorithm>
#include <cmath>
#include <optional>

namespace tovrane::app {

namespace {

constexpr int buttonHeight = 28;
constexpr int spinnerSize = 12;
constexpr int spinnerLeft = 10;
constexpr int popoverWidth = 380;

QFont labelFont() { return app::font(TextStyle::body); }

QPushButton* smallButton(const QString& text, const QString& name, const QString& job, QWidget* parent) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(name);
  button->setAccessibleName(text + QStringLiteral(": ") + job);
  button->setFont(app::font(TextStyle::subheadline));
  button->setAutoDefault(false);
  return button;
}

// A job's progress as a thin capsule: filled to the fraction done, or,
// for a job that counts nothing, a band that sweeps across while shown.
class JobBar : public QWidget {
 public:
  JobBar(std::optional<double> progress, QWidget* parent) : QWidget(parent), progress_(progress) {
    setObjectName(QStringLiteral("jobProgress"));
    setAccessibleName(QStringLiteral("Fortschritt"));
    // Whole percent; a job that counts nothing is simply running.
    setAccessibleDescription(progress_ ? QStringLiteral("%1 %").arg(qRound(std::clamp(*progress_, 0.0, 1.0) * 100))
                                       : QStringLiteral("läuft"));
    setFixedHeight(6);
    if (!progress_) {
      auto* sweep = new QVariantAnimation(this);
      sweep->setStartValue(0.0);
      sweep->setEndValue(1.0);
      sweep->setDuration(1500);
      sweep->setLoopCount(-1);
      connect(sweep, &QVariantAnimation::valueChanged, this, [this](const QVariant& phase) {
        phase_ = phase.toDouble();
        update();
      });
      startAnimation(sweep);
    }
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const QRectF track(rect());
    painter.setBrush(withAlpha(Brand::ink(), 0.08));
    painter.drawRoundedRect(track, 3, 3);
    painter.setBrush(Brand::droidDeep());
    if (progress_) {
      painter.drawRoundedRect(QRectF(0, 0, track.width() * std::clamp(*progress_, 0.0, 1.0), track.height()), 3, 3);
      return;
    }
    // A band of 30 % sweeping from before the start to past the end. Each
    // sweep starts half-way, so that a bar at rest (animations off) shows it.
    const double band = 0.3 * track.width();
    const double at = std::fmod(phase_ + 0.5, 1.0);
    painter.setClipRect(track);
    painter.drawRoundedRect(QRectF(-band + at * (track.width() + band), 0, band, track.height()), 3, 3);
  }

 private:
  std::optional<double> progress_;
  double phase_ = 0;
};

// One job: its title with the buttons, its progress, its status text.
class JobCard : public QWidget {
 public:
  JobCard(const JobCenter::Job& job, const std::function<void()>& open, QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("jobCard"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(10, 10, 10, 10);
    column->setSpacing(6);

    auto* top = new QHBoxLayout;
    // A name longer than the room beside the buttons ends in "…"; hovering shows it whole.
    auto* title = new LineLimitedLabel(QStringLiteral("jobTitle"), job.title, semiboldFont(TextStyle::callout),
                                       Brand::ink(), 1, this);
    top->addWidget(title, 1, Qt::AlignVCenter);
    QPushButton* show = smallButton(QStringLiteral("Öffnen"), QStringLiteral("jobOpen"), job.title, this);
    connect(show, &QPushButton::clicked, this, open);
    top->addWidget(show, 0, Qt::AlignVCenter);
    if (job.cancel) {
      QPushButton* cancel = smallButton(QStringLiteral("Abbrechen"), QStringLiteral("jobCancel"), job.title, this);
      connect(cancel, &QPushButton::clicked, this, job.cancel);
      top->addWidget(cancel, 0, Qt::AlignVCenter);
    }
    column->addLayout(top);

    column->addWidget(new JobBar(job.progress, this));
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setPixelSize(app::font(TextStyle::caption).pixelSize());
    auto* detail = new LineLimitedLabel(QStringLiteral("jobDetail"), job.detail, mono, secondaryText(), 2, this);
    column->addWidget(detail);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(withAlpha(Brand::ink(), 0.04));
    painter.drawRoundedRect(QRectF(rect()), 10, 10);
  }
};

QString countText(std::size_t count) {
  return QStringLiteral("%1 %2").arg(count).arg(count == 1 ? QStringLiteral("Prozess") : QStringLiteral("Prozesse"));
}

}  // namespace

JobsToolbarButton::JobsToolbarButton(JobCenter& jobs, Platform& platform, OpenProject open, QWidget* parent)
    : QAbstractButton(parent),
      jobs_(jobs),
      platform_(platform),
      open_(std::move(open)),
      count_(jobs.running().size()),
      spinner_(new Spinner(spinnerSize, this)) {
  setObjectName(QStringLiteral("jobsButton"));
  setAccessibleName(QStringLiteral("Laufende Prozesse"));
  // Tab reaches it; a click does not take the focus (and draw its ring).
  setFocusPolicy(Qt::TabFocus);
  setCursor(Qt::PointingHandCursor);
  setAttribute(Qt::WA_Hover);
  spinner_->setAttribute(Qt::WA_TransparentForMouseEvents);
  spinner_->move(spinnerLeft, (buttonHeight - spinnerSize) / 2);
  connect(this, &QAbstractButton::clicked, this, &JobsToolbarButton::togglePopover);
  connect(&jobs_, &JobCenter::runningChanged, this, &JobsToolbarButton::jobsChanged);
  jobsChanged();
}

QString JobsToolbarButton::label() const { return count_ == 0 ? QString() : countText(count_); }

void JobsToolbarButton::jobsChanged() {
  const std::size_t count = jobs_.running().size();
  if (count != count_) {
    count_ = count;
    if (isVisible()) {
      platform_.setDockBadge(static_cast<int>(count));
    }
  }
  setToolTip(count_ == 0 ? QStringLiteral("Keine laufenden Prozesse") : QStringLiteral("Laufende Prozesse anzeigen"));
  setAccessibleDescription(count_ == 0 ? QStringLiteral("Keine laufenden Prozesse") : label());
  spinner_->setVisible(count_ > 0);
  updateGeometry();
  update();
}

QSize JobsToolbarButton::sizeHint() const {
  if (count_ == 0) {
    return {buttonHeight + 4, buttonHeight};
  }
  return {spinnerLeft + spinnerSize + 6 + QFontMetrics(labelFont()).horizontalAdvance(label()) + 10, buttonHeight};
}

void JobsToolbarButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF box = QRectF(rect()).adjusted(1, 1, -1, -1);
  if (isDown() || underMouse()) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(withAlpha(Brand::ink(), isDown() ? 0.12 : 0.06));
    painter.drawRoundedRect(box, 6, 6);
  }
  if (hasFocus()) {
    painter.setPen(QPen(Brand::droid(), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(box.adjusted(1, 1, -1, -1), 6, 6);
  }
  if (count_ == 0) {
    const int size = 18;
    painter.drawPixmap((width() - size) / 2, (height() - size) / 2,
                       iconPixmap(QStringLiteral("checkmark.circle"), size, Brand::ink(), devicePixelRatioF()));
    return;
  }
  // The spinner turns at the left; the count follows it.
  painter.setPen(Brand::ink());
  painter.setFont(labelFont());
  painter.drawText(QRectF(spinnerLeft + spinnerSize + 6, 0, width(), height()), Qt::AlignLeft | Qt::AlignVCenter,
                   label());
}

void JobsToolbarButton::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    click();
    return;
  }
  QAbstractButton::keyPressEvent(event);
}

void JobsToolbarButton::togglePopover() {
  if (popover_ != nullptr) {
    popover_->close();
    return;
  }
  popover_ = new JobsPopover(jobs_, open_, this);
  // Below the button, centred on it, and inside the screen.
  const QPoint below = mapToGlobal(QPoint(width() / 2, height() + 2));
  QRect placed(QPoint(below.x() - popoverWidth / 2, below.y()), popover_->sizeHint());
  if (const QScreen* screen = this->screen()) {
    const QRect room = screen->availableGeometry();
    placed.moveLeft(std::clamp(placed.left(), room.left(), std::max(room.left(), room.right() - placed.width())));
  }
  popover_->move(placed.topLeft());
  popover_->show();
  popover_->setFocus();
}

JobsPopover::JobsPopover(JobCenter& jobs, JobsToolbarButton::OpenProject open, QWidget* parent)
    : QFrame(parent, Qt::Popup), jobs_(jobs), open_(std::move(open)) {
  setObjectName(QStringLiteral("jobsPopover"));
  setAccessibleName(QStringLiteral("Laufende Prozesse"));
  setAttribute(Qt::WA_DeleteOnClose);
  // A click on the jobs button closes the popover and does not open it again.
  setAttribute(Qt::WA_NoMouseReplay);
  setFixedWidth(popoverWidth);
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(16, 16, 16, 16);
  column->setSpacing(12);
  QLabel* heading = plainLabel(QStringLiteral("Laufende Prozesse"), app::font(TextStyle::headline), Brand::ink(), this);
  heading->setObjectName(QStringLiteral("jobsHeading"));
  column->addWidget(heading);
  connect(&jobs_, &JobCenter::runningChanged, this, &JobsPopover::rebuild);
  rebuild();
}

void JobsPopover::rebuild() {
  if (content_ != nullptr) {
    // Its button may be the one whose click changed the jobs.
    content_->hide();
    content_->setParent(nullptr);
    content_->deleteLater();
  }
  content_ = new QWidget(this);
  auto* column = new QVBoxLayout(content_);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(12);
  if (jobs_.running().empty()) {
    QLabel* nothing = plainLabel(QStringLiteral("Gerade läuft nichts."), app::font(TextStyle::body), secondaryText(),
                                 content_);
    nothing->setObjectName(QStringLiteral("jobsEmpty"));
    column->addWidget(nothing);
  }
  for (const JobCenter::Job& job : jobs_.running()) {
    column->addWidget(new JobCard(
        job,
        [this, project = job.project] {
          close();
          open_(project);
        },
        content_));
  }
  layout()->addWidget(content_);
  content_->show();
  adjustSize();
}

void JobsPopover::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    close();
    return;
  }
  QFrame::keyPressEvent(event);
}

void JobsPopover::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  painter.setPen(withAlpha(Brand::ink(), 0.15));
  painter.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}

}  // namespace tovrane::app
