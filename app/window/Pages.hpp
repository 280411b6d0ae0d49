#pragma once
// The pages of a window's detail area. Each page is a widget of its own,
// made by the function of its kind when the window selects it and destroyed
// when the window selects another kind of page, so a page's own state (a
// search text, a filter, a conversion in progress) starts afresh each time.
// A page is fed only by the process-wide services and the window's
// navigation; whatever must outlive it lives in those services.
#include "app/window/Page.hpp"

#include <QString>
#include <QWidget>

#include <functional>

namespace tovrane::app {

struct AppServices;
struct ProjectRecord;

// What every page is made from.
struct PageContext {
  const AppServices& services;
  // The window's selection: a page navigates by setting it.
  Navigation& navigation;
  // Opens the first-launch guide over the window (the settings page offers it).
  std::function<void()> showGuide;
};

QWidget* makeOverviewPage(const PageContext& context);
QWidget* makeConvertPage(const PageContext& context);
QWidget* makeProjectsPage(const PageContext& context);
// record: the history record the window found for the selected id, as it
// was then; the page follows the store for later changes of it.
QWidget* makeProjectPage(const PageContext& context, const ProjectRecord& record);
QWidget* makeSettingsPage(const PageContext& context);

// Shown where there is no content: a large symbol and a title, centred,
// with an optional line of description below.
class PagePlaceholder : public QWidget {
  Q_OBJECT

 public:
  PagePlaceholder(const QString& symbol, const QString& title, const QString& description = {},
                  QWidget* parent = nullptr);

  const QString& symbol() const { return symbol_; }
  const QString& title() const { return title_; }

 private:
  QString symbol_;
  QString title_;
};

}  // namespace tovrane::app
