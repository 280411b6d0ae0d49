#include "app/window/UpdateBanner.hpp"

#include "app/platform/Dialogs.hpp"
#include "app/state/Brand.hpp"
#include "app/state/Updater.hpp"
#include "app/window/LineLimitedLabel.hpp"
#include "app/window/Look.hpp"
#include "app/window/Spinner.hpp"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace tovrane::app {

namespace {

constexpr int maxLines = 3;

// The version and texts of a release come from the feed: never read as markup.
QLabel* textLabel(const QString& name, const QString& text, TextStyle style, const QColor& colour) {
  QLabel* label = plainLabel(text, font(style), colour);
  label->setObjectName(name);
  return label;
}

LineLimitedLabel* captionLines(const QString& name, const QString& text, const QColor& colour) {
  return new LineLimitedLabel(name, text, font(TextStyle::caption), colour, maxLines);
}

QLabel* iconLabel(const QString& symbol, int size, const QColor& tint) {
  auto* label = new QLabel;
  label->setPixmap(iconPixmap(symbol, size, tint, label->devicePixelRatioF()));
  label->setFixedSize(size, size);
  return label;
}

// The rounded, lightly green card that holds the offer.
class OfferCard : public QWidget {
 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(withAlpha(Brand::droid(), 0.15));
    painter.drawRoundedRect(QRectF(rect()), 10, 10);
  }
};

QWidget* busyRow(const QString& name, const QString& text) {
  auto* row = new QWidget;
  row->setObjectName(name);
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(6);
  layout->addWidget(new Spinner(12), 0, Qt::AlignVCenter);
  layout->addWidget(textLabel(name + QStringLiteral("Text"), text, TextStyle::caption, Brand::ink()), 1,
                    Qt::AlignVCenter);
  return row;
}

QWidget* upToDateRow() {
  auto* row = new QWidget;
  row->setObjectName(QStringLiteral("updateUpToDate"));
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(4);
  layout->addWidget(iconLabel(QStringLiteral("checkmark.circle"), 12, secondaryText()), 0, Qt::AlignVCenter);
  layout->addWidget(textLabel(QStringLiteral("updateUpToDateText"), QStringLiteral("Neueste Version installiert"),
                              TextStyle::caption, secondaryText()),
                    1, Qt::AlignVCenter);
  return row;
}

QWidget* downloadRow(double fraction) {
  auto* column = new QWidget;
  column->setObjectName(QStringLiteral("updateDownloading"));
  auto* layout = new QVBoxLayout(column);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(4);
  layout->addWidget(textLabel(QStringLiteral("updateDownloadingText"), QStringLiteral("Update wird geladen …"),
                              TextStyle::caption, Brand::ink()));
  auto* bar = new QProgressBar;
  bar->setObjectName(QStringLiteral("updateProgress"));
  bar->setAccessibleName(QStringLiteral("Update wird geladen"));
  bar->setRange(0, 1000);
  bar->setValue(static_cast<int>(fraction * 1000 + 0.5));
  bar->setTextVisible(false);
  bar->setFixedHeight(6);
  QPalette palette = bar->palette();
  palette.setColor(QPalette::Highlight, Brand::droidDeep());
  bar->setPalette(palette);
  layout->addWidget(bar);
  return column;
}

QString confirmationText(int jobs) {
  if (jobs == 1) return QStringLiteral("Es läuft noch 1 Prozess. Beim Neustart wird er abgebrochen.");
  return QStringLiteral("Es laufen noch %1 Prozesse. Beim Neustart werden sie abgebrochen.").arg(jobs);
}

}  // namespace

