#include "app/window/CoverageChart.hpp"

#include "app/state/Brand.hpp"
#include "app/state/ProjectRecord.hpp"
#include "app/window/Look.hpp"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QCategoryAxis>
#include <QLinearGradient>
#include <QStackedBarSeries>

#include <algorithm>
#include <cmath>

namespace tovrane::app {

namespace {
constexpr int chartHeight = 200;

// A bar lighter at its top, the colour itself at its foot.
QBrush barBrush(const QColor& colour) {
  QLinearGradient gradient(0, 0, 0, 1);
  gradient.setCoordinateMode(QGradient::ObjectMode);
  gradient.setColorAt(0, colour.lighter(118));
  gradient.setColorAt(1, colour);
  return gradient;
}

QBarSet* barSet(const QString& label, const QColor& colour, QObject* parent) {
  auto* set = new QBarSet(label, parent);
  set->setBrush(barBrush(colour));
  set->setPen(Qt::NoPen);
  return set;
}
}  // namespace

double CoverageChart::barHeight(double fraction) {
  return std::isnan(fraction) ? 0 : std::clamp(fraction * 100, 0.0, 100.0);
}

CoverageChart::CoverageChart(const std::vector<ProjectRecord>& records, QWidget* parent) : QChartView(parent) {
  setObjectName(QStringLiteral("coverageChart"));
  setFixedHeight(chartHeight);
  setRenderHint(QPainter::Antialiasing);
  setFrameShape(QFrame::NoFrame);
  // Nothing in it reacts to keys or clicks.
  setFocusPolicy(Qt::NoFocus);
  setInteractive(false);
  setStyleSheet(QStringLiteral("background: transparent"));

  auto* chart = new QChart;
  chart->setBackgroundVisible(false);
  chart->setMargins(QMargins(0, 4, 0, 0));
  chart->setAnimationOptions(QChart::NoAnimation);
  chart->legend()->hide();

  auto* series = new QStackedBarSeries(chart);
  QBarSet* rule = barSet(QStringLiteral("Regel"), Brand::swift(), series);
  QBarSet* ai = barSet(QStringLiteral("KI"), Brand::droid(), series);
  QStringList names;
  for (const ProjectRecord& record : records) {
    names.append(record.name);
    rule->append(barHeight(record.coverage));
    // A record without AI record has no "KI" bar: a stack needs a value in
    // every category, and 0 draws nothing.
    ai->append(record.ai ? barHeight(record.effectiveCoverage() - record.coverage) : 0.0);
  }
  series->append(rule);
  series->append(ai);
  series->setBarWidth(0.55);
  chart->addSeries(series);

  const QFont labels = app::font(TextStyle::caption);
  auto* projects = new QBarCategoryAxis(chart);
  projects->setTitleText(QString());
  projects->append(names);
  projects->setGridLineVisible(false);
  projects->setLabelsFont(labels);
  projects->setLabelsColor(secondaryText());
  projects->setLinePenColor(withAlpha(Brand::ink(), 0.15));
  chart->addAxis(projects, Qt::AlignBottom);
  series->attachAxis(projects);

  // Marks at 0, 50 and 100, each with its grid line and label, whatever the data.
  auto* percent = new QCategoryAxis(chart);
  percent->setRange(0, 100);
  percent->setStartValue(0);
  percent->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
  for (int mark : {0, 50, 100}) {
    percent->append(QString::number(mark) + QStringLiteral(" %"), mark);
  }
  percent->setLabelsFont(labels);
  percent->setLabelsColor(secondaryText());
  percent->setGridLineColor(withAlpha(Brand::ink(), 0.1));
  percent->setLineVisible(false);
  chart->addAxis(percent, Qt::AlignLeft);
  series->attachAxis(percent);

  setChart(chart);
  // The graphics view gives its viewport keyboard focus of its own.
  viewport()->setFocusPolicy(Qt::NoFocus);
}

}  // namespace tovrane::app
