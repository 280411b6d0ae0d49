#include "app/state/Settings.hpp"

namespace tovrane::app {

namespace {
constexpr const char* guideSeenKey = "guideSeen";
constexpr const char* outputModeKey = "outputMode";
constexpr const char* outputFolderKey = "outputFolder";
constexpr const char* openStudioAfterKey = "openStudioAfter";
constexpr const char* defaultBackendKey = "defaultBackend";
constexpr const char* preferredProviderKey = "preferredProvider";
constexpr const char* useLocalModelKey = "useLocalModel";
constexpr const char* localModelKey = "localModel";
constexpr const char* shareFixesKey = "shareFixes";
constexpr const char* androidDeviceKey = "androidDevice";
constexpr const char* iosDeviceKey = "iosDevice";
constexpr const char* autoUpdateKey = "autoUpdate";

// The older spellings that earlier versions stored for the API ladder.
constexpr const char* olderAPINames[] = {"apiKey", "openAIAPI", "claudeAPI"};

const BackendInfo& info(Backend backend) {
  for (const BackendInfo& entry : backends) {
    if (entry.backend == backend) {
      return entry;
    }
  }
  return backends[0];
}
}  // namespace

const char* rawValue(Backend backend) { return info(backend).rawValue; }
const char* label(Backend backend) { return info(backend).label; }

Settings::Settings() : store_(QStringLiteral("TovraneAndroid")) {}

std::optional<bool> Settings::boolean(const char* key) const {
  const QVariant value = store_.value(QLatin1String(key));
  if (value.typeId() == QMetaType::Bool) {
    return value.toBool();
  }
  if (value.typeId() == QMetaType::QString) {
    const QString text = value.toString();
    if (text == QLatin1String("true")) {
      return true;
    }
    if (text == QLatin1String("false")) {
      return false;
    }
  }
  return std::nullopt;
}

QString Settings::text(const char* key) const {
  return store_.value(QLatin1String(key)).toString();
}

void Settings::write(const char* key, const QVariant& value) {
  store_.setValue(QLatin1String(key), value);
}

bool Settings::guideSeen() const { return boolean(guideSeenKey).value_or(false); }
void Settings::setGuideSeen(bool value) { write(guideSeenKey, value); }

OutputMode Settings::outputMode() const {
  return text(outputModeKey) == QLatin1String("custom") ? OutputMode::custom : OutputMode::nextTo;
}
void Settings::setOutputMode(OutputMode value) {
  write(outputModeKey, QLatin1String(value == OutputMode::custom ? "custom" : "nextTo"));
}

QString Settings::outputFolder() const { return text(outputFolderKey); }
void Settings::setOutputFolder(const QString& value) { write(outputFolderKey, value); }

bool Settings::openStudioAfter() const { return boolean(openStudioAfterKey).value_or(false); }
void Settings::setOpenStudioAfter(bool value) { write(openStudioAfterKey, value); }

std::optional<Backend> Settings::defaultBackend() const {
  const QString stored = text(defaultBackendKey);
  for (const BackendInfo& entry : backends) {
    if (stored == QLatin1String(entry.rawValue)) {
      return entry.backend;
    }
  }
  for (const char* older : olderAPINames) {
    if (stored == QLatin1String(older)) {
      return Backend::api;
    }
  }
  return std::nullopt;
}
void Settings::setDefaultBackend(Backend value) { write(defaultBackendKey, QLatin1String(rawValue(value))); }

AIProvider Settings::preferredProvider() const {
  return aiProviderFromRawValue(text(preferredProviderKey).toStdString()).value_or(AIProvider::gemini);
}
void Settings::setPreferredProvider(AIProvider value) {
  write(preferredProviderKey, QString::fromUtf8(rawValue(value)));
}

bool Settings::useLocalModel(bool localRuntimeInstalled) const {
  return boolean(useLocalModelKey).value_or(localRuntimeInstalled);
}
void Settings::setUseLocalModel(bool value) { write(useLocalModelKey, value); }

QString Settings::localModel() const { return text(localModelKey); }
void Settings::setLocalModel(const QString& value) { write(localModelKey, value); }

bool Settings::shareFixes() const { return boolean(shareFixesKey).value_or(false); }
void Settings::setShareFixes(bool value) { write(shareFixesKey, value); }

QString Settings::androidDevice() const { return text(androidDeviceKey); }
void Settings::setAndroidDevice(const QString& value) { write(androidDeviceKey, value); }

QString Settings::iosDevice() const { return text(iosDeviceKey); }
void Settings::setIosDevice(const QString& value) { write(iosDeviceKey, value); }

bool Settings::autoUpdate() const { return boolean(autoUpdateKey).value_or(true); }
void Settings::setAutoUpdate(bool value) { write(autoUpdateKey, value); }

}  // namespace tovrane::app
