#include "app/state/DeviceTestModel.hpp"

#include "app/state/MainThread.hpp"
#include "app/state/Observable.hpp"
#include "app/state/Settings.hpp"
#include "app/state/ToolLookup.hpp"
#include "app/state/Workers.hpp"

#include <QPointer>

#include <algorithm>
#include <optional>

namespace tovrane::app {

namespace fs = std::filesystem;

namespace {

const char* const startingText = "Startet …";
const char* const runsOnText = "Läuft auf ";

// The remembered choice while it is listed, else the launcher's first device, else "".
QString chosen(const std::vector<TestDevice>& devices, const QString& id) {
  const std::string wanted = id.toStdString();
  const bool listed =
      std::any_of(devices.begin(), devices.end(), [&wanted](const TestDevice& device) { return device.id == wanted; });
  if (listed) {
    return id;
  }
  return devices.empty() ? QString() : QString::fromStdString(devices.front().id);
}

}  // namespace

// The answers of one load; they arrive in either order and are applied on the UI thread.
struct DeviceTestModel::Listing {
  int load = 0;
  std::optional<std::vector<TestDevice>> android;
  std::optional<std::vector<TestDevice>> ios;
  bool androidAssigned = false;
};

DeviceTestModel::DeviceTestModel(Engine& engine, Workers& workers, Settings& settings, const ToolLookup& tools,
                                 QObject* parent)
    : QObject(parent),
      engine_(engine),
      workers_(workers),
      settings_(settings),
      tools_(tools),
      androidID_(settings.androidDevice()),
      iosID_(settings.iosDevice()) {
  connect(&tools_, &ToolLookup::changed, this, [this] {
    if (iosListed_ && *iosListed_ != tools_.iosSimulator()) {
      load(true);
    }
  });
}

void DeviceTestModel::setAndroidDevices(std::vector<TestDevice> devices) {
  assign(this, androidDevices_, std::move(devices), &DeviceTestModel::androidDevicesChanged);
}
void DeviceTestModel::setIosDevices(std::vector<TestDevice> devices) {
  assign(this, iosDevices_, std::move(devices), &DeviceTestModel::iosDevicesChanged);
}
void DeviceTestModel::setAndroidID(const QString& id) { assign(this, androidID_, id, &DeviceTestModel::androidIDChanged); }
void DeviceTestModel::setIosID(const QString& id) { assign(this, iosID_, id, &DeviceTestModel::iosIDChanged); }
void DeviceTestModel::setAndroid(State state) { assign(this, android_, std::move(state), &DeviceTestModel::androidChanged); }
void DeviceTestModel::setIos(State state) { assign(this, ios_, std::move(state), &DeviceTestModel::iosChanged); }
void DeviceTestModel::setLoaded(bool loaded) { assign(this, loaded_, loaded, &DeviceTestModel::loadedChanged); }

void DeviceTestModel::load(bool force) {
  if (loaded_ && !force) {
    return;
  }
  const auto listing = std::make_shared<Listing>();
  listing->load = ++loads_;
  iosListed_ = tools_.iosSimulator();
  const QPointer<QObject> guard(this);
  DeviceTestModel* model = this;
  const auto list = [&](std::vector<TestDevice> (Engine::*call)(), std::optional<std::vector<TestDevice>> Listing::*slot) {
    workers_.run([guard, model, listing, &engine = engine_, call, slot] {
      std::vector<TestDevice> devices;
      try {
        devices = (engine.*call)();
      } catch (const std::exception&) {
        // A listing that fails lists nothing; the card then says so.
      }
      postToMain(guard, [model, listing, slot, devices = std::move(devices)]() mutable {
        (*listing).*slot = std::move(devices);
        model->listed(*listing);
      });
    });
  };
  list(&Engine::androidDevices, &Listing::android);
  if (tools_.iosSimulator()) {
    list(&Engine::iosDevices, &Listing::ios);
  } else {
    listing->ios.emplace();
  }
}

void DeviceTestModel::listed(Listing& listing) {
  // An iOS list that is ready first waits for the Android assignment.
  if (listing.load != loads_ || !listing.android) {
    return;
  }
  if (!listing.androidAssigned) {
    listing.androidAssigned = true;
    setAndroidDevices(*listing.android);
  }
  if (!listing.ios) {
    return;
  }
  setIosDevices(*listing.ios);
  setAndroidID(chosen(androidDevices_, androidID_));
  setIosID(chosen(iosDevices_, iosID_));
  setLoaded(true);
}

void DeviceTestModel::startAndroid(const fs::path& project) {
  if (androidID_.isEmpty()) {
    return;
  }
  settings_.setAndroidDevice(androidID_);
  setAndroid(device_run::Running{QString::fromUtf8(startingText)});
  const std::string avd = androidID_.toStdString();
  startRun(&DeviceTestModel::setAndroid,
           QString::fromUtf8(runsOnText) + QString(androidID_).replace(QLatin1Char('_'), QLatin1Char(' ')),
           [&engine = engine_, project, avd](const StatusCallback& status) { engine.runAndroid(project, avd, status); });
}

void DeviceTestModel::startIOS(const fs::path& xcodeProjectFolder) {
  if (iosID_.isEmpty() || !tools_.iosSimulator()) {
    return;
  }
  settings_.setIosDevice(iosID_);
  setIos(device_run::Running{QString::fromUtf8(startingText)});
  const std::string udid = iosID_.toStdString();
  const auto device = std::find_if(iosDevices_.begin(), iosDevices_.end(),
                                   [&udid](const TestDevice& candidate) { return candidate.id == udid; });
  const QString name = device != iosDevices_.end() ? QString::fromStdString(device->name) : QStringLiteral("Simulator");
  startRun(&DeviceTestModel::setIos, QString::fromUtf8(runsOnText) + name,
           [&engine = engine_, xcodeProjectFolder, udid](const StatusCallback& status) {
             engine.runIOS(xcodeProjectFolder, udid, status);
           });
}

void DeviceTestModel::startRun(void (DeviceTestModel::*setSide)(State), QString okText,
                               std::function<void(const StatusCallback&)> call) {
  // The worker never touches the model: `model` is used only inside posts,
  // which run on the UI thread and only while the guard still holds.
  const QPointer<QObject> guard(this);
  DeviceTestModel* model = this;
  workers_.run([guard, model, setSide, okText = std::move(okText), call = std::move(call)] {
    const auto post = [&guard, model, setSide](State state) {
      postToMain(guard, [model, setSide, state = std::move(state)] { (model->*setSide)(state); });
    };
    try {
      call([&post](const std::string& status) { post(device_run::Running{QString::fromStdString(status)}); });
      post(device_run::Ok{okText});
    } catch (const std::exception& error) {
      post(device_run::Failed{QString::fromStdString(error.what())});
    }
  });
}

}  // namespace tovrane::app
