#pragma once
// The overview, the window's start page: a greeting by the hour, four
// statistics of the history, a stacked bar chart of the coverage of recent
// projects (the rule-based share and what the AI repair added), the AI
// repair's totals, and the five newest records, or an invitation to the
// first conversion. It writes nothing; its only effects are navigation.
//
// Invariants: everything shown is derived from the store; the page builds
// its blocks anew whenever the history changes.
#include <QDateTime>
#include <QString>
#include <QWidget>

#include <vector>

namespace tovrane::app {

class Clock;
class Navigation;
class ProjectStore;
class ScrollingPage;
struct ProjectRecord;

class OverviewView : public QWidget {
  Q_OBJECT

 public:
  OverviewView(ProjectStore& store, Navigation& navigation, const Clock& clock, QWidget* parent = nullptr);

  // "Guten Morgen" before 11, "Hallo" before 18, else "Guten Abend", by the hour of localTime.
  static QString greeting(const QDateTime& localTime);
  // The records the chart shows: the newest record of each name (names
  // equal when their canonical Unicode forms are), at most eight, oldest first.
  static std::vector<ProjectRecord> chartProjects(const std::vector<ProjectRecord>& records);

 private:
  void build();

  ProjectStore& store_;
  Navigation& navigation_;
  const Clock& clock_;
  ScrollingPage* page_;
  QWidget* body_;
};

}  // namespace tovrane::app
