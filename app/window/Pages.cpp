#include "app/window/Pages.hpp"

#include "app/state/Brand.hpp"
#include "app/window/AppServices.hpp"
#include "app/window/ConvertView.hpp"
#include "app/window/Look.hpp"
#include "app/window/OverviewView.hpp"
#include "app/window/ProjectDetailView.hpp"
#include "app/window/ProjectsView.hpp"
#include "app/window/SettingsPage.hpp"

#include <QLabel>
#include <QVBoxLayout>

namespace tovrane::app {

QWidget* makeOverviewPage(const PageContext& context) {
  const AppServices& services = context.services;
  return new OverviewView(services.store, context.navigation, services.clock);
}

QWidget* makeConvertPage(const PageContext& context) {
  const AppServices& services = context.services;
  return new ConvertView(services.store, context.navigation, services.engine, services.workers, services.settings,
                         services.reservations, services.dialogs, services.platform);
}

QWidget* makeProjectsPage(const PageContext& context) {
  const AppServices& services = context.services;
  return new ProjectsView(services.store, context.navigation, services.platform, services.clock);
}

QWidget* makeProjectPage(const PageContext& context, const ProjectRecord& record) {
  return new ProjectDetailView(context.services, context.navigation, record);
}

QWidget* makeSettingsPage(const PageContext& context) {
  const AppServices& services = context.services;
  return new SettingsPage(services.store, services.settings, services.dialogs, services.updater, services.tools,
                          services.engine, context.showGuide);
}

PagePlaceholder::PagePlaceholder(const QString& symbol, const QString& title, const QString& description,
                                 QWidget* parent)
    : QWidget(parent), symbol_(symbol), title_(title) {
  setObjectName(QStringLiteral("pagePlaceholder"));
  auto* column = new QVBoxLayout(this);
  column->setSpacing(10);
  column->addStretch();
  auto* picture = new QLabel(this);
  picture->setObjectName(QStringLiteral("placeholderSymbol"));
  picture->setPixmap(iconPixmap(symbol, 44, secondaryText(), devicePixelRatioF()));
  picture->setAlignment(Qt::AlignCenter);
  column->addWidget(picture);
  QLabel* heading = plainLabel(title, semiboldFont(TextStyle::title2), Brand::ink(), this);
  heading->setObjectName(QStringLiteral("placeholderTitle"));
  heading->setAlignment(Qt::AlignCenter);
  column->addWidget(heading);
  if (!description.isEmpty()) {
    QLabel* line = plainLabel(description, app::font(TextStyle::body), secondaryText(), this);
    line->setAlignment(Qt::AlignCenter);
    column->addWidget(line);
  }
  column->addStretch();
}

}  // namespace tovrane::app
