#include "app/state/ConversionModel.hpp"

#include "app/state/MainThread.hpp"
#include "app/state/Observable.hpp"
#include "app/state/OutputReservations.hpp"
#include "app/state/PlaceholderCount.hpp"
#include "app/state/Settings.hpp"
#include "app/state/Workers.hpp"
#include "core/support/Files.hpp"

#include <QPointer>

#include <algorithm>
#include <iterator>
#include <system_error>

namespace tovrane::app {

namespace fs = std::filesystem;
using conversion_phase::Failed;
using conversion_phase::Finished;
using conversion_phase::Idle;
using conversion_phase::Running;

namespace {

const char* const notAFolderText = "Bitte einen Ordner reinziehen – nicht eine einzelne Datei.";

struct StepRow {
  const char* text;
  double fraction;
};
// What the user reads while a run is under way.
constexpr StepRow startStep{"Projekt wird gelesen …", 0.02};
// One row per case of ConversionStage, in the order of its alternatives.
// Parsing appends the Swift file's name to its text and moves its fraction on
// by 0.75 × index ÷ total, so the files together never reach 0.85.
constexpr StepRow stageSteps[] = {
    {"Übersetze ", 0.1},                                // parsing
    {"Projekt wird gelesen …", 0.05},                   // scanning
    {"Kotlin-Code wird erzeugt …", 0.88},               // generating
    {"Android-Studio-Projekt wird geschrieben …", 0.95},  // writingProject
    {"Fertig", 1.0},                                    // done
};
static_assert(std::size(stageSteps) == std::variant_size_v<decltype(ConversionStage::node)>);

Running running(const StepRow& row) { return Running{QString::fromUtf8(row.text), row.fraction}; }

Running stepOf(const ConversionStage& stage) {
  Running step = running(stageSteps[stage.node.index()]);
  if (const auto* parsing = std::get_if<ConversionStage::parsing>(&stage.node)) {
    step.step += QString::fromStdString(fs::path(parsing->file).filename().string());
    step.progress += 0.75 * parsing->index / std::max(parsing->total, 1);
  }
  return step;
}

// The project folder a dropped item stands for: a package of Xcode's is
// replaced by the folder that holds it (one level only).
fs::path projectFolderOf(const fs::path& item) {
  fs::path folder = item.lexically_normal();
  if (!folder.has_filename() && folder.has_relative_path()) {
    folder = folder.parent_path();
  }
  if (folder.extension() == ".xcodeproj" || folder.extension() == ".xcworkspace") {
    folder = folder.parent_path();
  }
  return folder;
}

// Anything at the path, a dangling link included.
bool taken(const fs::path& path) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(path, ec));
}

}  // namespace

ConversionModel::ConversionModel(Engine& engine, Workers& workers, Settings& settings,
                                 OutputReservations& reservations, QObject* parent)
    : QObject(parent), engine_(engine), workers_(workers), settings_(settings), reservations_(reservations) {}

void ConversionModel::setPhase(Phase phase) { assign(this, phase_, std::move(phase), &ConversionModel::phaseChanged); }
void ConversionModel::setInput(std::optional<fs::path> input) {
  assign(this, input_, std::move(input), &ConversionModel::inputChanged);
}
void ConversionModel::setResult(std::optional<ConversionResult> result) {
  assign(this, result_, std::move(result), &ConversionModel::resultChanged);
}
void ConversionModel::setPlaceholders(std::optional<int> placeholders) {
  assign(this, placeholders_, placeholders, &ConversionModel::placeholdersChanged);
}
void ConversionModel::setLastInput(std::optional<fs::path> lastInput) {
  assign(this, lastInput_, std::move(lastInput), &ConversionModel::lastInputChanged);
}

fs::path ConversionModel::freeOutputURL(const fs::path& project, const Settings& settings,
                                        const OutputReservations& reservations) {
  fs::path base = project.parent_path();
  if (settings.outputMode() == OutputMode::custom && !settings.outputFolder().isEmpty()) {
    base = fs::path(settings.outputFolder().toStdString());
  }
  const std::string name = project.filename().string() + "-Android";
  fs::path candidate = base / name;
  for (int number = 2; taken(candidate) || reservations.isReserved(candidate); ++number) {
    candidate = base / (name + "-" + std::to_string(number));
  }
  return candidate;
}

fs::path ConversionModel::claimOutputFolder(const fs::path& project) {
  for (;;) {
    const fs::path folder = freeOutputURL(project, settings_, reservations_);
    reservations_.reserve(folder);
    std::error_code ec;
    try {
      files::createDirectories(folder.parent_path());
      if (fs::create_directory(folder, ec)) {
        return folder;
      }
    } catch (...) {
      reservations_.release(folder);
      throw;
    }
    reservations_.release(folder);
    // Another program made something there since we looked: take the next name.
    if (!taken(folder)) {
      throw files::FileError(folder, ec);
    }
  }
}

void ConversionModel::start(const fs::path& item) {
  const fs::path folder = projectFolderOf(item);
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) {
    setPhase(Failed{QString::fromUtf8(notAFolderText)});
    return;
  }
  setInput(folder);
  fs::path output;
  QString failure;
  try {
    output = claimOutputFolder(folder);
  } catch (const files::FileError& error) {
    failure = QString::fromStdString(error.what());
  }
  setLastInput(folder);
  if (output.empty()) {
    setPhase(Failed{failure});
    return;
  }
  setPhase(running(startStep));

  // The worker never touches the model: `model` is used only inside posts,
  // which run on the UI thread and only while the guard still holds.
  const QPointer<QObject> guard(this);
  ConversionModel* model = this;
  workers_.run([guard, model, &engine = engine_, &reservations = reservations_, folder, output] {
    std::optional<ConversionResult> result;
    int placeholders = 0;
    QString failure;
    try {
      result = engine.convert(folder, output, ConversionOptions{}, [&guard, model](const ConversionStage& stage) {
        postToMain(guard, [model, step = stepOf(stage)] { model->setPhase(step); });
      });
      placeholders = placeholdersIn(*result);
    } catch (const std::exception& error) {
      failure = QString::fromStdString(error.what());
    }
    if (!result) {
      // Only an empty folder goes: what a failed writer left stays for the user to see.
      std::error_code ignored;
      fs::remove(output, ignored);
    }
    reservations.release(output);
    if (result) {
      postToMain(guard, [model, result = std::move(*result), placeholders] {
        model->setResult(result);
        model->setPlaceholders(placeholders);
        model->setPhase(Finished{});
      });
    } else {
      postToMain(guard, [model, failure] { model->setPhase(Failed{failure}); });
    }
  });
}

void ConversionModel::reset() {
  setPhase(Idle{});
  setResult(std::nullopt);
  setPlaceholders(std::nullopt);
  setInput(std::nullopt);
}

}  // namespace tovrane::app
