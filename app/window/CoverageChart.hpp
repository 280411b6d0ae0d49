#pragma once
// The overview's chart of coverage per project: one stacked bar per record,
// "Regel" (the conversion's own coverage) in the Swift colour and, for a
// record with an AI record, "KI" on top (what the repair added) in the
// Android colour, so a stack reaches the effective coverage. The vertical
// scale is fixed from 0 to 100 % with marks at 0, 50 and 100. The chart's
// own legend is hidden; the page draws its own below.
#include <QChartView>

#include <vector>

namespace tovrane::app {

struct ProjectRecord;

class CoverageChart : public QChartView {
 public:
  // records: left to right.
  explicit CoverageChart(const std::vector<ProjectRecord>& records, QWidget* parent = nullptr);

  // fraction × 100 within 0 … 100; a value that is not a number counts as 0.
  static double barHeight(double fraction);
};

}  // namespace tovrane::app
