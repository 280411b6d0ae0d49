#include "app/platform/Dialogs.hpp"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace tovrane::app {

std::optional<QString> WidgetDialogs::pickFolder(QWidget* parent, const QString& title) {
  const QString folder = QFileDialog::getExistingDirectory(parent, title);
  if (folder.isEmpty()) {
    return std::nullopt;
  }
  return folder;
}

bool WidgetDialogs::confirm(QWidget* parent, const QString& title, const QString& text,
                            const QString& confirmLabel) {
  QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, parent);
  QPushButton* accept = box.addButton(confirmLabel, QMessageBox::AcceptRole);
  box.addButton(QStringLiteral("Abbrechen"), QMessageBox::RejectRole);
  box.setDefaultButton(accept);
  box.exec();
  return box.clickedButton() == accept;
}

}  // namespace tovrane::app
