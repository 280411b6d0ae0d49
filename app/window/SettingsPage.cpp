#include "app/window/SettingsPage.hpp"

#include "app/platform/Dialogs.hpp"
#include "app/platform/PlatformTexts.hpp"
#include "app/state/Brand.hpp"
#include "app/state/Engine.hpp"
#include "app/state/Keychain.hpp"
#include "app/state/ProjectStore.hpp"
#include "app/state/Settings.hpp"
#include "app/state/StoreFile.hpp"
#include "app/state/ToolLookup.hpp"
#include "app/state/Updater.hpp"
#include "app/window/Controls.hpp"
#include "app/window/LineLimitedLabel.hpp"
#include "app/window/Look.hpp"
#include "app/window/PageComponents.hpp"
#include "app/window/PageLayout.hpp"
#include "core/devices/DeviceLauncher.hpp"
#include "core/repair/GradleRunner.hpp"

#include <QAbstractItemView>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QUrl>
#include <QVBoxLayout>

#include <filesystem>

namespace tovrane::app {

namespace {
namespace fs = std::filesystem;

constexpr int backendMaximumWidth = 420;
constexpr int keyFieldMaximumWidth = 300;

// The picker's entries in the order of the back-ends; this page names the
// ladder by what it needs.
struct BackendEntry {
  Backend backend;
  const char* text;
};
constexpr BackendEntry backendEntries[] = {
    {Backend::codex, "OpenAI-Abo (Codex)"},
    {Backend::claudeCode, "Claude-Abo (Claude Code)"},
    {Backend::api, "API-Schlüssel (Modell-Leiter)"},
};

// A key row: the provider, how its keys begin, the key store's service.
struct KeyEntry {
  const char* name;
  const char* provider;
  const char* prefix;
  const char* service;
};
constexpr KeyEntry keyEntries[] = {
    {"geminiKey", "Gemini", "AIza", Keychain::geminiService},
    {"openAIKey", "OpenAI", "sk-", Keychain::openAIService},
    {"anthropicKey", "Claude", "sk-ant-", Keychain::anthropicService},
};

const QString notInstalled = QStringLiteral("nicht installiert – ");

QHBoxLayout* row(QWidget* parent, int spacing = 8) {
  auto* layout = new QHBoxLayout(parent);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(spacing);
  return layout;
}

// Tab stops at the chosen button of a radio group; the arrow keys move within it.
void tabToChosen(const QButtonGroup& group) {
  for (QAbstractButton* button : group.buttons()) {
    button->setFocusPolicy(button->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
  }
}

QCheckBox* toggle(const QString& text, const QString& name, bool on) {
  auto* box = new QCheckBox(text);
  box->setObjectName(name);
  box->setAccessibleName(text);
  box->setChecked(on);
  return box;
}

QLabel* caption(const QString& text) {
  QLabel* label = plainLabel(text, app::font(TextStyle::caption), secondaryText());
  label->setWordWrap(true);
  return label;
}

// The path with "~" for the home folder, as people write it.
QString homeRelative(const fs::path& path, const fs::path& home) {
  const fs::path relative = path.lexically_relative(home);
  if (!home.empty() && !relative.empty() && *relative.begin() != "..") {
    return QString::fromStdString((fs::path("~") / relative).string());
  }
  return QString::fromStdString(path.string());
}

#ifdef Q_OS_MACOS
bool exists(const fs::path& path) {
  std::error_code error;
  return fs::exists(path, error);
}
#endif
}  // namespace

StatusRow::StatusRow(const ToolStatus& status, QWidget* parent) : QWidget(parent) {
  QHBoxLayout* layout = row(this);
  mark_ = new QLabel(this);
  layout->addWidget(mark_);
  QLabel* title = plainLabel(status.title, semiboldFont(TextStyle::callout), Brand::ink(), this);
  title->setObjectName(QStringLiteral("statusTitle"));
  layout->addWidget(title);
  detail_ = new LineLimitedLabel(QStringLiteral("statusDetail"), QString(), app::font(TextStyle::callout),
                                 secondaryText(), 1, this);
  layout->addWidget(detail_, 1);
  setStatus(status);
}

void StatusRow::setStatus(const ToolStatus& status) {
  status_ = status;
  const int size = QFontMetrics(app::font(TextStyle::callout)).height();
  if (!status.found) {
    mark_->setPixmap(iconPixmap(QStringLiteral("circle.dotted.circle"), size, secondaryText(), devicePixelRatioF()));
  } else if (*status.found) {
    mark_->setPixmap(
        iconPixmap(QStringLiteral("checkmark.circle.fill"), size, Brand::droidDeep(), devicePixelRatioF()));
  } else {
    mark_->setPixmap(iconPixmap(QStringLiteral("xmark.circle.fill"), size, Brand::swift(), devicePixelRatioF()));
  }
  detail_->setFullText(status.detail);
}

SettingsPage::SettingsPage(ProjectStore& store, Settings& settings, Dialogs& dialogs, Updater& updater,
                           ToolLookup& tools, Engine& engine, std::function<void()> showGuide,
                           const tovrane::Host& host, StudioSearch studio, QWidget* parent)
    : QWidget(parent),
      store_(store),
      settings_(settings),
      dialogs_(dialogs),
      updater_(updater),
      tools_(tools),
      showGuide_(std::move(showGuide)) {
  setObjectName(QStringLiteral("settingsPage"));
  auto* page = new ScrollingPage(18, this);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(page);
  page->add(new PageHeader(QStringLiteral("Einstellungen"), std::nullopt));
  page->add(conversionCard());
  page->add(repairCard(QString::fromStdString(engine.fixesServiceURL())));
  page->add(toolsCard(host, studio));
  page->add(generalCard());

  // What the lookup knows now, and whatever it finds this time.
  connect(&tools_, &ToolLookup::changed, this, &SettingsPage::showTools);
  tools_.refresh();
}

QWidget* SettingsPage::conversionCard() {
  QWidget* content = columnWidget(12);
  auto* modeRow = new QWidget(content);
  QHBoxLayout* modeLayout = row(modeRow, 12);
  modeLayout->addWidget(plainLabel(QStringLiteral("Android-Projekt speichern"), app::font(TextStyle::body),
                                   Brand::ink(), modeRow),
                        0, Qt::AlignTop);
  QWidget* choices = columnWidget(6);
  outputMode_ = new QButtonGroup(this);
  const auto choice = [&](const QString& text, const QString& name, OutputMode mode) {
    auto* button = new QRadioButton(text, choices);
    button->setObjectName(name);
    button->setAccessibleName(text);
    choices->layout()->addWidget(button);
    outputMode_->addButton(button, static_cast<int>(mode));
  };
  choice(QStringLiteral("Neben dem Xcode-Projekt"), QStringLiteral("outputNextTo"), OutputMode::nextTo);
  choice(QStringLiteral("In einem festen Ordner"), QStringLiteral("outputCustom"), OutputMode::custom);
  // An unknown stored value reads as nextTo, which is where a run then writes.
  outputMode_->button(static_cast<int>(settings_.outputMode()))->setChecked(true);
  tabToChosen(*outputMode_);
  connect(outputMode_, &QButtonGroup::idClicked, this, &SettingsPage::setOutputMode);
  modeLayout->addWidget(choices);
  modeLayout->addStretch();
  content->layout()->addWidget(modeRow);

  folderRow_ = new QWidget(content);
  QHBoxLayout* folderLayout = row(folderRow_);
  const QString chosen = settings_.outputFolder();
  folder_ = new LineLimitedLabel(QStringLiteral("outputFolder"),
                                 chosen.isEmpty() ? QStringLiteral("Kein Ordner gewählt") : chosen,
                                 monospacedFont(TextStyle::callout), secondaryText(), 1, folderRow_);
  // The path as long as there is room, the button right after it.
  folder_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  folderLayout->addWidget(folder_);
  QPushButton* choose = borderedButton(QStringLiteral("Wählen …"), QStringLiteral("chooseOutputFolder"), folderRow_);
  connect(choose, &QPushButton::clicked, this, &SettingsPage::chooseOutputFolder);
  folderLayout->addWidget(choose);
  folderLayout->addStretch();
  folderRow_->setVisible(settings_.outputMode() == OutputMode::custom);
  content->layout()->addWidget(folderRow_);

  QCheckBox* open = toggle(QStringLiteral("Nach der Umwandlung automatisch in Android Studio öffnen"),
                           QStringLiteral("openStudioAfter"), settings_.openStudioAfter());
  connect(open, &QCheckBox::clicked, this, [this](bool on) { settings_.setOpenStudioAfter(on); });
  content->layout()->addWidget(open);
  return new Card(QStringLiteral("Umwandlung"), content);
}

void SettingsPage::setOutputMode(int mode) {
  tabToChosen(*outputMode_);
  const auto chosen = static_cast<OutputMode>(mode);
  // The folder stays stored when the row goes.
  folderRow_->setVisible(chosen == OutputMode::custom);
  if (chosen != settings_.outputMode()) {
    settings_.setOutputMode(chosen);
  }
}

void SettingsPage::chooseOutputFolder() {
  if (const std::optional<QString> folder = dialogs_.pickFolder(this, QStringLiteral("Ordner für Android-Projekte"))) {
    settings_.setOutputFolder(*folder);
    folder_->setFullText(*folder);
  }
}

QWidget* SettingsPage::repairCard(const QString& fixesServiceURL) {
  QWidget* content = columnWidget(12);
  auto* backendRow = new QWidget(content);
  QHBoxLayout* backendLayout = row(backendRow, 12);
  backendLayout->addWidget(
      plainLabel(QStringLiteral("Standard"), app::font(TextStyle::body), Brand::ink(), backendRow));
  backend_ = new QComboBox(backendRow);
  backend_->setObjectName(QStringLiteral("defaultBackend"));
  backend_->setAccessibleName(QStringLiteral("Standard"));
  backend_->setMaximumWidth(backendMaximumWidth);
  // Its pop-up list is a control of its own.
  backend_->view()->setObjectName(QStringLiteral("defaultBackendList"));
  backend_->view()->setAccessibleName(QStringLiteral("Standard"));
  for (const BackendEntry& entry : backendEntries) {
    backend_->addItem(QString::fromUtf8(entry.text), static_cast<int>(entry.backend));
  }
  // Absent or unknown: Codex, as the picker shows it until the user picks.
  backend_->setCurrentIndex(backend_->findData(static_cast<int>(settings_.defaultBackend().value_or(Backend::codex))));
  connect(backend_, &QComboBox::activated, this, [this](int index) {
    const auto chosen = static_cast<Backend>(backend_->itemData(index).toInt());
    if (settings_.defaultBackend() != chosen) {
      settings_.setDefaultBackend(chosen);
    }
  });
  backendLayout->addWidget(backend_, 1);
  backendLayout->addStretch();
  content->layout()->addWidget(backendRow);

  codex_ = new StatusRow({QStringLiteral("Codex"), std::nullopt, {}}, content);
  codex_->setObjectName(QStringLiteral("codexStatus"));
  content->layout()->addWidget(codex_);
  claudeCode_ = new StatusRow({QStringLiteral("Claude Code"), std::nullopt, {}}, content);
  claudeCode_->setObjectName(QStringLiteral("claudeCodeStatus"));
  content->layout()->addWidget(claudeCode_);
  showTools();

  for (const KeyEntry& entry : keyEntries) {
    const QString placeholder = QStringLiteral("%1 API-Schlüssel (%2…)")
                                    .arg(QString::fromUtf8(entry.provider), QString::fromUtf8(entry.prefix));
    content->layout()->addWidget(keyRow(QString::fromUtf8(entry.name), placeholder, entry.service));
  }

  // Without the service's address nothing could be shared: the toggle shows
  // that, whatever the stored setting says, and cannot be switched on.
  const bool service = !fixesServiceURL.isEmpty();
  QCheckBox* share = toggle(QStringLiteral("Gelöste Stellen anonym teilen"), QStringLiteral("shareFixes"),
                            service && settings_.shareFixes());
  share->setEnabled(service);
  connect(share, &QCheckBox::clicked, this, [this](bool on) { settings_.setShareFixes(on); });
  content->layout()->addWidget(share);
  QLabel* explanation = caption(sharingText(fixesServiceURL));
  explanation->setObjectName(QStringLiteral("sharingText"));
  content->layout()->addWidget(explanation);
  content->layout()->addWidget(caption(platformText(
      QStringLiteral("Schlüssel liegen nur auf diesem Mac (geschützte Datei). Mit mehreren Schlüsseln springt die "
                     "KI-Reparatur bei Bedarf auf einen anderen Anbieter um."))));
  return new Card(QStringLiteral("KI-Reparatur"), content);
}

QWidget* SettingsPage::keyRow(const QString& name, const QString& placeholder, const char* service) {
  auto* line = new QWidget;
  QHBoxLayout* layout = row(line);
  auto* field = new QLineEdit(line);
  field->setObjectName(name);
  field->setAccessibleName(placeholder);
  field->setPlaceholderText(placeholder);
  field->setEchoMode(QLineEdit::Password);
  field->setMaximumWidth(keyFieldMaximumWidth);
  field->setText(Keychain::load(QString::fromUtf8(service)).value_or(QString()));
  layout->addWidget(field, 1);
  QPushButton* save = borderedButton(QStringLiteral("Speichern"), name + QStringLiteral("Save"), line);
  save->setAccessibleName(QStringLiteral("Speichern: ") + placeholder);
  layout->addWidget(save);
  QPushButton* remove = destructiveButton(QStringLiteral("Entfernen"), name + QStringLiteral("Remove"), line);
  remove->setAccessibleName(QStringLiteral("Entfernen: ") + placeholder);
  remove->setVisible(!field->text().isEmpty());
  layout->addWidget(remove);
  layout->addStretch();
  const QString serviceName = QString::fromUtf8(service);
  // Trimmed by the key store; an empty text removes the stored key. A key
  // that cannot be saved stays in the field for another try.
  const auto store = [this, serviceName](const QString& key) {
    try {
      Keychain::save(key, serviceName);
    } catch (const StoreError& error) {
      dialogs_.warn(this, QStringLiteral("Schlüssel nicht gespeichert"),
                    QString::fromStdString(error.what()) +
                        QStringLiteral(" Der Schlüssel bleibt im Feld, bis er gespeichert werden kann."));
    }
  };
  connect(save, &QPushButton::clicked, this, [field, store] { store(field->text()); });
  connect(remove, &QPushButton::clicked, this, [field, store] {
    field->clear();
    store(QString());
  });
  connect(field, &QLineEdit::textChanged, remove,
          [remove](const QString& text) { remove->setVisible(!text.isEmpty()); });
  return line;
}

QString SettingsPage::sharingText(const QString& fixesServiceURL) {
  if (fixesServiceURL.isEmpty()) {
    return QStringLiteral("Dieser Build hat keinen Fix-Dienst: Es werden keine gelösten Stellen geteilt.");
  }
  const QString host = QUrl(fixesServiceURL).host();
  const QString service = host.isEmpty() ? QStringLiteral("an den Fix-Dienst von Tovrane")
                                         : QStringLiteral("an den Fix-Dienst von Tovrane (%1)").arg(host);
  return QStringLiteral("Gelöste Stellen gehen als kurze Kotlin-Ausschnitte (vorher und nachher) ") + service +
         QStringLiteral(". Die KI-Reparatur aller Nutzer lernt daraus, bekommt bekannte Lösungen als Beispiele und "
                        "arbeitet so schneller und günstiger. Es werden kein Swift-Code und keine Dateinamen "
                        "gesendet.");
}

void SettingsPage::showTools() {
  const auto status = [this](const char* title, const std::optional<QString>& path, const QString& hint) {
    if (!tools_.known()) {
      return ToolStatus{QString::fromUtf8(title), std::nullopt, QStringLiteral("wird gesucht …")};
    }
    return ToolStatus{QString::fromUtf8(title), path.has_value(), path ? *path : notInstalled + hint};
  };
  codex_->setStatus(status("Codex", tools_.codex(), QStringLiteral("npm install -g @openai/codex")));
  claudeCode_->setStatus(status("Claude Code", tools_.claudeCode(), QStringLiteral("docs.anthropic.com/claude-code")));
}

std::vector<ToolStatus> SettingsPage::workshop(const tovrane::Host& host, const StudioSearch& studio) {
  const QString emulatorHint = QStringLiteral("Geräte im Device Manager von Android Studio anlegen");
#ifdef Q_OS_MACOS
  Q_UNUSED(studio);
  const fs::path sdk = host.home() / "Library/Android/sdk";
  const bool studioFound = exists(host.path("/Applications/Android Studio.app"));
  const bool xcode = exists(host.path("/Applications/Xcode.app"));
  return {
      {QStringLiteral("Android Studio"), studioFound,
       studioFound ? QStringLiteral("gefunden – Kompilierprüfung möglich")
                   : QStringLiteral("nicht gefunden – developer.android.com/studio")},
      {QStringLiteral("Android SDK"), exists(sdk / "platforms"), QStringLiteral("~/Library/Android/sdk")},
      {QStringLiteral("Android-Emulator"), exists(sdk / "emulator/emulator"), emulatorHint},
      {QStringLiteral("Xcode"), xcode, QStringLiteral("für den iPhone-Simulator")},
  };
#else
  const bool studioFound = locateStudio(studio).has_value();
  // The SDK as the builds and the device runs find it; when there is none,
  // the folder where it would be looked for.
  std::optional<fs::path> sdk = AndroidTools::sdk(host);
  fs::path shown = host.home() / "Android/Sdk";
  if (const std::optional<std::string> variable = host.variable("ANDROID_HOME");
      variable && fs::path(*variable).is_absolute()) {
    shown = *variable;
  }
  return {
      {QStringLiteral("Android Studio"), studioFound,
       studioFound ? QStringLiteral("gefunden – Kompilierprüfung möglich")
                   : QStringLiteral("nicht gefunden – developer.android.com/studio")},
      {QStringLiteral("Android SDK"), sdk.has_value(), homeRelative(sdk.value_or(shown), host.home())},
      {QStringLiteral("Android-Emulator"), DeviceLauncher::emulator(host).has_value(), emulatorHint},
      {QStringLiteral("Xcode"), false, QStringLiteral("nur unter macOS – für den iPhone-Simulator")},
  };
#endif
}

QWidget* SettingsPage::toolsCard(const tovrane::Host& host, const StudioSearch& studio) {
  QWidget* content = columnWidget(10);
  for (const ToolStatus& status : workshop(host, studio)) {
    auto* line = new StatusRow(status, content);
    line->setObjectName(QStringLiteral("toolStatus"));
    content->layout()->addWidget(line);
  }
  return new Card(QStringLiteral("Werkzeuge"), content);
}

QWidget* SettingsPage::generalCard() {
  QWidget* content = columnWidget(12);
  auto* buttons = new QWidget(content);
  QHBoxLayout* buttonRow = row(buttons);
  QPushButton* guide = borderedButton(QStringLiteral("Anleitung erneut zeigen"), QStringLiteral("showGuide"), buttons);
  connect(guide, &QPushButton::clicked, this, [this] { showGuide_(); });
  buttonRow->addWidget(guide);
  QPushButton* check =
      borderedButton(QStringLiteral("Nach Updates suchen"), QStringLiteral("checkForUpdates"), buttons);
  // The outcome shows in the sidebar's update banner.
  connect(check, &QPushButton::clicked, this, [this] { updater_.check(false); });
  buttonRow->addWidget(check);
  buttonRow->addStretch();
  content->layout()->addWidget(buttons);

  QCheckBox* automatic =
      toggle(QStringLiteral("Updates automatisch installieren"), QStringLiteral("autoUpdate"), settings_.autoUpdate());
  connect(automatic, &QCheckBox::clicked, this, [this](bool on) { settings_.setAutoUpdate(on); });
  content->layout()->addWidget(automatic);

  auto* clearLine = new QWidget(content);
  QHBoxLayout* clearRow = row(clearLine);
  QPushButton* clear =
      destructiveButton(QStringLiteral("Verlauf löschen …"), QStringLiteral("clearHistory"), clearLine);
  connect(clear, &QPushButton::clicked, this, &SettingsPage::clearHistory);
  clearRow->addWidget(clear);
  clearRow->addStretch();
  content->layout()->addWidget(clearLine);

  QLabel* footer = caption(QStringLiteral("TovraneAndroid ") + Updater::currentVersion() +
                           QStringLiteral(" · Aus Swift wird Kotlin, aus SwiftUI wird Compose."));
  footer->setObjectName(QStringLiteral("footer"));
  content->layout()->addWidget(footer);
  return new Card(QStringLiteral("Allgemein"), content);
}

void SettingsPage::clearHistory() {
  if (!dialogs_.confirm(this, QStringLiteral("Gesamten Verlauf löschen?"),
                        QStringLiteral("Die erzeugten Android-Projekte bleiben erhalten."),
                        QStringLiteral("Löschen"))) {
    return;
  }
  // Only the list: the Android folders, the keys and the settings stay.
  store_.setProjects({});
  store_.save();
}

}  // namespace tovrane::app
