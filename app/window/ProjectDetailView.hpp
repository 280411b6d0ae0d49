#pragma once
// The page of one converted project: what the conversion produced, the
// actions on the Android project, the outcome of the last AI repair, the
// AI-repair card, the device-test card and the conversion's warnings.
//
// Invariants: the page follows the store: whenever the history changes it
// draws its record anew (a stored AI result shows at once), and whether the
// Android folder still exists is asked again at every such redraw and when
// the page is shown or its window activated. The two cards are made while
// the folder exists (the AI-repair card only while the last repair left
// places open or did not compile) and kept while that holds; their models
// live in the job centre, so a run goes on when the page goes. The warning
// filter is the page's only state.
#include "app/state/AIRepairModel.hpp"
#include "app/state/ProjectRecord.hpp"
#include "app/window/PageLayout.hpp"

#include <QPointer>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

class QLabel;
class QPushButton;

namespace tovrane::app {

class AIRepairCard;
class Clock;
class DeviceTestCard;
class Navigation;
class ProjectStore;
struct AppServices;

// The AI record of a repair that ended with result: now, the back-end's
// label, the placeholders solved of those the conversion left (never below
// 0), and the result's figures.
ProjectRecord::AIRecord aiRecordFor(const AIRepairResult& result, Backend backend, int convertedPlaceholders,
                                    const QDateTime& now);
// What the page hands the repair model: it stores the AI record of every
// result in the record id. It holds the process-wide store and clock, never
// the page, so it also stores when the page or its window is gone; a record
// removed meanwhile gets nothing.
AIRepairModel::FinishAction storeRepairOutcome(ProjectStore& store, const Clock& clock, const QUuid& id,
                                               int convertedPlaceholders);

class ProjectDetailView : public ScrollingPage {
  Q_OBJECT

 public:
  // record: as the window found it; the page follows the store from here on.
  ProjectDetailView(const AppServices& services, Navigation& navigation, const ProjectRecord& record,
                    QWidget* parent = nullptr);

  // The record as last drawn.
  const ProjectRecord& record() const { return record_; }
  AIRepairCard* repairCard() const { return repairCard_; }
  DeviceTestCard* deviceCard() const { return deviceCard_; }

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void refresh();
  void drawHeader(bool outputExists);
  void drawTiles();
  void drawLastRepair();
  void drawCards(bool outputExists);
  // Tab goes through the action row, then the cards and the warnings in reading order.
  void orderFocus();

  const AppServices& services_;
  Navigation& navigation_;
  ProjectRecord record_;
  QLabel* symbol_;
  QLabel* name_;
  QLabel* path_;
  QWidget* missing_;
  AdaptiveGridLayout* tiles_;
  // What the tiles show, as last drawn.
  QStringList tilesDrawn_;
  std::vector<QPushButton*> actions_;
  QWidget* lastRepairSlot_;
  QWidget* repairSlot_;
  QWidget* deviceSlot_;
  QWidget* warnings_ = nullptr;
  // The AI record and places the card "Letzte KI-Reparatur" shows, as last drawn.
  std::optional<std::pair<std::optional<ProjectRecord::AIRecord>, int>> lastRepairDrawn_;
  AIRepairCard* repairCard_ = nullptr;
  DeviceTestCard* deviceCard_ = nullptr;
  // The window whose activation redraws the page; it may go before the page.
  QPointer<QObject> watchedWindow_;
};

}  // namespace tovrane::app
