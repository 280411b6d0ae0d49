#pragma once
// The observable state of one project's device test: the Android emulators
// and iOS simulators, the chosen one of each side, and each side's run.
// Listings and runs happen on workers; their answers and every status text
// reach the model through posts to the UI thread, one per event, in order.
//
// Invariants: every field lives on the UI thread and notifies only a real
// change. A choice is written to the settings when its run starts, never
// while loading. Where the iOS simulator cannot run (always on Linux) the
// model lists no simulator and starts no iOS run, so neither side shows a
// failure for a tool this machine cannot have. That answer may come after
// the first load (the lookup runs at start-up); a load that was made without
// it is made again when it arrives. Only the latest load's lists are taken.
#include "app/state/Engine.hpp"

#include <QObject>
#include <QString>

#include <filesystem>
#include <memory>
#include <optional>
#include <variant>
#include <vector>

namespace tovrane::app {

class Settings;
class ToolLookup;
class Workers;

namespace device_run {
struct Running {
  QString text;  // the latest status
  bool operator==(const Running&) const = default;
};
struct Ok {
  QString text;  // where the app runs
  bool operator==(const Ok&) const = default;
};
struct Failed {
  QString text;
  bool operator==(const Failed&) const = default;
};
struct Idle {
  bool operator==(const Idle&) const = default;
};
}  // namespace device_run
using DeviceRunState = std::variant<device_run::Running, device_run::Ok, device_run::Failed, device_run::Idle>;

class DeviceTestModel : public QObject {
  Q_OBJECT

 public:
  using State = DeviceRunState;

  // Reads the remembered choices ("androidDevice", "iosDevice") once.
  // Whether the iOS simulator can run here is the tool lookup's answer.
  DeviceTestModel(Engine& engine, Workers& workers, Settings& settings, const ToolLookup& tools,
                  QObject* parent = nullptr);

  const std::vector<TestDevice>& androidDevices() const { return androidDevices_; }
  const std::vector<TestDevice>& iosDevices() const { return iosDevices_; }
  const QString& androidID() const { return androidID_; }
  const QString& iosID() const { return iosID_; }
  const State& android() const { return android_; }
  const State& ios() const { return ios_; }
  bool loaded() const { return loaded_; }

  void setAndroidID(const QString& id);
  void setIosID(const QString& id);

  // Lists both kinds of device at once, unless loaded already and not forced.
  // The Android list is assigned first; then the iOS list; then each choice
  // is kept when still listed, else set to the first device (or "").
  void load(bool force);
  // Builds and starts the Android app of that output folder on the chosen
  // emulator; does nothing without a choice.
  void startAndroid(const std::filesystem::path& project);
  // Builds and starts the Swift app of that Xcode project folder on the
  // chosen simulator; does nothing without a choice or without iOS tools.
  void startIOS(const std::filesystem::path& xcodeProjectFolder);

 signals:
  void androidDevicesChanged();
  void iosDevicesChanged();
  void androidIDChanged();
  void iosIDChanged();
  void androidChanged();
  void iosChanged();
  void loadedChanged();

 private:
  struct Listing;
  void listed(Listing& listing);
  void setAndroidDevices(std::vector<TestDevice> devices);
  void setIosDevices(std::vector<TestDevice> devices);
  void setAndroid(State state);
  void setIos(State state);
  void setLoaded(bool loaded);
  // Runs one side's call on a worker, posting each status and the outcome to that side.
  void startRun(void (DeviceTestModel::*setSide)(State), QString okText,
                std::function<void(const StatusCallback&)> call);

  Engine& engine_;
  Workers& workers_;
  Settings& settings_;
  const ToolLookup& tools_;
  std::vector<TestDevice> androidDevices_;
  std::vector<TestDevice> iosDevices_;
  QString androidID_;
  QString iosID_;
  State android_ = device_run::Idle{};
  State ios_ = device_run::Idle{};
  bool loaded_ = false;
  // Counts the loads; a listing applies only while it is the latest.
  int loads_ = 0;
  // Whether the latest load listed simulators; nullopt before the first.
  std::optional<bool> iosListed_;
};

}  // namespace tovrane::app
