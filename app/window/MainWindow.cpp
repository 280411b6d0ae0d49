#include "app/window/MainWindow.hpp"

#include "app/state/Brand.hpp"
#include "app/window/ContentView.hpp"
#include "app/window/FocusOrder.hpp"
#include "app/window/Sidebar.hpp"
#include "app/window/JobsToolbarButton.hpp"
#include "app/window/Look.hpp"
#include "app/window/TovraneAndroidApp.hpp"

#include <QCloseEvent>
#include <QListView>
#include <QMenuBar>
#include <QToolBar>

namespace tovrane::app {

MainWindow::MainWindow(TovraneAndroidApp& app, QWidget* parent) : QMainWindow(parent), app_(app) {
  setObjectName(QStringLiteral("mainWindow"));
  setWindowTitle(QStringLiteral("TovraneAndroid"));
  setAttribute(Qt::WA_DeleteOnClose);
  setMinimumSize(980, 680);
  resize(1180, 780);
  setUnifiedTitleAndToolBarOnMac(true);

  content_ = new ContentView(app.services(), this);
  setCentralWidget(content_);

  auto* toolbar = new QToolBar(QStringLiteral("Werkzeugleiste"), this);
  toolbar->setObjectName(QStringLiteral("toolbar"));
  toolbar->setMovable(false);
  toolbar->setFloatable(false);
  toolbar->toggleViewAction()->setVisible(false);
  toolbar->setContextMenuPolicy(Qt::PreventContextMenu);
  // Flat on the paper, with a hairline below, as the detail area continues under it.
  toolbar->setStyleSheet(QStringLiteral("QToolBar { background: %1; border: none; border-bottom: 1px solid %2;"
                                        " padding: 4px 8px; spacing: 6px; }")
                             .arg(Brand::paper().name(), withAlpha(Brand::ink(), 0.1).name(QColor::HexArgb)));
  auto* spacer = new QWidget(toolbar);
  spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
  toolbar->addWidget(spacer);
  const AppServices& services = app.services();
  jobsButton_ = new JobsToolbarButton(services.jobs, services.platform,
                                      [this](const std::filesystem::path& folder) { content_->openJobProject(folder); },
                                      toolbar);
  toolbar->addWidget(jobsButton_);
  addToolBar(Qt::TopToolBarArea, toolbar);
  // Tab goes through the sidebar, then the toolbar, then the page.
  QWidget::setTabOrder(chainAfter(content_->sidebar().list(), &content_->sidebar()), jobsButton_);
  content_->setTabPredecessor(jobsButton_);

  addMenus(*menuBar(), app, this);
}

void MainWindow::addMenus(QMenuBar& bar, TovraneAndroidApp& app, QWidget* window) {
  QMenu* file = bar.addMenu(QStringLiteral("Datei"));
  file->setObjectName(QStringLiteral("fileMenu"));
  QAction* newWindow = file->addAction(QStringLiteral("Neues Fenster"), &app, [&app] { app.openWindow(); });
  newWindow->setObjectName(QStringLiteral("newWindowAction"));
  newWindow->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
  if (window != nullptr) {
    QAction* close = file->addAction(QStringLiteral("Fenster schließen"), window, [window] { window->close(); });
    close->setObjectName(QStringLiteral("closeWindowAction"));
    close->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_W));
  }
  file->addSeparator();
  QAction* quit = file->addAction(QStringLiteral("Beenden"), &app, [&app, window] { app.quit(window); });
  quit->setObjectName(QStringLiteral("quitAction"));
  quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
  quit->setMenuRole(QAction::QuitRole);

  QMenu* help = bar.addMenu(QStringLiteral("Hilfe"));
  help->setObjectName(QStringLiteral("helpMenu"));
  QAction* about = help->addAction(QStringLiteral("Über TovraneAndroid"), &app, [&app, window] { app.about(window); });
  about->setObjectName(QStringLiteral("aboutAction"));
  about->setMenuRole(QAction::AboutRole);
  // On macOS this item follows "About" into the application menu.
  QAction* check = help->addAction(QStringLiteral("Nach Updates suchen …"), &app, [&app] { app.checkForUpdates(); });
  check->setObjectName(QStringLiteral("checkForUpdatesAction"));
  check->setMenuRole(QAction::ApplicationSpecificRole);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (app_.mayCloseWindow(this)) {
    event->accept();
  } else {
    event->ignore();
  }
}

}  // namespace tovrane::app
