#include "app/window/ContentView.hpp"

#include "app/cards/GuideView.hpp"
#include "app/platform/Platform.hpp"
#include "app/state/Brand.hpp"
#include "app/state/JobCenter.hpp"
#include "app/state/ProjectStore.hpp"
#include "app/state/Settings.hpp"
#include "app/window/AppServices.hpp"
#include "app/window/FocusOrder.hpp"
#include "app/window/Look.hpp"
#include "app/window/Pages.hpp"
#include "app/window/Sidebar.hpp"

#include <QHBoxLayout>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>

namespace tovrane::app {

ContentView::ContentView(const AppServices& services, QWidget* parent)
    : QWidget(parent), services_(services) {
  setObjectName(QStringLiteral("contentView"));
  sidebar_ = new Sidebar(services_, navigation_,
                         {[this](const ProjectRecord& record, bool trash) { remove(record, trash); },
                          [this] { showGuide(); }});
  sidebar_->setMinimumWidth(200);

  detail_ = new QWidget;
  detail_->setObjectName(QStringLiteral("detailArea"));
  detail_->setAutoFillBackground(true);
  QPalette palette = detail_->palette();
  palette.setColor(QPalette::Window, Brand::paper());
  palette.setColor(QPalette::WindowText, Brand::ink());
  detail_->setPalette(palette);
  auto* detailLayout = new QVBoxLayout(detail_);
  detailLayout->setContentsMargins(0, 0, 0, 0);

  auto* splitter = new QSplitter(Qt::Horizontal, this);
  splitter->setObjectName(QStringLiteral("contentSplitter"));
  splitter->setChildrenCollapsible(false);
  splitter->setHandleWidth(1);
  splitter->setStyleSheet(QStringLiteral("QSplitter::handle { background: %1; }")
                              .arg(withAlpha(Brand::ink(), 0.1).name(QColor::HexArgb)));
  splitter->addWidget(sidebar_);
  splitter->addWidget(detail_);
  splitter->setStretchFactor(1, 1);
  splitter->setSizes({220, 760});
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(splitter);

  connect(&navigation_, &Navigation::pageChanged, this, &ContentView::route);
  connect(&services_.store, &ProjectStore::projectsChanged, this, &ContentView::route);
  route();
}

void ContentView::route() {
  const Page& page = navigation_.page();
  const std::optional<ProjectRecord> record =
      page.kind == Page::Kind::project ? services_.store.project(page.id) : std::nullopt;
  const Route next{page, record.has_value()};
  if (shown_ == next) {
    return;
  }
  shown_ = next;
  const PageContext context{services_, navigation_, [this] { showGuide(); }};
  QWidget* made = nullptr;
  switch (page.kind) {
    case Page::Kind::project:
      made = record ? makeProjectPage(context, *record)
                    : new PagePlaceholder(QStringLiteral("questionmark.folder"), QStringLiteral("Projekt nicht gefunden"));
      break;
    case Page::Kind::overview:
      made = makeOverviewPage(context);
      break;
    case Page::Kind::convert:
      made = makeConvertPage(context);
      break;
    case Page::Kind::projects:
      made = makeProjectsPage(context);
      break;
    case Page::Kind::settings:
      made = makeSettingsPage(context);
      break;
  }
  if (page_ != nullptr) {
    // The old page may be the sender of the change (a page navigating): it
    // leaves at once and goes once its event is over.
    page_->hide();
    page_->setParent(nullptr);
    page_->deleteLater();
  }
  page_ = made;
  detail_->layout()->addWidget(page_);
  // A layout would show it only on the next turn of the event loop.
  page_->show();
  if (tabPredecessor_ != nullptr) {
    chainAfter(tabPredecessor_, page_);
  }
}

void ContentView::setTabPredecessor(QWidget* predecessor) {
  tabPredecessor_ = predecessor;
  chainAfter(tabPredecessor_, page_);
}

void ContentView::remove(const ProjectRecord& record, bool trash) {
  if (trash && outputExists(record) && !jobRunsOn(services_.jobs, record)) {
    services_.platform.moveToTrash(record.outputPath);
  }
  if (navigation_.page() == Page::project(record.id)) {
    navigation_.setPage(Page::projects());
  }
  services_.store.remove(record.id);
}

void ContentView::openJobProject(const std::filesystem::path& folder) {
  const std::string wanted = folder.string();
  for (const ProjectRecord& record : services_.store.projects()) {
    if (record.outputPath.toStdString() == wanted) {
      navigation_.setPage(Page::project(record.id));
      return;
    }
  }
}

void ContentView::showGuide() {
  if (guide_ != nullptr) {
    guide_->raise();
    guide_->activateWindow();
    return;
  }
  guide_ = new GuideView([this] { guideDone(); }, window());
  guide_->show();
}

void ContentView::guideDone() {
  guide_->hide();
  guide_->deleteLater();
  guide_ = nullptr;
  services_.settings.setGuideSeen(true);
}

void ContentView::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (appeared_) {
    return;
  }
  appeared_ = true;
  // Once the window is on screen, so that the guide opens over it.
  QTimer::singleShot(0, this, [this] {
    if (!services_.settings.guideSeen()) {
      showGuide();
    }
  });
}

}  // namespace tovrane::app
