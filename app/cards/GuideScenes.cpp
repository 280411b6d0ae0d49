#include "app/cards/GuideScenes.hpp"

#include "app/state/Brand.hpp"
#include "app/window/Animations.hpp"
#include "app/window/Controls.hpp"
#include "app/window/Look.hpp"

#include <QEasingCurve>
#include <QGraphicsDropShadowEffect>
#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QParallelAnimationGroup>
#include <QPauseAnimation>
#include <QSequentialAnimationGroup>

#include <algorithm>

namespace tovrane::app {

namespace {

// The platform's colours of the window buttons and of blue and grey symbols.
const QColor systemRed(255, 95, 87);
const QColor systemYellow(254, 188, 46);
const QColor systemGreen(40, 200, 64);
const QColor systemBlue(0, 122, 255);
const QColor systemGrey(142, 142, 147);

// Draws the symbol with its centre at centre.
void drawSymbol(QPainter& painter, const QString& symbol, int size, const QColor& tint, QPointF centre,
                qreal devicePixelRatio) {
  const QPixmap pixmap = iconPixmap(symbol, size, tint, devicePixelRatio);
  painter.drawPixmap(QPointF(centre.x() - size / 2.0, centre.y() - size / 2.0), pixmap);
}

QColor mix(const QColor& from, const QColor& to, double share) {
  share = std::clamp(share, 0.0, 1.0);
  const auto channel = [share](float a, float b) { return a + (b - a) * static_cast<float>(share); };
  QColor result;
  result.setRgbF(channel(from.redF(), to.redF()), channel(from.greenF(), to.greenF()),
                 channel(from.blueF(), to.blueF()), channel(from.alphaF(), to.alphaF()));
  return result;
}

}  // namespace

// The mock window itself: title bar with its three buttons, and four rows.
class FinderScene::Window : public QWidget {
 public:
  struct Row {
    const char* symbol;
    QColor tint;
    const char* name;
    int indent;
  };

  explicit Window(QWidget* parent) : QWidget(parent) {
    const QFontMetrics metrics(monospacedFont(TextStyle::body));
    const int rowHeight = metrics.height() + 2 * rowPadding.height();
    setFixedSize(340, titleBarHeight + 2 * listInset + 4 * rowHeight + 3 * rowSpacing);
    auto* shadow = new QGraphicsDropShadowEffect(this);
    shadow->setColor(withAlpha(Qt::black, 0.15));
    shadow->setBlurRadius(16);
    shadow->setOffset(0, 8);
    setGraphicsEffect(shadow);
  }

  double highlight = 0;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath outline;
    outline.addRoundedRect(QRectF(rect()), 12, 12);
    painter.fillPath(outline, Qt::white);
    painter.setClipPath(outline);
    painter.fillRect(QRect(0, 0, width(), titleBarHeight), withAlpha(systemGrey, 0.15));
    painter.setPen(Qt::NoPen);
    int x = 10;
    for (const QColor& colour : {systemRed, systemYellow, systemGreen}) {
      painter.setBrush(colour);
      painter.drawEllipse(QRectF(x, 10, 11, 11));
      x += 11 + 6;
    }

    const QFont nameFont = monospacedFont(TextStyle::body);
    const QFontMetrics metrics(nameFont);
    const int symbolSize = metrics.height();
    const int rowHeight = metrics.height() + 2 * rowPadding.height();
    painter.setFont(nameFont);
    const Row rows[] = {
        {"folder.fill", Brand::swift(), "MeineApp", 0},
        {"hammer.fill", systemBlue, "MeineApp.xcodeproj", 26},
        {"folder", systemGrey, "MeineApp", 26},
        {"folder", systemGrey, "Dokumente", 0},
    };
    int y = titleBarHeight + listInset;
    for (const Row& row : rows) {
      const QString name = QString::fromUtf8(row.name);
      const int rowWidth = 2 * rowPadding.width() + symbolSize + symbolGap + metrics.horizontalAdvance(name);
      const QRectF box(listInset + row.indent, y, rowWidth, rowHeight);
      if (&row == &rows[0] && highlight > 0) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(withAlpha(Brand::droid(), 0.45 * highlight));
        painter.drawRoundedRect(box, 6, 6);
      }
      const double middle = box.center().y();
      drawSymbol(painter, QString::fromUtf8(row.symbol), symbolSize, row.tint,
                 QPointF(box.left() + rowPadding.width() + symbolSize / 2.0, middle), devicePixelRatioF());
      painter.setPen(Brand::ink());
      painter.drawText(QRectF(box.left() + rowPadding.width() + symbolSize + symbolGap, box.top(),
                              metrics.horizontalAdvance(name) + 1, rowHeight),
                       Qt::AlignVCenter | Qt::AlignLeft, name);
      y += rowHeight + rowSpacing;
    }
  }

 private:
  static constexpr int titleBarHeight = 11 + 2 * 10;
  static constexpr int listInset = 16;
  static constexpr int rowSpacing = 10;
  static constexpr QSize rowPadding{8, 4};
  static constexpr int symbolGap = 8;
};

FinderScene::FinderScene(QWidget* parent) : QWidget(parent), window_(new Window(this)) {
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(window_, 0, Qt::AlignCenter);
}

double FinderScene::highlight() const { return window_->highlight; }

