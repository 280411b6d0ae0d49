#pragma once
// The observable state of one conversion run, owned by the convert page.
// start() turns a dropped item into a project folder, refuses anything that
// is not a folder, reserves and creates a free output folder and runs the
// conversion on a worker; each stage the engine reports becomes a step text
// and a fraction. A finished run's placeholders are counted on the worker too.
//
// Invariants: every field lives on the UI thread and notifies only a real
// change. The worker holds only a guard of the model: its updates are posted
// one by one in the order they happen (so "Fertig" always shows before
// `finished`) and are dropped once the model is gone, while the run itself
// goes on and writes its project. A run's output folder stays reserved until
// the engine's call returns; a failed run removes that folder if it is still
// empty.
#include "app/state/Engine.hpp"

#include <QObject>
#include <QString>

#include <filesystem>
#include <optional>
#include <variant>

namespace tovrane::app {

class OutputReservations;
class Settings;
class Workers;

namespace conversion_phase {
struct Running {
  QString step;
  double progress = 0;
  bool operator==(const Running&) const = default;
};
struct Failed {
  QString message;
  bool operator==(const Failed&) const = default;
};
struct Idle {
  bool operator==(const Idle&) const = default;
};
struct Finished {
  bool operator==(const Finished&) const = default;
};
}  // namespace conversion_phase
using ConversionPhase = std::variant<conversion_phase::Running, conversion_phase::Failed, conversion_phase::Idle,
                                     conversion_phase::Finished>;

class ConversionModel : public QObject {
  Q_OBJECT

 public:
  using Phase = ConversionPhase;

  ConversionModel(Engine& engine, Workers& workers, Settings& settings, OutputReservations& reservations,
                  QObject* parent = nullptr);

  const Phase& phase() const { return phase_; }
  // The project folder of the run started last; reset() clears it.
  const std::optional<std::filesystem::path>& input() const { return input_; }
  // The result of the last successful run; reset() clears it.
  const std::optional<ConversionResult>& result() const { return result_; }
  // The placeholders in the Kotlin that run generated, counted as the
  // repairers count them; set and cleared with result.
  const std::optional<int>& placeholders() const { return placeholders_; }
  // Like input, but kept by reset(), so a finished run can still be recorded.
  const std::optional<std::filesystem::path>& lastInput() const { return lastInput_; }

  // Accepts a folder, an ".xcodeproj" or an ".xcworkspace" package (its
  // folder is converted) and starts the run; refuses anything else.
  void start(const std::filesystem::path& item);
  // Back to idle; result and input cleared, lastInput kept.
  void reset();

  // The first of project + "-Android", "-Android-2", "-Android-3", … that
  // neither exists nor is reserved, beside the project or in the chosen
  // output folder. Creates nothing.
  static std::filesystem::path freeOutputURL(const std::filesystem::path& project, const Settings& settings,
                                             const OutputReservations& reservations);

 signals:
  void phaseChanged();
  void inputChanged();
  void resultChanged();
  void placeholdersChanged();
  void lastInputChanged();

 private:
  void setPhase(Phase phase);
  void setInput(std::optional<std::filesystem::path> input);
  void setResult(std::optional<ConversionResult> result);
  void setPlaceholders(std::optional<int> placeholders);
  void setLastInput(std::optional<std::filesystem::path> lastInput);
  // Reserves a free output folder and creates it; throws files::FileError.
  std::filesystem::path claimOutputFolder(const std::filesystem::path& project);

  Engine& engine_;
  Workers& workers_;
  Settings& settings_;
  OutputReservations& reservations_;
  Phase phase_ = conversion_phase::Idle{};
  std::optional<std::filesystem::path> input_;
  std::optional<ConversionResult> result_;
  std::optional<int> placeholders_;
  std::optional<std::filesystem::path> lastInput_;
};

}  // namespace tovrane::app
