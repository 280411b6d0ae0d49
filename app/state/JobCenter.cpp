#include "app/state/JobCenter.hpp"

#include "app/state/AIRepairModel.hpp"
#include "app/state/DeviceTestModel.hpp"
#include "app/state/Workers.hpp"

#include <algorithm>

namespace tovrane::app {

namespace fs = std::filesystem;

namespace {

// One row per side of a device test.
struct DeviceSide {
  const char* prefix;
  const char* title;
  const DeviceRunState& (DeviceTestModel::*state)() const;
  void (DeviceTestModel::*changed)();
};
constexpr DeviceSide deviceSides[] = {
    {"and-", "Android-Emulator", &DeviceTestModel::android, &DeviceTestModel::androidChanged},
    {"ios-", "iPhone-Simulator", &DeviceTestModel::ios, &DeviceTestModel::iosChanged},
};

bool isRunning(const AIRepairModel& model) {
  return std::holds_alternative<repair_phase::Running>(model.phase());
}

}  // namespace

bool JobCenter::Job::operator==(const Job& other) const {
  return id == other.id && title == other.title && detail == other.detail && progress == other.progress &&
         project == other.project && static_cast<bool>(cancel) == static_cast<bool>(other.cancel);
}

JobCenter::JobCenter(JobServices services, QObject* parent) : QObject(parent), services_(std::move(services)) {}

JobCenter::~JobCenter() = default;

AIRepairModel& JobCenter::repair(const fs::path& project, const QString& name) {
  std::unique_ptr<AIRepairModel>& model = repairs_[project.string()];
  if (!model) {
    model = std::make_unique<AIRepairModel>(services_, *this, project, name);
    for (void (AIRepairModel::*changed)() : {&AIRepairModel::phaseChanged, &AIRepairModel::statusChanged,
                                              &AIRepairModel::doneChanged, &AIRepairModel::totalChanged}) {
      connect(model.get(), changed, this, &JobCenter::update);
    }
    connect(model.get(), &AIRepairModel::keysNotSaved, this, &JobCenter::keysNotSaved);
  }
  return *model;
}

DeviceTestModel& JobCenter::devices(const fs::path& project) {
  std::unique_ptr<DeviceTestModel>& model = devices_[project.string()];
  if (!model) {
    model = std::make_unique<DeviceTestModel>(services_.engine, services_.workers, services_.settings,
                                              services_.tools);
    for (const DeviceSide& side : deviceSides) {
      connect(model.get(), side.changed, this, &JobCenter::update);
    }
  }
  return *model;
}

void JobCenter::update() {
  std::vector<Job> jobs;
  for (const auto& [path, model] : repairs_) {
    if (!isRunning(*model)) {
      continue;
    }
    std::optional<double> progress;
    if (model->total() >= 1) {
      progress = static_cast<double>(model->done()) / model->total();
    }
    AIRepairModel* repair = model.get();
    jobs.push_back({"ai-" + path, QStringLiteral("KI-Reparatur · ") + model->name(), model->status(), progress,
                    model->project(), [repair] { repair->cancel(); }});
  }
  for (const auto& [path, model] : devices_) {
    for (const DeviceSide& side : deviceSides) {
      if (const auto* running = std::get_if<device_run::Running>(&((*model).*side.state)())) {
        jobs.push_back({side.prefix + path, QString::fromUtf8(side.title), running->text, std::nullopt, fs::path(path),
                        nullptr});
      }
    }
  }
  // Byte order of UTF-8 is code-point order.
  std::stable_sort(jobs.begin(), jobs.end(), [](const Job& a, const Job& b) { return a.id < b.id; });
  if (jobs == running_) {
    return;
  }
  running_ = std::move(jobs);
  emit runningChanged();
}

bool JobCenter::shutdown(std::chrono::milliseconds deadline) {
  for (const auto& [path, model] : repairs_) {
    if (isRunning(*model)) {
      model->cancel();
    }
  }
  services_.engine.cancelDeviceRuns();
  return services_.workers.waitForAll(deadline);
}

}  // namespace tovrane::app
