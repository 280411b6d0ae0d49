#pragma once
// Filling a drop-down picker whose entries stand for ids.
#include <QComboBox>
#include <QStringList>

namespace tovrane::app {

// Shows texts, each standing for the id at the same index, with selection
// chosen (none when it is not among the ids). The entries are replaced only
// when they changed, so an open list is not disturbed; no signal is sent.
void setPickerEntries(QComboBox* picker, const QStringList& texts, const QStringList& ids, const QString& selection);

}  // namespace tovrane::app
