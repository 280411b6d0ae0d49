#pragma once
// The registry of the work that outlives a page: the AI-repair model and the
// device-test model of every Android output folder, each made on first
// request, and the list of running jobs derived from them (for the jobs
// button, the dock badge and the updater).
//
// Invariants: one instance per process, made by the entry and passed by
// reference (tests make their own). Models are keyed by the folder exactly
// as the caller passes it and are never removed or replaced, so a finished
// model keeps its last state and a worker can always post to it. running()
// is sorted by id and changes, with runningChanged(), exactly when a model's
// running phase or state, its status or its progress changes.
#include "app/state/JobServices.hpp"

#include <QObject>
#include <QString>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tovrane::app {

class AIRepairModel;
class DeviceTestModel;

class JobCenter : public QObject {
  Q_OBJECT

 public:
  struct Job {
    // "ai-", "and-" or "ios-" and the output folder's path.
    std::string id;
    QString title;
    // The current status text.
    QString detail;
    // The fraction done; absent when the job counts no units of work.
    std::optional<double> progress;
    std::filesystem::path project;
    // Stops the job; empty when it cannot be stopped (device runs).
    std::function<void()> cancel;

    // Equal when they show the same; of the actions only whether there is one counts.
    bool operator==(const Job& other) const;
  };

  explicit JobCenter(JobServices services, QObject* parent = nullptr);
  ~JobCenter() override;

  // The repair model of that folder; a new one is made with this name, an
  // existing one keeps the name it was made with.
  AIRepairModel& repair(const std::filesystem::path& project, const QString& name);
  DeviceTestModel& devices(const std::filesystem::path& project);

  // Running repairs, then running Android runs, then running iOS runs, each
  // kind by folder path.
  const std::vector<Job>& running() const { return running_; }

  // Quitting: cancels every running repair and the device runs' wait for an
  // emulator (the emulator itself keeps running), then waits for the
  // background calls until the deadline; true when none runs.
  bool shutdown(std::chrono::milliseconds deadline);

 signals:
  void runningChanged();
  // A repair model could not save the keys it was started with (German).
  void keysNotSaved(const QString& message);

 private:
  void update();

  JobServices services_;
  std::map<std::string, std::unique_ptr<AIRepairModel>> repairs_;
  std::map<std::string, std::unique_ptr<DeviceTestModel>> devices_;
  std::vector<Job> running_;
};

}  // namespace tovrane::app
