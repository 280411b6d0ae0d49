#pragma once
// The rows of a window's sidebar, made from the history: "Übersicht",
// "Neue Umwandlung", "Projekte" with the number of records as its badge, the
// section "Zuletzt" with the six newest records (only while there is one),
// and "Einstellungen". A section header and the gap before the last row are
// rows that cannot be chosen. The rows follow every change of the store.
#include "app/state/ProjectRecord.hpp"
#include "app/window/Page.hpp"

#include <QAbstractListModel>

#include <optional>
#include <vector>

namespace tovrane::app {

class ProjectStore;

class SidebarModel : public QAbstractListModel {
  Q_OBJECT

 public:
  enum Role {
    // The symbol name of the row's icon (empty for a header or gap).
    SymbolRole = Qt::UserRole + 1,
    // The count shown at the row's end; 0 for none.
    BadgeRole,
    // True for a section header.
    HeaderRole,
  };
  // How many of the newest records "Zuletzt" lists.
  static constexpr int recentCount = 6;

  explicit SidebarModel(const ProjectStore& store, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  // The page a row selects; nullopt for a header or gap.
  std::optional<Page> pageAt(int row) const;
  // The row that selects page; nullopt when none does (a record not among the newest).
  std::optional<int> rowOf(const Page& page) const;
  // The record a row of "Zuletzt" stands for.
  std::optional<ProjectRecord> recordAt(int row) const;

 private:
  struct Row {
    QString text;
    QString symbol;
    std::optional<Page> page;
    int badge = 0;
    bool header = false;
    std::optional<ProjectRecord> record;
  };
  void rebuild();

  const ProjectStore& store_;
  std::vector<Row> rows_;
};

}  // namespace tovrane::app
