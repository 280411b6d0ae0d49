#pragma once
// Typed access to the persisted settings: one getter and one setter per key,
// and the only code that touches QSettings. Nothing is cached here, so a
// value written anywhere takes effect at once.
//
// On Linux the store is an INI file without types: a boolean key counts as a
// boolean only when it holds a boolean or the text "true" or "false"; any
// other value is "not a boolean" and is read as if the key were absent. A
// setter writes its own key only, and only when it is called.
#include "app/state/EngineTypes.hpp"

#include <QSettings>
#include <QString>

#include <optional>

namespace tovrane::app {

// Where a conversion writes its Android project.
enum class OutputMode { nextTo, custom };

// The three repair back-ends, stored under "defaultBackend".
enum class Backend { codex, claudeCode, api };

struct BackendInfo {
  Backend backend;
  const char* rawValue;  // the stored name
  const char* label;     // what the repair card shows and the history records
};
// All back-ends in the order the repair card lists them.
inline constexpr BackendInfo backends[] = {
    {Backend::codex, "codex", "OpenAI-Abo (Codex)"},
    {Backend::claudeCode, "claudeCode", "Claude-Abo (Claude Code)"},
    {Backend::api, "api", "Modell-Leiter (Lokal · Gemini · Claude · OpenAI)"},
};
const char* rawValue(Backend backend);
const char* label(Backend backend);

class Settings {
 public:
  // The user's store "TovraneAndroid".
  Settings();

  bool guideSeen() const;
  void setGuideSeen(bool value);

  // Every stored value other than "custom" counts as nextTo.
  OutputMode outputMode() const;
  void setOutputMode(OutputMode value);

  QString outputFolder() const;
  void setOutputFolder(const QString& value);

  bool openStudioAfter() const;
  void setOpenStudioAfter(bool value);

  // The stored back-end with the older values "apiKey", "openAIAPI" and
  // "claudeAPI" read as api; nullopt when absent or unknown, and each reader
  // applies its own default (the settings page codex, the repair model the
  // tools it finds).
  std::optional<Backend> defaultBackend() const;
  void setDefaultBackend(Backend value);

  // gemini when absent or naming no provider.
  AIProvider preferredProvider() const;
  void setPreferredProvider(AIProvider value);

  // When absent or not a boolean: whether the local model runtime is installed.
  bool useLocalModel(bool localRuntimeInstalled) const;
  void setUseLocalModel(bool value);

  QString localModel() const;
  void setLocalModel(const QString& value);

  bool shareFixes() const;
  void setShareFixes(bool value);

  QString androidDevice() const;
  void setAndroidDevice(const QString& value);

  QString iosDevice() const;
  void setIosDevice(const QString& value);

  // true when absent or not a boolean.
  bool autoUpdate() const;
  void setAutoUpdate(bool value);

 private:
  std::optional<bool> boolean(const char* key) const;
  QString text(const char* key) const;
  void write(const char* key, const QVariant& value);

  mutable QSettings store_;
};

}  // namespace tovrane::app
