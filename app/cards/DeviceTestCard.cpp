#include "app/cards/DeviceTestCard.hpp"

#include "app/state/Brand.hpp"
#include "app/state/DeviceTestModel.hpp"
#include "app/state/ToolLookup.hpp"
#include "app/window/Controls.hpp"
#include "app/window/Labels.hpp"
#include "app/window/LineLimitedLabel.hpp"
#include "app/window/Look.hpp"
#include "app/window/PageComponents.hpp"
#include "app/window/Pickers.hpp"
#include "app/window/Spinner.hpp"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

#include <functional>
#include <optional>
#include <vector>

namespace tovrane::app {

namespace fs = std::filesystem;

namespace {
constexpr int spinnerSize = 12;
constexpr int failedLines = 8;

// Anything, file or folder, at the path.
bool itemExists(const fs::path& path) {
  std::error_code error;
  return !path.empty() && fs::exists(path, error);
}

const char* const androidEmptyText =
    "Kein Emulator gefunden. In Android Studio unter Device Manager ein Pixel-Gerät anlegen.";
const char* const iosEmptyText = "Kein iOS-Simulator gefunden – Xcode installieren.";
const char* const originalGoneText = "Das Original-Projekt existiert nicht mehr.";
const char* const noIosToolsText =
    "Der iPhone-Simulator braucht einen Mac mit Xcode. Hier startet nur die Android-App.";
}  // namespace

// One side of the card: its heading, the device line (an activity
// indicator while the lists load, the empty text, or the picker with
// "Starten") and the state line of its run.
class DeviceColumn : public QWidget {
 public:
  // What the column shows at one redraw.
  struct Content {
    const std::vector<TestDevice>& devices;
    QString selection;
    DeviceRunState state;
    bool loaded = false;
    QString empty;
    // Stands in place of the device line when set.
    std::optional<QString> note;
  };

  DeviceColumn(const QString& title, const QString& symbol, const QColor& tint, const QString& name,
               std::function<void(const QString&)> select, std::function<void()> action, QWidget* parent)
      : QWidget(parent), tint_(tint), select_(std::move(select)) {
    setObjectName(name + QStringLiteral("Column"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(14, 14, 14, 14);
    column->setSpacing(10);

    QLabel* heading = plainLabel(title, app::font(TextStyle::headline), tint, this);
    column->addWidget(symbolRow(symbolLabel(symbol, TextStyle::headline, tint, this), heading, this));

    loading_ = new Spinner(spinnerSize, this);
    loading_->setObjectName(name + QStringLiteral("Loading"));
    column->addWidget(loading_);
    empty_ = plainLabel(QString(), app::font(TextStyle::callout), secondaryText(), this);
    empty_->setObjectName(name + QStringLiteral("Empty"));
    empty_->setWordWrap(true);
    column->addWidget(empty_);
    picker_ = new QComboBox(this);
    picker_->setObjectName(name + QStringLiteral("Picker"));
    picker_->setAccessibleName(QStringLiteral("Gerät (%1)").arg(title));
    picker_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    picker_->setMinimumContentsLength(12);
    connect(picker_, &QComboBox::activated, this,
            [this](int index) { select_(picker_->itemData(index).toString()); });
    column->addWidget(picker_, 0, Qt::AlignLeft);
    start_ = borderedButton(QStringLiteral("Starten"), name + QStringLiteral("Start"), this);
    start_->setIcon(icon(QStringLiteral("play.fill"), Brand::ink()));
    start_->setAccessibleName(QStringLiteral("Starten (%1)").arg(title));
    connect(start_, &QPushButton::clicked, this, std::move(action));
    column->addWidget(start_, 0, Qt::AlignLeft);

    running_ = new LineLimitedLabel(name + QStringLiteral("Running"), QString(), app::font(TextStyle::callout),
                                    Brand::ink(), 1, this);
    runningRow_ = symbolRow(new Spinner(spinnerSize, this), running_, this);
    column->addWidget(runningRow_);
    ok_ = plainLabel(QString(), app::font(TextStyle::callout), Brand::droidDeep(), this);
    ok_->setObjectName(name + QStringLiteral("Ok"));
    ok_->setWordWrap(true);
    QLabel* okSymbol =
        symbolLabel(QStringLiteral("checkmark.circle.fill"), TextStyle::callout, Brand::droidDeep(), this);
    okRow_ = symbolRow(okSymbol, ok_, this);
    column->addWidget(okRow_);
    failed_ = new LineLimitedLabel(name + QStringLiteral("Failed"), QString(), app::font(TextStyle::callout),
                                   Brand::swift(), failedLines, this);
    failed_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    failedRow_ = symbolRow(
        symbolLabel(QStringLiteral("exclamationmark.triangle.fill"), TextStyle::callout, Brand::swift(), this), failed_,
        this);
    column->addWidget(failedRow_);
    column->addStretch();
  }

  void show(const Content& content) {
    const bool noted = content.note.has_value();
    const bool listing = !noted && content.loaded && !content.devices.empty();
    loading_->setVisible(!noted && !content.loaded);
    empty_->setVisible(noted || (content.loaded && content.devices.empty()));
    empty_->setText(noted ? *content.note : content.empty);
    picker_->setVisible(listing);
    start_->setVisible(listing);
    if (listing) {
      QStringList texts;
      QStringList ids;
      for (const TestDevice& device : content.devices) {
        texts.append(QString::fromStdString(device.name) + QStringLiteral(" · ") +
                     QString::fromStdString(device.detail));
        ids.append(QString::fromStdString(device.id));
      }
      setPickerEntries(picker_, texts, ids, content.selection);
    }
    const auto* running = std::get_if<device_run::Running>(&content.state);
    const auto* ok = std::get_if<device_run::Ok>(&content.state);
    const auto* failed = std::get_if<device_run::Failed>(&content.state);
    start_->setEnabled(running == nullptr);
    runningRow_->setVisible(running != nullptr);
    okRow_->setVisible(ok != nullptr);
    failedRow_->setVisible(failed != nullptr);
    running_->setFullText(running ? running->text : QString());
    ok_->setText(ok ? ok->text : QString());
    failed_->setFullText(failed ? failed->text : QString());
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), 12, 12);
    painter.fillPath(shape, withAlpha(tint_, 0.06));
  }

