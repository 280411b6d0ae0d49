#pragma once
// The views below the AI-repair card's header, one per phase of its model.
// Each is made when its phase begins and shows the model's fields; sync()
// brings it up to date after any change of the model. Focusing a view
// focuses its main control: the back-end picker, "Abbrechen", "Nochmal
// durchlaufen lassen" or "Nochmal versuchen".
#include "app/cards/AIRepairCard.hpp"

#include <QWidget>

#include <functional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTimer;
class QVariantAnimation;

namespace tovrane::app {

class LineLimitedLabel;
class ProgressBar;

class AIRepairView : public QWidget {
 public:
  using QWidget::QWidget;
  virtual void sync() = 0;
};

// Idle: the back-end, its settings and the start button.
class AIRepairSetupView : public AIRepairView {
 public:
  AIRepairSetupView(AIRepairModel& model, const AIRepairCard::Services& services, std::function<void()> start,
                    QWidget* parent = nullptr);
  void sync() override;

 protected:
  // Each time the setup appears its key fields show the stored keys (those
  // not edited since).
  void showEvent(QShowEvent* event) override;

 private:
  QWidget* toolPart(const QString& name, const QString& markdown, const QString& heading, bool guide);
  QWidget* apiPart();
  QWidget* localModelSection();
  void syncLocalModels();

  AIRepairModel& model_;
  AIRepairCard::Services services_;
  QComboBox* backend_;
  QWidget* codexFound_;
  QWidget* codexMissing_;
  QWidget* claudeFound_;
  QWidget* claudeMissing_;
  QWidget* api_;
  QLineEdit* geminiKey_;
  QLineEdit* anthropicKey_;
  QLineEdit* openAIKey_;
  std::vector<std::pair<QPushButton*, AIProvider>> providers_;
  QLabel* ladder_;
  QCheckBox* useLocal_;
  QWidget* localDetail_;
  QWidget* localPicker_;
  QComboBox* localModel_;
  QLabel* localState_;
  QPushButton* pullMenu_;
  QWidget* pullRow_;
  QLabel* pullText_;
  ProgressBar* pullBar_;
  QPushButton* start_;
};

// Running: the counts, the bar, the chips, the status with the clock and
// the cost, and the model's last steps. The clock ticks once a second
// while the view is shown.
class AIRepairRunningView : public AIRepairView {
 public:
  AIRepairRunningView(AIRepairModel& model, const AIRepairCard::Services& services, const AIRepairCard& card,
                      QWidget* parent = nullptr);
  void sync() override;

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void tick();

  AIRepairModel& model_;
  AIRepairCard::Services services_;
  const AIRepairCard& card_;
  QLabel* done_;
  QLabel* of_;
  QLabel* files_;
  QLabel* percent_;
  ProgressBar* bar_;
  QVariantAnimation* fill_;
  std::array<PhaseChip*, 3> chips_{};
  QWidget* errors_;
  QLabel* errorText_;
  LineLimitedLabel* status_;
  QLabel* elapsed_;
  QLabel* cost_;
  QWidget* escalation_;
  QLabel* escalationText_;
  LineLimitedLabel* last_;
  QTimer* clock_;
};

}  // namespace tovrane::app
