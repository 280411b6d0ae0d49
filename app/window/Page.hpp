#pragma once
// Where a window is: one of its five pages, the project detail page with the
// id of the history record it shows. Each window has its own Navigation;
// the sidebar follows it and the pages navigate by setting it.
#include <QObject>
#include <QUuid>

namespace tovrane::app {

struct Page {
  enum class Kind { project, overview, convert, projects, settings };

  Kind kind = Kind::overview;
  // The record's id on the detail page; null on every other page.
  QUuid id{};

  static Page project(const QUuid& id) { return {Kind::project, id}; }
  static Page overview() { return {Kind::overview}; }
  static Page convert() { return {Kind::convert}; }
  static Page projects() { return {Kind::projects}; }
  static Page settings() { return {Kind::settings}; }

  bool operator==(const Page&) const = default;
};

// The window's selection: it starts at the overview and changes by a click
// in the sidebar, by a page, by removing the record whose page is showing,
// and by opening a job's project. Setting the page it holds changes nothing.
class Navigation : public QObject {
  Q_OBJECT

 public:
  using QObject::QObject;

  const Page& page() const { return page_; }
  void setPage(const Page& page);

 signals:
  void pageChanged();

 private:
  Page page_;
};

}  // namespace tovrane::app
