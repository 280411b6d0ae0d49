#include "app/window/ProjectList.hpp"

#include "app/state/Brand.hpp"
#include "app/state/ProjectRecord.hpp"
#include "app/window/Look.hpp"
#include "app/window/PageComponents.hpp"

#include <QMenu>
#include <QPainter>
#include <QVBoxLayout>

#include <memory>

namespace tovrane::app {

namespace {
class Divider : public QWidget {
 public:
  explicit Divider(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("divider"));
    setFixedHeight(1);
  }

 protected:
  void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), withAlpha(Brand::ink(), 0.1)); }
};
}  // namespace

ProjectList::ProjectList(const std::vector<ProjectRecord>& records, const Clock& clock, Open open,
                         MenuFactory menu, QWidget* parent)
    : QWidget(parent) {
  setObjectName(QStringLiteral("projectList"));
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(8);
  for (const ProjectRecord& record : records) {
    auto* row = new ProjectRow(record, clock, this);
    const QUuid id = record.id;
    connect(row, &QAbstractButton::clicked, this, [open, id] { open(id); });
    if (menu) {
      row->setContextMenuPolicy(Qt::CustomContextMenu);
      connect(row, &QWidget::customContextMenuRequested, this, [menu, record, row](const QPoint& at) {
        const std::unique_ptr<QMenu> shown(menu(record, row));
        shown->exec(row->mapToGlobal(at));
      });
    }
    column->addWidget(row);
    if (record.id != records.back().id) {
      column->addWidget(new Divider(this));
    }
  }
}

}  // namespace tovrane::app
