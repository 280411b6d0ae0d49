#pragma once
// The settings page: where converted projects go, the default repair
// back-end, the three cloud API keys, sharing solved places, automatic
// updates, whether the tools the app relies on are installed, the guide
// again, a manual update check and clearing the history.
//
// Invariants: showing the page writes nothing. A setting is written when
// the user changes its control, and only that setting; a key only by its
// "Speichern" or "Entfernen". A control shows what the app will do with
// the stored value (an unknown value as its default). The tool rows never
// wait: they show what the tool lookup knows and follow its answers.
#include "app/platform/StudioLocator.hpp"
#include "core/support/Host.hpp"

#include <QString>
#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;

namespace tovrane::app {

class Dialogs;
class Engine;
class LineLimitedLabel;
class ProjectStore;
class Settings;
class ToolLookup;
class Updater;

// Whether a tool is there, with a line about it; found is absent while
// nobody knows yet.
struct ToolStatus {
  QString title;
  std::optional<bool> found;
  QString detail;
  bool operator==(const ToolStatus&) const = default;
};

// One status row: a check mark or a cross, the title, the detail on one line.
class StatusRow : public QWidget {
 public:
  StatusRow(const ToolStatus& status, QWidget* parent = nullptr);

  const ToolStatus& status() const { return status_; }
  void setStatus(const ToolStatus& status);

 private:
  ToolStatus status_;
  QLabel* mark_;
  LineLimitedLabel* detail_;
};

class SettingsPage : public QWidget {
  Q_OBJECT

 public:
  SettingsPage(ProjectStore& store, Settings& settings, Dialogs& dialogs, Updater& updater, ToolLookup& tools,
               Engine& engine, std::function<void()> showGuide, const tovrane::Host& host = tovrane::Host::system(),
               StudioSearch studio = StudioSearch::fromEnvironment(), QWidget* parent = nullptr);

  // The rows of the card "Werkzeuge": Android Studio, the Android SDK, its
  // emulator and Xcode, as this system finds them.
  static std::vector<ToolStatus> workshop(const tovrane::Host& host, const StudioSearch& studio);
  // The sharing explanation, naming the fixes service's host; for a build
  // without the service (an empty address), the line that says so.
  static QString sharingText(const QString& fixesServiceURL);

 private:
  QWidget* conversionCard();
  QWidget* repairCard(const QString& fixesServiceURL);
  QWidget* keyRow(const QString& name, const QString& placeholder, const char* service);
  QWidget* toolsCard(const tovrane::Host& host, const StudioSearch& studio);
  QWidget* generalCard();
  void showTools();
  void setOutputMode(int mode);
  void chooseOutputFolder();
  void clearHistory();

  ProjectStore& store_;
  Settings& settings_;
  Dialogs& dialogs_;
  Updater& updater_;
  ToolLookup& tools_;
  std::function<void()> showGuide_;
  QButtonGroup* outputMode_ = nullptr;
  QWidget* folderRow_ = nullptr;
  LineLimitedLabel* folder_ = nullptr;
  QComboBox* backend_ = nullptr;
  StatusRow* codex_ = nullptr;
  StatusRow* claudeCode_ = nullptr;
};

}  // namespace tovrane::app
