#include "app/window/Pickers.hpp"

#include <QSignalBlocker>

namespace tovrane::app {

void setPickerEntries(QComboBox* picker, const QStringList& texts, const QStringList& ids, const QString& selection) {
  const QSignalBlocker blocker(picker);
  QStringList shownTexts;
  QStringList shownIds;
  for (int index = 0; index < picker->count(); ++index) {
    shownTexts.append(picker->itemText(index));
    shownIds.append(picker->itemData(index).toString());
  }
  if (texts != shownTexts || ids != shownIds) {
    picker->clear();
    for (qsizetype index = 0; index < texts.size() && index < ids.size(); ++index) {
      picker->addItem(texts[index], ids[index]);
    }
  }
  picker->setCurrentIndex(static_cast<int>(ids.indexOf(selection)));
}

}  // namespace tovrane::app
