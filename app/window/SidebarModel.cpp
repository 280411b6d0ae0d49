#include "app/window/SidebarModel.hpp"

#include "app/state/ProjectStore.hpp"

#include <algorithm>

namespace tovrane::app {

namespace {
// The symbol of a record in "Zuletzt": a seal once its last repair compiled it.
QString recordSymbol(const ProjectRecord& record) {
  const bool compiled = record.ai && record.ai->compiled.value_or(false);
  return compiled ? QStringLiteral("checkmark.seal") : QStringLiteral("app.dashed");
}
}  // namespace

SidebarModel::SidebarModel(const ProjectStore& store, QObject* parent) : QAbstractListModel(parent), store_(store) {
  connect(&store, &ProjectStore::projectsChanged, this, [this] {
    beginResetModel();
    rebuild();
    endResetModel();
  });
  rebuild();
}

void SidebarModel::rebuild() {
  const std::vector<ProjectRecord>& records = store_.projects();
  const auto item = [](const char* text, const char* symbol, Page page) {
    Row row;
    row.text = QString::fromUtf8(text);
    row.symbol = QString::fromUtf8(symbol);
    row.page = page;
    return row;
  };
  rows_.clear();
  rows_.push_back(item("Übersicht", "square.grid.2x2", Page::overview()));
  rows_.push_back(item("Neue Umwandlung", "plus.square.on.square", Page::convert()));
  rows_.push_back(item("Projekte", "folder", Page::projects()));
  rows_.back().badge = static_cast<int>(records.size());
  if (!records.empty()) {
    Row header;
    header.text = QStringLiteral("Zuletzt");
    header.header = true;
    rows_.push_back(header);
    const std::size_t shown = std::min<std::size_t>(records.size(), recentCount);
    for (std::size_t i = 0; i < shown; ++i) {
      Row row;
      row.text = records[i].name;
      row.symbol = recordSymbol(records[i]);
      row.page = Page::project(records[i].id);
      row.record = records[i];
      rows_.push_back(row);
    }
  }
  // The gap that sets the last section apart.
  rows_.push_back(Row());
  rows_.push_back(item("Einstellungen", "gearshape", Page::settings()));
}

int SidebarModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

QVariant SidebarModel::data(const QModelIndex& index, int role) const {
  if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
    return {};
  }
  const Row& row = rows_[static_cast<std::size_t>(index.row())];
  switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
      return row.text;
    case SymbolRole:
      return row.symbol;
    case BadgeRole:
      return row.badge;
    case HeaderRole:
      return row.header;
    default:
      return {};
  }
}

Qt::ItemFlags SidebarModel::flags(const QModelIndex& index) const {
  if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid) ||
      !rows_[static_cast<std::size_t>(index.row())].page) {
    return Qt::NoItemFlags;
  }
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

std::optional<Page> SidebarModel::pageAt(int row) const {
  if (row < 0 || row >= rowCount()) {
    return std::nullopt;
  }
  return rows_[static_cast<std::size_t>(row)].page;
}

std::optional<int> SidebarModel::rowOf(const Page& page) const {
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    if (rows_[i].page == page) {
      return static_cast<int>(i);
    }
  }
  return std::nullopt;
}

std::optional<ProjectRecord> SidebarModel::recordAt(int row) const {
  if (row < 0 || row >= rowCount()) {
    return std::nullopt;
  }
  return rows_[static_cast<std::size_t>(row)].record;
}

}  // namespace tovrane::app
