#include "app/cards/AIRepairViews.hpp"

#include "app/cards/ProgressBar.hpp"
#include "app/platform/Launcher.hpp"
#include "app/platform/PlatformTexts.hpp"
#include "app/state/Brand.hpp"
#include "app/state/Engine.hpp"
#include "app/window/Controls.hpp"
#include "app/window/Formats.hpp"
#include "app/window/Labels.hpp"
#include "app/window/Look.hpp"
#include "app/window/PageLayout.hpp"
#include "app/window/Pickers.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <QUrl>
#include <QVBoxLayout>

#include <string_view>

namespace tovrane::app {

namespace {
constexpr int pickerWidth = 460;
constexpr int localPickerWidth = 320;

const char* const codexFoundText =
    "Nutzt deine Codex-Anmeldung auf diesem Mac. Codex arbeitet direkt im erzeugten Android-Projekt.";
const char* const codexMissingText =
    "Codex ist auf diesem Mac nicht installiert oder noch nicht angemeldet. Im Terminal "
    "`npm install -g @openai/codex` ausführen und danach `codex` starten, um dich anzumelden.";
const char* const claudeFoundText =
    "Nutzt dein Claude-Abo über Claude Code – sparsam: ein gezielter Auftrag pro Datei mit Opus 5.5.";
const char* const claudeMissingHeading = "Claude Code ist auf diesem Mac nicht installiert.";
const char* const claudeMissingText =
    "Im Terminal `curl -fsSL https://claude.ai/install.sh | bash` ausführen, danach einmal `claude` starten und "
    "mit deinem Claude-Konto anmelden.";
const char* const claudeSetupPage = "https://docs.claude.com/de/docs/claude-code/setup";
const char* const ladderExplanation =
    "Einfache Stellen löst ein schnelles, günstiges Modell. Was es nicht schafft oder was danach nicht kompiliert, "
    "geht automatisch an das stärkere Modell – und zuletzt an einen anderen Anbieter. Schlüssel liegen nur auf "
    "diesem Mac, unverschlüsselt in einer Datei, die nur dein Benutzerkonto lesen kann.";
const char* const localExplanation =
    "Einfache Stellen löst das Modell direkt auf deinem Mac. Was es nicht schafft, geht an die nächste Stufe.";

QString text(const char* fixed) { return platformText(QString::fromUtf8(fixed)); }

QLabel* wrapped(const QString& content, const QFont& font, const QColor& colour, QWidget* parent) {
  QLabel* label = plainLabel(content, font, colour, parent);
  label->setWordWrap(true);
  return label;
}

// A column without margins, spacing apart, and its layout.
QWidget* column(int spacing, QWidget* parent, QVBoxLayout** layout) {
  QWidget* widget = columnWidget(spacing, parent);
  *layout = static_cast<QVBoxLayout*>(widget->layout());
  return widget;
}

QLineEdit* keyField(const QString& name, const QString& label, const char* prefix, QWidget* parent) {
  auto* field = new QLineEdit(parent);
  field->setObjectName(name);
  field->setAccessibleName(label);
  field->setPlaceholderText(label + QStringLiteral(" (") + QString::fromUtf8(prefix) + QStringLiteral("…)"));
  field->setEchoMode(QLineEdit::Password);
  return field;
}

void setKey(QLineEdit* field, const QString& key) {
  // Only a real change, so the cursor stays where the user types.
  if (field->text() != key) {
    field->setText(key);
  }
}

QString segmentStyle() {
  return QStringLiteral("QPushButton { color: %1; background: %2; border: 1px solid %3; border-radius: 6px;"
                        " padding: 3px 10px; }"
                        "QPushButton:checked { background: white; border-color: %4; }"
                        "QPushButton:focus { border-color: %5; }")
      .arg(Brand::ink().name(), withAlpha(Brand::ink(), 0.06).name(QColor::HexArgb),
           withAlpha(Brand::ink(), 0.1).name(QColor::HexArgb), withAlpha(Brand::ink(), 0.3).name(QColor::HexArgb),
           Brand::droidDeep().name());
}

// The local-model section: whenever it comes into view, the model lists the installed local models.
class LocalModelSection : public QWidget {
 public:
  LocalModelSection(AIRepairModel& model, QWidget* parent) : QWidget(parent), model_(model) {}

 protected:
  void showEvent(QShowEvent* event) override {
    QWidget::showEvent(event);
    model_.loadLocalModels();
  }