 private:
  QColor tint_;
  std::function<void(const QString&)> select_;
  Spinner* loading_;
  QLabel* empty_;
  QComboBox* picker_;
  QPushButton* start_;
  QWidget* runningRow_;
  LineLimitedLabel* running_;
  QWidget* okRow_;
  QLabel* ok_;
  QWidget* failedRow_;
  LineLimitedLabel* failed_;
};

DeviceTestCard::DeviceTestCard(DeviceTestModel& model, const ToolLookup& tools, fs::path androidProject,
                               fs::path iosProject, QWidget* parent)
    : QWidget(parent),
      model_(model),
      tools_(tools),
      androidProject_(std::move(androidProject)),
      iosProject_(std::move(iosProject)) {
  setObjectName(QStringLiteral("deviceTestCard"));
  auto* content = new QWidget;
  auto* column = new QVBoxLayout(content);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(12);
  QLabel* intro = plainLabel(QStringLiteral("Startet die Android-App im Emulator und das Swift-Original im "
                                            "iPhone-Simulator – ohne Android Studio oder Xcode zu öffnen."),
                             app::font(TextStyle::callout), secondaryText(), content);
  intro->setWordWrap(true);
  column->addWidget(intro);

  auto* columns = new QHBoxLayout;
  columns->setSpacing(16);
  android_ = new DeviceColumn(
      QStringLiteral("Android"), QStringLiteral("candybarphone"), Brand::droidDeep(), QStringLiteral("android"),
      [this](const QString& id) { model_.setAndroidID(id); }, [this] { model_.startAndroid(androidProject_); },
      content);
  ios_ = new DeviceColumn(
      QStringLiteral("iPhone (Original)"), QStringLiteral("iphone"), Brand::swift(), QStringLiteral("ios"),
      [this](const QString& id) { model_.setIosID(id); }, [this] { model_.startIOS(iosProject_); }, content);
  columns->addWidget(android_, 1);
  columns->addWidget(ios_, 1);
  column->addLayout(columns);

  auto* buttons = new QHBoxLayout;
  buttons->setSpacing(8);
  compare_ = prominentButton(QStringLiteral("Beide starten und vergleichen"), QStringLiteral("compareButton"), content);
  compare_->setIcon(icon(QStringLiteral("rectangle.split.2x1"), Qt::white));
  connect(compare_, &QPushButton::clicked, this, &DeviceTestCard::startBoth);
  QPushButton* reload =
      borderedButton(QStringLiteral("Geräte neu laden"), QStringLiteral("reloadDevicesButton"), content);
  reload->setIcon(icon(QStringLiteral("arrow.clockwise"), Brand::ink()));
  connect(reload, &QPushButton::clicked, this, [this] { model_.load(true); });
  buttons->addWidget(compare_, 0, Qt::AlignVCenter);
  buttons->addStretch();
  buttons->addWidget(reload, 0, Qt::AlignVCenter);
  column->addLayout(buttons);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(new Card(QStringLiteral("Auf Geräten testen"), content));

  for (auto signal : {&DeviceTestModel::androidDevicesChanged, &DeviceTestModel::iosDevicesChanged,
                      &DeviceTestModel::androidIDChanged, &DeviceTestModel::iosIDChanged,
                      &DeviceTestModel::androidChanged, &DeviceTestModel::iosChanged,
                      &DeviceTestModel::loadedChanged}) {
    connect(&model_, signal, this, &DeviceTestCard::refresh);
  }
  connect(&tools_, &ToolLookup::changed, this, &DeviceTestCard::refresh);
  refresh();
}

bool DeviceTestCard::iosAvailable() const { return tools_.iosSimulator() && itemExists(iosProject_); }

void DeviceTestCard::refresh() {
  static const std::vector<TestDevice> none;
  const bool tools = tools_.iosSimulator();
  const bool xcodeFolder = itemExists(iosProject_);
  android_->show({model_.androidDevices(), model_.androidID(), model_.android(), model_.loaded(),
                  QString::fromUtf8(androidEmptyText), std::nullopt});
  ios_->show({xcodeFolder ? model_.iosDevices() : none, model_.iosID(), model_.ios(), model_.loaded(),
              QString::fromUtf8(xcodeFolder ? iosEmptyText : originalGoneText),
              tools ? std::nullopt : std::optional<QString>(QString::fromUtf8(noIosToolsText))});
  const bool running = std::holds_alternative<device_run::Running>(model_.android()) ||
                       std::holds_alternative<device_run::Running>(model_.ios());
  const bool needsIosChoice = tools && xcodeFolder;
  compare_->setEnabled(!running && !model_.androidID().isEmpty() && !(needsIosChoice && model_.iosID().isEmpty()));
}

void DeviceTestCard::startBoth() {
  model_.startAndroid(androidProject_);
  if (iosAvailable()) {
    model_.startIOS(iosProject_);
  }
}

void DeviceTestCard::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // The model lists the devices once; later appearances return at once.
  model_.load(false);
  refresh();
}

}  // namespace tovrane::app
