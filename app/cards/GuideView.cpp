#include "app/cards/GuideView.hpp"

#include "app/cards/GuideScenes.hpp"
#include "app/platform/PlatformTexts.hpp"
#include "app/state/Brand.hpp"
#include "app/window/Animations.hpp"
#include "app/window/Look.hpp"

#include <QCloseEvent>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QParallelAnimationGroup>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

namespace tovrane::app {

const GuideView::Step GuideView::steps[3] = {
    {"Finde deinen Projektordner",
     "Öffne im Finder den Ordner, in dem deine Datei mit der Endung .xcodeproj liegt. Tipp: In Xcode Rechtsklick "
     "auf das Projekt › „Show in Finder“."},
    {"Zieh ihn ins Fenster",
     "Ziehe den ganzen Ordner auf die gestrichelte Fläche – oder klicke auf „Ordner auswählen …“. Dein Original "
     "wird nicht verändert."},
    {"Öffne das Ergebnis in Android Studio",
     "Daneben entsteht ein Ordner „…-Android“. Klicke auf „In Android Studio öffnen“, warte, bis Gradle fertig ist, "
     "und drücke ▶︎."},
};

namespace {

constexpr int sheetWidth = 620;
constexpr int inset = 28;
constexpr int contentWidth = sheetWidth - 2 * inset;
// The page change: a spring of response 0.5 s and damping 0.85.
constexpr double pageResponse = 0.5;
constexpr double pageDamping = 0.85;

QWidget* sceneFor(int step) {
  switch (step) {
    case 0:
      return new FinderScene;
    case 1:
      return new DropScene;
    default:
      return new StudioScene;
  }
}

// The look of the two large buttons: filled ink for the primary one, a white
// bordered one for "Zurück"; both show a ring while they have the focus.
QString buttonStyle(bool primary) {
  const QString ink = Brand::ink().name();
  const QString shape = QStringLiteral(
      "border-radius: 8px; padding: 0 18px; min-height: 32px; min-width: 64px;");
  if (primary) {
    return QStringLiteral("QPushButton { color: white; background: %1; border: 2px solid %1; %2 }"
                          "QPushButton:hover { background: %3; border-color: %3; }"
                          "QPushButton:pressed { background: %4; border-color: %4; }"
                          "QPushButton:focus { border-color: %5; }")
        .arg(ink, shape, Brand::ink().lighter(160).name(), Brand::ink().lighter(220).name(), Brand::droid().name());
  }
  return QStringLiteral("QPushButton { color: %1; background: white; border: 1px solid %2; %3 }"
                        "QPushButton:hover { background: %4; }"
                        "QPushButton:pressed { background: %5; }"
                        "QPushButton:focus { border: 2px solid %6; }")
      .arg(ink, withAlpha(Brand::ink(), 0.18).name(QColor::HexArgb), shape, Brand::paper().name(),
           Brand::paper().darker(106).name(), Brand::droid().name());
}

}  // namespace

// The rounded paper area that holds the current step's illustration. A step
// change brings the new illustration in from the right edge while it fades
// in, and fades the old one out where it stands; nothing draws outside the
// rounded shape.
class GuideView::Illustration : public QWidget {
 public:
  explicit Illustration(QWidget* parent) : QWidget(parent), clip_(new QWidget(this)) {
    setFixedSize(contentWidth, 260);
    clip_->setGeometry(rect());
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), radius, radius);
    clip_->setMask(QRegion(shape.toFillPolygon().toPolygon()));
  }

  void show(int step, bool animated) {
    auto* stage = new QWidget(clip_);
    stage->setObjectName(QStringLiteral("guideStage"));
    stage->setGeometry(clip_->rect());
    auto* layout = new QHBoxLayout(stage);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(sceneFor(step));
    QWidget* old = current_;
    current_ = stage;
    if (!animated) {
      stage->show();
      return;
    }
    auto* entering = new QGraphicsOpacityEffect(stage);
    entering->setOpacity(0);
    stage->setGraphicsEffect(entering);
    stage->move(width(), 0);
    stage->show();

    auto* change = new QParallelAnimationGroup(this);
    auto* slide = new SpringAnimation(pageResponse, pageDamping, change);
    slide->setStartValue(double(width()));
    slide->setEndValue(0.0);
    connect(slide, &QVariantAnimation::valueChanged, stage,
            [stage](const QVariant& x) { stage->move(static_cast<int>(std::lround(x.toDouble())), 0); });
    change->addAnimation(slide);
    change->addAnimation(fade(entering, 0, 1, change));
    if (old != nullptr) {
      auto* leaving = new QGraphicsOpacityEffect(old);
      old->setGraphicsEffect(leaving);
      change->addAnimation(fade(leaving, 1, 0, change));
      connect(change, &QAbstractAnimation::finished, old, &QObject::deleteLater);
    }
    // Drawn without the effect once it is in place.
    connect(change, &QAbstractAnimation::finished, stage, [stage] { stage->setGraphicsEffect(nullptr); });
    startAnimation(change, QAbstractAnimation::DeleteWhenStopped);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Brand::paper());
    painter.drawRoundedRect(QRectF(rect()), radius, radius);
  }

 private:
  static constexpr double radius = 24;

  static QVariantAnimation* fade(QGraphicsOpacityEffect* effect, double from, double to, QObject* parent) {
    auto* animation = new QVariantAnimation(parent);
    animation->setStartValue(from);
    animation->setEndValue(to);
    animation->setDuration(350);
    animation->setEasingCurve(QEasingCurve::InOutQuad);
    connect(animation, &QVariantAnimation::valueChanged, effect,
            [effect](const QVariant& opacity) { effect->setOpacity(opacity.toDouble()); });
    return animation;
  }

  QWidget* clip_;
  QWidget* current_ = nullptr;
};

