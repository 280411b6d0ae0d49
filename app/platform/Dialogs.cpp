#include "app/platform/Dialogs.hpp"

#include "app/window/Controls.hpp"

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
  // The question stands in the dialog too: a Linux desktop may show the
  // title bar small or not at all.
  QMessageBox box(QMessageBox::Warning, title, QString(), QMessageBox::NoButton, parent);
  box.setTextFormat(Qt::RichText);
  box.setText(QStringLiteral("<b>") + title.toHtmlEscaped() + QStringLiteral("</b>"));
  box.setInformativeText(text);
  QPushButton* accept = destructiveButton(confirmLabel, QStringLiteral("confirmButton"));
  box.addButton(accept, QMessageBox::DestructiveRole);
  QPushButton* keep = box.addButton(QStringLiteral("Abbrechen"), QMessageBox::RejectRole);
  keep->setObjectName(QStringLiteral("keepButton"));
  // Return, Space and Esc keep what the other button would destroy: only a
  // deliberate click (or Tab to it first) goes on.
  box.setDefaultButton(keep);
  box.setEscapeButton(keep);
  box.exec();
  return box.clickedButton() == accept;
}

void WidgetDialogs::warn(QWidget* parent, const QString& title, const QString& text) {
  // Not exec(): the failure may come from work in the background, which must not wait for the user.
  auto* box = new QMessageBox(QMessageBox::Warning, title, text, QMessageBox::Ok, parent);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->open();
}

}  // namespace tovrane::app
