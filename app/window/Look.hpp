#pragma once
// The window's one look: the Fusion style with a fixed light palette made
// from Brand, whatever colour scheme the system uses; the named text styles
// at the sizes of the Mac defaults; icons by symbol name, tinted when drawn.
#include <QColor>
#include <QFont>
#include <QIcon>
#include <QPalette>
#include <QPixmap>
#include <QString>

class QApplication;

namespace tovrane::app {

enum class TextStyle { largeTitle, title, title2, title3, headline, body, callout, subheadline, footnote, caption, caption2 };

// The font of a named style: pixel size and weight of the Mac default.
QFont font(TextStyle style);

// Secondary and tertiary text: ink at 50 % and 25 %.
QColor secondaryText();
QColor tertiaryText();

QPalette lightPalette();
// Fusion, the light palette and the body font for the whole application.
void applyLook(QApplication& application);

// The picture that Icons.txt maps to symbol, drawn in tint at size × size
// logical pixels for the given device pixel ratio; a null pixmap for a name
// the table does not know.
QPixmap iconPixmap(const QString& symbol, int size, const QColor& tint, qreal devicePixelRatio = 1.0);
QIcon icon(const QString& symbol, const QColor& tint);

}  // namespace tovrane::app
