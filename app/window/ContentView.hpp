#pragma once
// The content of one window: the sidebar and, beside it, the detail area on
// the paper background, which shows the page the window's navigation
// selects. Every window shows the one history of the process; its
// selection and its guide are its own.
//
// Invariants: the detail area holds exactly one page, made for the current
// route (the selected page, and for a project page whether its record
// exists). It is made anew only when the route changes, so a page keeps its
// own state while the history changes under it. At most one guide is open
// per window.
#include "app/cards/GuideView.hpp"
#include "app/window/Page.hpp"

#include <QPointer>
#include <QWidget>

#include <filesystem>
#include <optional>

namespace tovrane::app {

struct AppServices;
struct ProjectRecord;
class Sidebar;

class ContentView : public QWidget {
  Q_OBJECT

 public:
  explicit ContentView(const AppServices& services, QWidget* parent = nullptr);

  Navigation& navigation() { return navigation_; }
  Sidebar& sidebar() const { return *sidebar_; }
  // The page the detail area shows.
  QWidget* page() const { return page_; }
  // The open guide, if any.
  GuideView* guide() const { return guide_; }

  // Removes the record from the history; with trash, its Android folder
  // goes to the Trash first (unless a job works on it; a failure is
  // ignored). Only when its detail page is showing does the window move to
  // the project list.
  void remove(const ProjectRecord& record, bool trash);
  // Shows the newest record whose Android folder is folder; nothing when none is.
  void openJobProject(const std::filesystem::path& folder);
  // Opens the guide over the window, whether or not it was seen.
  void showGuide();
  // Every page takes Tab after predecessor (the window's toolbar); so does the one shown now.
  void setTabPredecessor(QWidget* predecessor);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  struct Route {
    Page page;
    // For a project page: its record exists.
    bool found = false;
    bool operator==(const Route&) const = default;
  };
  void route();
  void guideDone();

  const AppServices& services_;
  Navigation navigation_;
  Sidebar* sidebar_;
  QWidget* detail_;
  QWidget* page_ = nullptr;
  std::optional<Route> shown_;
  QPointer<GuideView> guide_;
  QWidget* tabPredecessor_ = nullptr;
  bool appeared_ = false;
};

}  // namespace tovrane::app