void FinderScene::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (started_) {
    return;
  }
  started_ = true;
  auto* pulse = new ReversingAnimation(this);
  pulse->setStartValue(0.0);
  pulse->setEndValue(1.0);
  pulse->setDuration(900);
  pulse->setEasingCurve(QEasingCurve::InOutSine);
  pulse->setLoopCount(-1);
  connect(pulse, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
    window_->highlight = value.toDouble();
    window_->update();
  });
  startAnimation(pulse);
}

DropScene::DropScene(QWidget* parent) : QWidget(parent) {}

void DropScene::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (started_) {
    return;
  }
  started_ = true;
  // Each cycle starts again at the upper left: a pause, then the swing.
  auto* cycle = new QSequentialAnimationGroup(this);
  cycle->addPause(300);
  auto* swing = new SpringAnimation(1.1, 0.75, cycle);
  swing->setStartValue(0.0);
  swing->setEndValue(1.0);
  connect(swing, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
    dropped_ = value.toDouble();
    update();
  });
  cycle->addAnimation(swing);
  cycle->setLoopCount(-1);
  startAnimation(cycle);
}

void DropScene::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QPointF centre = QRectF(rect()).center();
  const double away = 1 - dropped_;

  // The outline, drawn inside the area's edge.
  QPen dashes(mix(withAlpha(Brand::ink(), 0.3), Brand::droid(), dropped_), 3);
  dashes.setDashPattern({10.0 / 3, 8.0 / 3});
  painter.setPen(dashes);
  painter.setBrush(Qt::NoBrush);
  const QRectF area(centre.x() - 150, centre.y() - 85, 300, 170);
  painter.drawRoundedRect(area.adjusted(1.5, 1.5, -1.5, -1.5), 16.5, 16.5);

  // The folder: moved up and left, and that place turned about the area's centre.
  painter.save();
  painter.translate(centre);
  painter.rotate(-18 * away);
  painter.translate(-230 * away, -90 * away);
  drawSymbol(painter, QStringLiteral("folder.fill"), 54, Brand::swift(), QPointF(0, 0), devicePixelRatioF());
  painter.restore();

  // The pointer, never turned.
  const QPointF pointer(-208 + (22 + 208) * dropped_, -64 + (26 + 64) * dropped_);
  drawSymbol(painter, QStringLiteral("cursorarrow"), 26, Brand::ink(), centre + pointer, devicePixelRatioF());
}

StudioScene::StudioScene(QWidget* parent) : QWidget(parent) {}

void StudioScene::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (started_) {
    return;
  }
  started_ = true;
  auto* growth = new QParallelAnimationGroup(this);
  for (std::size_t i = 0; i < bars_.size(); ++i) {
    auto* bar = new QSequentialAnimationGroup(growth);
    bar->addPause(static_cast<int>(i) * 150);
    auto* spring = new SpringAnimation(0.5, 0.825, bar);
    spring->setStartValue(0.2);
    spring->setEndValue(1.0);
    connect(spring, &QVariantAnimation::valueChanged, this, [this, i](const QVariant& value) {
      bars_[i] = value.toDouble();
      update();
    });
    bar->addAnimation(spring);
    growth->addAnimation(bar);
  }
  startAnimation(growth, QAbstractAnimation::DeleteWhenStopped);
}

void StudioScene::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QFont nameFont = monospacedFont(TextStyle::callout);
  const QFontMetrics metrics(nameFont);
  const QString name = QStringLiteral("MeineApp-Android");
  const int folderWidth = std::max(50, metrics.horizontalAdvance(name));
  const QFont arrowFont = app::font(TextStyle::title);
  const int arrowSize = QFontMetrics(arrowFont).height();
  const QSizeF phone(110, 200);
  const double rowWidth = folderWidth + 30 + arrowSize + 30 + phone.width();
  const QPointF centre = QRectF(rect()).center();
  double x = centre.x() - rowWidth / 2;

  // The result folder above its name.
  const double folderHeight = 50 + 8 + metrics.height();
  const double folderTop = centre.y() - folderHeight / 2;
  drawSymbol(painter, QStringLiteral("folder.fill"), 50, Brand::droid(), QPointF(x + folderWidth / 2.0, folderTop + 25),
             devicePixelRatioF());
  painter.setFont(nameFont);
  painter.setPen(Brand::ink());
  painter.drawText(QRectF(x, folderTop + 58, folderWidth, metrics.height()), Qt::AlignCenter, name);
  x += folderWidth + 30;

  drawSymbol(painter, QStringLiteral("arrow.right"), arrowSize, Brand::ink(), QPointF(x + arrowSize / 2.0, centre.y()),
             devicePixelRatioF());
  x += arrowSize + 30;

  // The phone: its body, the screen, and the four bars of the app coming up.
  const QRectF body(x, centre.y() - phone.height() / 2, phone.width(), phone.height());
  painter.setPen(Qt::NoPen);
  painter.setBrush(Brand::ink());
  painter.drawRoundedRect(body, 22, 22);
  painter.setBrush(Qt::white);
  painter.drawRoundedRect(QRectF(body.center().x() - 47, body.center().y() - 90, 94, 180), 14, 14);
  const double barsHeight = 4 * 14 + 3 * 6;
  double y = body.center().y() - barsHeight / 2;
  for (std::size_t i = 0; i < bars_.size(); ++i) {
    painter.setBrush(i == 0 ? Brand::droid() : withAlpha(systemGrey, 0.25));
    painter.drawRoundedRect(QRectF(body.center().x() - 35, y, 70 * bars_[i], 14), 4, 4);
    y += 14 + 6;
  }
}

}  // namespace tovrane::app
