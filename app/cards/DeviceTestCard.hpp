#pragma once
// The panel of a project's detail page that starts the converted Android
// app in an emulator and the Swift original in the iPhone simulator, each
// on a device chosen from the model's lists, or both at once to compare
// them side by side: two equal columns (Android, iPhone) and below them the
// compare button and the reload button.
//
// Invariants: the card keeps nothing of its own. Every change of the model
// redraws it, the pickers write the model's choices, and whether the Xcode
// folder exists is asked anew at every redraw and again when both sides are
// started. Each time the card comes on screen it asks the model for its
// lists, which the model loads only once unless forced. Without the iOS
// tools (always on Linux) the iPhone column says so in place of its device
// line, and the compare button starts the Android side alone.
#include <QWidget>

#include <filesystem>

class QPushButton;

namespace tovrane::app {

class DeviceColumn;
class DeviceTestModel;
class ToolLookup;

class DeviceTestCard : public QWidget {
  Q_OBJECT

 public:
  // Whether the iPhone simulator can run here is the tool lookup's answer.
  DeviceTestCard(DeviceTestModel& model, const ToolLookup& tools, std::filesystem::path androidProject,
                 std::filesystem::path iosProject, QWidget* parent = nullptr);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // The iPhone side can run here: the simulator can and something is at the Xcode folder's path.
  bool iosAvailable() const;
  void refresh();
  void startBoth();

  DeviceTestModel& model_;
  const ToolLookup& tools_;
  const std::filesystem::path androidProject_;
  const std::filesystem::path iosProject_;
  DeviceColumn* android_;
  DeviceColumn* ios_;
  QPushButton* compare_;
};

}  // namespace tovrane::app