UpdateBanner::UpdateBanner(Updater& updater, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent), updater_(updater), dialogs_(dialogs) {
  setObjectName(QStringLiteral("updateBanner"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  connect(&updater_, &Updater::stateChanged, this, &UpdateBanner::rebuild);
  connect(&updater_, &Updater::releaseChanged, this, &UpdateBanner::rebuild);
  rebuild();
}

QWidget* UpdateBanner::offerCard() {
  const Updater::Release& release = *updater_.release();
  auto* card = new OfferCard;
  card->setObjectName(QStringLiteral("updateOffer"));
  auto* layout = new QVBoxLayout(card);
  layout->setContentsMargins(10, 10, 10, 10);
  layout->setSpacing(6);
  layout->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  auto* title = new QHBoxLayout;
  title->setSpacing(5);
  // At the first line's height when a narrow sidebar wraps the title.
  title->addWidget(iconLabel(QStringLiteral("arrow.down.circle.fill"), 14, Brand::droidDeep()), 0, Qt::AlignTop);
  QLabel* heading = textLabel(QStringLiteral("updateOfferTitle"),
                              QStringLiteral("Update %1 verfügbar").arg(release.version), TextStyle::callout,
                              Brand::droidDeep());
  QFont semibold = heading->font();
  semibold.setWeight(QFont::DemiBold);
  heading->setFont(semibold);
  heading->setWordWrap(true);
  title->addWidget(heading, 1, Qt::AlignTop);
  layout->addLayout(title);

  if (release.notes && !release.notes->isEmpty()) {
    layout->addWidget(captionLines(QStringLiteral("updateNotes"), *release.notes, secondaryText()));
  }

  if (!updater_.updatesItself()) {
    QLabel* note = textLabel(
        QStringLiteral("updateManagedElsewhere"),
        QStringLiteral("Diese Installation aktualisiert sich nicht selbst – bitte über die Paketverwaltung aktualisieren."),
        TextStyle::caption, secondaryText());
    note->setWordWrap(true);
    layout->addWidget(note);
    return card;
  }
  auto* button = new QPushButton(QStringLiteral("Jetzt installieren"));
  button->setObjectName(QStringLiteral("installUpdateButton"));
  button->setAccessibleName(button->text());
  button->setCursor(Qt::PointingHandCursor);
  button->setFont(app::font(TextStyle::subheadline));
  const QString deep = Brand::droidDeep().name();
  button->setStyleSheet(QStringLiteral("QPushButton { color: white; background: %1; border: 1px solid %1;"
                                       " border-radius: 5px; padding: 3px 10px; }"
                                       "QPushButton:hover { background: %2; }"
                                       "QPushButton:pressed { background: %3; }"
                                       "QPushButton:focus { border: 2px solid %4; }")
                            .arg(deep, Brand::droidDeep().lighter(115).name(), Brand::droidDeep().darker(120).name(),
                                 Brand::droid().name()));
  connect(button, &QPushButton::clicked, this, &UpdateBanner::installClicked);
  layout->addWidget(button, 0, Qt::AlignLeft);
  return card;
}

void UpdateBanner::rebuild() {
  // The old content may hold the button whose click led here: it leaves the
  // banner at once and is deleted once the click is over.
  if (content_ != nullptr) {
    content_->hide();
    content_->setParent(nullptr);
    content_->deleteLater();
    content_ = nullptr;
  }
  const UpdateState& state = updater_.state();
  if (std::holds_alternative<update_state::Checking>(state)) {
    content_ = busyRow(QStringLiteral("updateChecking"), QStringLiteral("Suche Updates …"));
  } else if (std::holds_alternative<update_state::UpToDate>(state)) {
    content_ = upToDateRow();
  } else if (std::holds_alternative<update_state::Available>(state) && updater_.release()) {
    content_ = offerCard();
  } else if (const auto* downloading = std::get_if<update_state::Downloading>(&state)) {
    content_ = downloadRow(downloading->fraction);
  } else if (std::holds_alternative<update_state::Installing>(state)) {
    content_ = busyRow(QStringLiteral("updateInstalling"), QStringLiteral("Wird installiert …"));
  } else if (const auto* failed = std::get_if<update_state::Failed>(&state)) {
    content_ = captionLines(QStringLiteral("updateFailed"), failed->message, Brand::swift());
  }
  if (content_ != nullptr) {
    layout()->addWidget(content_);
    // A layout would show a widget added to a visible parent only on the next turn of the event loop.
    content_->show();
  }
  // Hidden, the banner takes no room in the sidebar's layout. (A banner
  // without a parent is left alone, so that it never pops up as a window.)
  if (parentWidget() != nullptr || content_ == nullptr) setVisible(content_ != nullptr);
}

void UpdateBanner::installClicked() {
  const int jobs = updater_.runningJobs();
  if (jobs == 0) {
    // Jobs started during the download are not the user's to lose: the update then waits.
    updater_.install();
    return;
  }
  if (dialogs_.confirm(window(), QStringLiteral("Update jetzt installieren?"), confirmationText(jobs),
                       QStringLiteral("Installieren"))) {
    updater_.install(Updater::RunningJobs::end);
  }
}

}  // namespace tovrane::app