 private:
  AIRepairModel& model_;
};
}  // namespace

AIRepairSetupView::AIRepairSetupView(AIRepairModel& model, const AIRepairCard::Services& services,
                                     std::function<void()> start, QWidget* parent)
    : AIRepairView(parent), model_(model), services_(services) {
  setObjectName(QStringLiteral("repairSetup"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(12);

  auto* pickerRow = new QHBoxLayout;
  pickerRow->setSpacing(8);
  QLabel* pickerLabel = plainLabel(QStringLiteral("Womit?"), app::font(TextStyle::body), Brand::ink(), this);
  backend_ = new QComboBox(this);
  backend_->setObjectName(QStringLiteral("backendPicker"));
  backend_->setAccessibleName(QStringLiteral("Womit?"));
  pickerLabel->setBuddy(backend_);
  for (const BackendInfo& info : backends) {
    backend_->addItem(QString::fromUtf8(info.label), static_cast<int>(info.backend));
  }
  connect(backend_, &QComboBox::activated, this,
          [this](int index) { model_.setBackend(static_cast<Backend>(backend_->itemData(index).toInt())); });
  pickerRow->addWidget(pickerLabel);
  pickerRow->addWidget(backend_, 1);
  setFocusProxy(backend_);
  auto* picker = new QWidget(this);
  picker->setLayout(pickerRow);
  pickerRow->setContentsMargins(0, 0, 0, 0);
  picker->setMaximumWidth(pickerWidth);
  layout->addWidget(picker);

  codexFound_ = wrapped(text(codexFoundText), app::font(TextStyle::callout), secondaryText(), this);
  codexFound_->setObjectName(QStringLiteral("codexFound"));
  layout->addWidget(codexFound_);
  codexMissing_ = toolPart(QStringLiteral("codexMissing"), text(codexMissingText), QString(), false);
  layout->addWidget(codexMissing_);
  claudeFound_ = wrapped(text(claudeFoundText), app::font(TextStyle::callout), secondaryText(), this);
  claudeFound_->setObjectName(QStringLiteral("claudeFound"));
  layout->addWidget(claudeFound_);
  claudeMissing_ = toolPart(QStringLiteral("claudeMissing"), text(claudeMissingText), text(claudeMissingHeading), true);
  layout->addWidget(claudeMissing_);
  api_ = apiPart();
  layout->addWidget(api_);

  start_ = prominentButton(QStringLiteral("Mit KI reparieren"), QStringLiteral("startRepairButton"), Brand::swift(),
                           this);
  start_->setIcon(icon(QStringLiteral("sparkles"), Qt::white));
  connect(start_, &QPushButton::clicked, this, std::move(start));
  layout->addWidget(start_, 0, Qt::AlignLeft);
}

QWidget* AIRepairSetupView::toolPart(const QString& name, const QString& markdown, const QString& heading,
                                     bool guide) {
  QVBoxLayout* layout = nullptr;
  QWidget* part = column(6, this, &layout);
  part->setObjectName(name);
  if (!heading.isEmpty()) {
    layout->addWidget(plainLabel(heading, semiboldFont(TextStyle::callout), Brand::ink(), part));
  }
  // A fixed text: its commands show as inline code.
  auto* hint = new QLabel(part);
  hint->setObjectName(name + QStringLiteral("Hint"));
  hint->setTextFormat(Qt::MarkdownText);
  hint->setText(markdown);
  hint->setFont(app::font(TextStyle::callout));
  setTextColour(hint, secondaryText());
  hint->setWordWrap(true);
  hint->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(hint);
  if (guide) {
    auto* link = new QPushButton(QStringLiteral("Anleitung öffnen"), part);
    link->setObjectName(QStringLiteral("claudeGuideLink"));
    link->setAccessibleName(link->text());
    link->setFlat(true);
    link->setCursor(Qt::PointingHandCursor);
    link->setStyleSheet(QStringLiteral("QPushButton { color: %1; border: none; padding: 0; text-align: left; }"
                                       "QPushButton:focus { text-decoration: underline; }")
                            .arg(Brand::droidDeep().name()));
    connect(link, &QPushButton::clicked, this,
            [this] { services_.launcher.openUrl(QUrl(QString::fromUtf8(claudeSetupPage))); });
    layout->addWidget(link, 0, Qt::AlignLeft);
  }
  return part;
}

QWidget* AIRepairSetupView::apiPart() {
  QVBoxLayout* layout = nullptr;
  QWidget* part = column(12, this, &layout);
  part->setObjectName(QStringLiteral("apiSettings"));
  layout->addWidget(localModelSection());

  QVBoxLayout* keysLayout = nullptr;
  QWidget* keys = column(8, part, &keysLayout);
  keys->setMaximumWidth(pickerWidth);
  geminiKey_ = keyField(QStringLiteral("geminiKeyField"), QStringLiteral("Gemini-Schlüssel"), "AIza", keys);
  anthropicKey_ = keyField(QStringLiteral("anthropicKeyField"), QStringLiteral("Claude-Schlüssel"), "sk-ant-", keys);
  openAIKey_ = keyField(QStringLiteral("openAIKeyField"), QStringLiteral("OpenAI-Schlüssel"), "sk-", keys);
  connect(geminiKey_, &QLineEdit::textEdited, this, [this](const QString& key) { model_.setGeminiKey(key); });
  connect(anthropicKey_, &QLineEdit::textEdited, this, [this](const QString& key) { model_.setAnthropicKey(key); });
  connect(openAIKey_, &QLineEdit::textEdited, this, [this](const QString& key) { model_.setOpenAIKey(key); });
  for (QLineEdit* field : {geminiKey_, anthropicKey_, openAIKey_}) {
    keysLayout->addWidget(field);
  }

  auto* segments = new QHBoxLayout;
  segments->setSpacing(2);
  QLabel* segmentsLabel = plainLabel(QStringLiteral("Zuerst fragen"), app::font(TextStyle::body), Brand::ink(), part);
  segments->addWidget(segmentsLabel);
  segments->addSpacing(6);
  for (AIProvider provider : allAIProviders) {
    const std::string_view shown = displayName(provider);
    const QString name = QString::fromUtf8(shown.data(), static_cast<qsizetype>(shown.size()));
    auto* segment = new QPushButton(name, part);
    const std::string_view raw = rawValue(provider);
    segment->setObjectName(QStringLiteral("preferred_") +
                           QString::fromUtf8(raw.data(), static_cast<qsizetype>(raw.size())));
    segment->setAccessibleName(QStringLiteral("Zuerst fragen: ") + name);
    segment->setCheckable(true);
    segment->setStyleSheet(segmentStyle());
    connect(segment, &QPushButton::clicked, this, [this, provider] {
      model_.setPreferred(provider);
      // Clicking the chosen segment again leaves it chosen.
      sync();
    });
    segments->addWidget(segment);
    providers_.emplace_back(segment, provider);
  }
  segments->addStretch();
  layout->addWidget(keys);
  // Below the key fields' column, not in it: the five segments need more than its width here.
  layout->addLayout(segments);

  ladder_ = plainLabel(QString(), monospacedFont(TextStyle::caption), secondaryText(), part);
  ladder_->setObjectName(QStringLiteral("ladderLine"));
  ladder_->setWordWrap(true);
  ladder_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(ladder_);
  layout->addWidget(wrapped(text(ladderExplanation), app::font(TextStyle::callout), secondaryText(), part));
  return part;
}

QWidget* AIRepairSetupView::localModelSection() {
  auto* section = new LocalModelSection(model_, this);
  section->setObjectName(QStringLiteral("localModelSection"));
  auto* layout = new QVBoxLayout(section);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(8);
  useLocal_ = new QCheckBox(QStringLiteral("Lokales Modell zuerst (kostenlos, offline)"), section);
  useLocal_->setObjectName(QStringLiteral("useLocalModel"));
  useLocal_->setAccessibleName(useLocal_->text());
  useLocal_->setIcon(icon(QStringLiteral("desktopcomputer"), Brand::ink()));
  connect(useLocal_, &QCheckBox::toggled, this, [this](bool on) { model_.setUseLocal(on); });
  layout->addWidget(useLocal_);

  QVBoxLayout* detailLayout = nullptr;
  localDetail_ = column(8, section, &detailLayout);
  auto* row = new QHBoxLayout;
  row->setSpacing(8);
  localPicker_ = new QWidget(localDetail_);
  auto* pickerLayout = new QHBoxLayout(localPicker_);
  pickerLayout->setContentsMargins(0, 0, 0, 0);
  pickerLayout->setSpacing(8);
  QLabel* pickerLabel = plainLabel(QStringLiteral("Modell"), app::font(TextStyle::body), Brand::ink(), localPicker_);
  localModel_ = new QComboBox(localPicker_);
  localModel_->setObjectName(QStringLiteral("localModelPicker"));
  localModel_->setAccessibleName(QStringLiteral("Modell"));
  pickerLabel->setBuddy(localModel_);
  connect(localModel_, &QComboBox::activated, this,
          [this](int index) { model_.setLocalModel(localModel_->itemData(index).toString()); });
  pickerLayout->addWidget(pickerLabel);
  pickerLayout->addWidget(localModel_, 1);
  localPicker_->setMaximumWidth(localPickerWidth);
  row->addWidget(localPicker_, 1);
  localState_ = plainLabel(QString(), app::font(TextStyle::callout), secondaryText(), localDetail_);
  localState_->setObjectName(QStringLiteral("localState"));
  row->addWidget(localState_);
  pullMenu_ = borderedButton(QStringLiteral("Modell laden …"), QStringLiteral("pullMenuButton"), localDetail_);
  auto* menu = new QMenu(pullMenu_);
  for (const RecommendedLocalModel& recommended : services_.engine.recommendedLocalModels()) {
    const QString name = QString::fromUtf8(recommended.name.data(), recommended.name.size());
    menu->addAction(name + QStringLiteral(" – ") + QString::fromUtf8(recommended.note.data(), recommended.note.size()),
                    this,
                    [this, name] { model_.pull(name); });
  }
  pullMenu_->setMenu(menu);
  row->addWidget(pullMenu_);
  row->addStretch();
  detailLayout->addLayout(row);

  QVBoxLayout* pullLayout = nullptr;
  pullRow_ = column(4, localDetail_, &pullLayout);
  pullText_ = plainLabel(QString(), app::font(TextStyle::caption), Brand::ink(), pullRow_);
  pullText_->setObjectName(QStringLiteral("pullText"));
  pullLayout->addWidget(pullText_);
  pullBar_ = new ProgressBar(services_.platform, pullRow_);
  pullBar_->setObjectName(QStringLiteral("pullProgress"));
  pullBar_->setMaximumWidth(localPickerWidth);
  pullLayout->addWidget(pullBar_);
  detailLayout->addWidget(pullRow_);
  detailLayout->addWidget(
      wrapped(text(localExplanation), app::font(TextStyle::caption), secondaryText(), localDetail_));
  layout->addWidget(localDetail_);
  return section;
}

void AIRepairSetupView::showEvent(QShowEvent* event) {
  AIRepairView::showEvent(event);
  model_.reloadKeys();
}

void AIRepairSetupView::sync() {
  const Backend backend = model_.backend();
  {
    const QSignalBlocker blocker(backend_);
    backend_->setCurrentIndex(backend_->findData(static_cast<int>(backend)));
  }
  codexFound_->setVisible(backend == Backend::codex && model_.codexPath());
  codexMissing_->setVisible(backend == Backend::codex && !model_.codexPath());
  claudeFound_->setVisible(backend == Backend::claudeCode && model_.claudePath());
  claudeMissing_->setVisible(backend == Backend::claudeCode && !model_.claudePath());
  api_->setVisible(backend == Backend::api);
  const bool canStart = model_.canStart();
  start_->setEnabled(canStart);
  if (backend != Backend::api) {
    return;
  }
  setKey(geminiKey_, model_.geminiKey());
  setKey(anthropicKey_, model_.anthropicKey());
  setKey(openAIKey_, model_.openAIKey());
  for (const auto& [segment, provider] : providers_) {
    segment->setChecked(provider == model_.preferred());
  }
  ladder_->setVisible(canStart);
  if (canStart) {
    QStringList rungs;
    for (const ModelTier& rung : services_.engine.ladder(model_.apiOptions())) {
      rungs.append(QString::fromStdString(rung.label()));
    }
    ladder_->setText(QStringLiteral("Modell-Leiter: ") + rungs.join(QStringLiteral(" → ")));
  }
  syncLocalModels();
}

void AIRepairSetupView::syncLocalModels() {
  {
    const QSignalBlocker blocker(useLocal_);
    useLocal_->setChecked(model_.useLocal());
  }
  localDetail_->setVisible(model_.useLocal());
  if (!model_.useLocal()) {
    return;
  }
  const std::vector<LocalModel>& models = model_.localModels();
  localPicker_->setVisible(!models.empty());
  localState_->setVisible(models.empty());
  localState_->setText(model_.localState());
  QStringList texts;
  QStringList names;
  for (const LocalModel& entry : models) {
    names.append(QString::fromStdString(entry.name));
    texts.append(names.back() + QStringLiteral(" · ") + fixedDecimals(entry.sizeGB, 1) + QStringLiteral(" GB"));
  }
  setPickerEntries(localModel_, texts, names, model_.localModel());
  const std::optional<LocalModelPull>& pulling = model_.pulling();
  pullMenu_->setEnabled(!pulling && services_.engine.localModelsInstalled());
  pullRow_->setVisible(pulling.has_value());
  if (pulling) {
    pullText_->setText(QStringLiteral("Lade ") + pulling->name + QStringLiteral(" …"));
    pullBar_->setValue(pulling->progress);
  }
}

}  // namespace tovrane::app