// Three capsules, 7 apart and 8 high: the current step's 22 wide in ink, the
// others 8 wide in ink at 20 %. They follow the step under the page spring.
class GuideView::PageDots : public QWidget {
 public:
  explicit PageDots(QWidget* parent) : QWidget(parent), spring_(new SpringAnimation(pageResponse, pageDamping, this)) {
    setFixedSize(22 + 2 * 8 + 2 * 7, 8);
    connect(spring_, &QVariantAnimation::valueChanged, this, [this](const QVariant& position) {
      position_ = position.toDouble();
      update();
    });
  }

  void moveTo(int step) {
    spring_->stop();
    spring_->setStartValue(position_);
    spring_->setEndValue(double(step));
    startAnimation(spring_);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    double x = 0;
    for (int dot = 0; dot < 3; ++dot) {
      // How much this dot is the current one, 0 to 1.
      const double current = std::clamp(1 - std::abs(position_ - dot), 0.0, 1.0);
      const double width = 8 + 14 * current;
      painter.setBrush(withAlpha(Brand::ink(), 0.2 + 0.8 * current));
      painter.drawRoundedRect(QRectF(x, 0, width, 8), 4, 4);
      x += width + 7;
    }
  }

 private:
  SpringAnimation* spring_;
  double position_ = 0;
};

GuideView::GuideView(std::function<void()> done, QWidget* parent)
    : QDialog(parent), done_(std::move(done)) {
  setObjectName(QStringLiteral("guide"));
  setWindowTitle(QStringLiteral("Anleitung"));
#ifdef Q_OS_MACOS
  setWindowFlags(Qt::Sheet);
#else
  // A title bar without a close button: only the last button ends the guide.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
#endif
  setWindowModality(Qt::WindowModal);
  QPalette palette = lightPalette();
  palette.setColor(QPalette::Window, Qt::white);
  setPalette(palette);
  setAutoFillBackground(true);

  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(inset, inset, inset, inset);
  column->setSpacing(22);
  column->setSizeConstraint(QLayout::SetFixedSize);

  illustration_ = new Illustration(this);
  column->addWidget(illustration_);

  auto* texts = new QVBoxLayout;
  texts->setSpacing(8);
  header_ = plainLabel({}, semiboldFont(TextStyle::callout), Brand::droidDeep(), this);
  header_->setObjectName(QStringLiteral("guideHeader"));
  title_ = plainLabel({}, heavyFont(26), Brand::ink(), this);
  title_->setObjectName(QStringLiteral("guideTitle"));
  text_ = plainLabel({}, app::font(TextStyle::title3), secondaryText(), this);
  text_->setObjectName(QStringLiteral("guideText"));
  text_->setWordWrap(true);
  // A fixed box, so that the buttons keep their place whatever the text's length.
  text_->setFixedHeight(76);
  text_->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
  for (QLabel* label : {header_, title_, text_}) {
    label->setFixedWidth(contentWidth);
    if (label != text_) {
      label->setAlignment(Qt::AlignCenter);
    }
    texts->addWidget(label);
  }
  column->addLayout(texts);

  auto* buttons = new QHBoxLayout;
  back_ = new QPushButton(QStringLiteral("Zurück"), this);
  back_->setObjectName(QStringLiteral("guideBack"));
  back_->setAccessibleName(back_->text());
  back_->setStyleSheet(buttonStyle(false));
  // Return always means the primary button, wherever the focus is.
  back_->setAutoDefault(false);
  // Hidden on the first step without moving the dots.
  QSizePolicy keepPlace = back_->sizePolicy();
  keepPlace.setRetainSizeWhenHidden(true);
  back_->setSizePolicy(keepPlace);
  dots_ = new PageDots(this);
  primary_ = new QPushButton(this);
  primary_->setObjectName(QStringLiteral("guidePrimary"));
  primary_->setStyleSheet(buttonStyle(true));
  primary_->setDefault(true);
  buttons->addWidget(back_);
  buttons->addStretch();
  buttons->addWidget(dots_, 0, Qt::AlignVCenter);
  buttons->addStretch();
  buttons->addWidget(primary_);
  column->addLayout(buttons);

  connect(back_, &QPushButton::clicked, this, [this] { goTo(step_ - 1); });
  connect(primary_, &QPushButton::clicked, this, &GuideView::primaryPressed);

  illustration_->show(0, false);
  goTo(0);
  primary_->setFocus();
}

void GuideView::goTo(int step) {
  const bool changed = step != step_;
  step_ = step;
  header_->setText(QStringLiteral("Schritt %1 von 3").arg(step + 1));
  title_->setText(QString::fromUtf8(steps[step].title));
  text_->setText(platformText(QString::fromUtf8(steps[step].text)));
  back_->setVisible(step >= 1);
  primary_->setText(step > 1 ? QStringLiteral("Los geht's") : QStringLiteral("Weiter"));
  primary_->setAccessibleName(primary_->text());
  if (changed) {
    illustration_->show(step, true);
    dots_->moveTo(step);
  }
}

void GuideView::primaryPressed() {
  if (step_ > 1) {
    done_();
    return;
  }
  goTo(step_ + 1);
}

void GuideView::reject() {}

void GuideView::closeEvent(QCloseEvent* event) { event->ignore(); }

}  // namespace tovrane::app
