#pragma once
// The box of a project's detail page from which the user has the remaining
// placeholders of the generated Android project completed by a language
// model: the choice of back-end while its model is idle, the progress of a
// run, its result, or its failure.
//
// Invariants: the card keeps no state of its own. It shows what its model
// holds and writes what the user changes into the model at once. The view
// below the header follows the model's phase: it is made anew when the
// phase (or, when done, the presence of a result) changes, and brought up to
// date in place on every other change of the model. The card hands its
// finish action to the model immediately before each start.
#include "app/cards/PhaseChip.hpp"
#include "app/state/AIRepairModel.hpp"

#include <QStringList>
#include <QWidget>

#include <array>
#include <optional>

class QLabel;

namespace tovrane::app {

class AIRepairView;
class Clock;
class Engine;
class Launcher;
class Platform;

class AIRepairCard : public QWidget {
  Q_OBJECT

 public:
  // What the card's views use besides the model: the engine for the ladder
  // and the local model runtime, the platform for the motion setting, the
  // launcher for the set-up page of Claude Code, the clock for the run time.
  struct Services {
    Engine& engine;
    Platform& platform;
    Launcher& launcher;
    const Clock& clock;
  };

  // placeholders: the open places the page knows of (shown in the title,
  // and the least denominator of the progress).
  AIRepairCard(AIRepairModel& model, const Services& services, int placeholders, AIRepairModel::FinishAction onFinish,
               QWidget* parent = nullptr);

  int placeholders() const { return placeholders_; }
  void setPlaceholders(int placeholders);

  // "Restliche N Stellen mit KI lösen", or "KI-Reparatur" once done.
  QString title() const;
  // The view below the header; null when nothing is shown there (done without a result).
  QWidget* view() const;

  // The share of solved places: done over the larger of total and
  // placeholders, 0 when that is 0, at most 1.
  static double fraction(int done, int total, int placeholders);
  // Whole seconds as minutes and seconds, minutes not folded into hours ("75:03").
  static QString elapsed(qint64 seconds);
  // The three chips "Stellen ergänzen", "Kompilieren", "Fertig".
  static std::array<PhaseChip::State, 3> chipStates(double fraction, int compileRound,
                                                    std::optional<int> compileErrors);
  // "Zuletzt bearbeitet: " and the last six files, the latest first.
  static QString lastFiles(const QStringList& touchedFiles);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void refresh();
  void start();

  AIRepairModel& model_;
  Services services_;
  int placeholders_;
  AIRepairModel::FinishAction onFinish_;
  QLabel* title_;
  AIRepairView* view_ = nullptr;
  // What the shown view was made for.
  std::optional<RepairPhase> shownPhase_;
  bool shownResult_ = false;
};

}  // namespace tovrane::app
