#pragma once
// The window's one look: the Fusion style with a fixed light palette made
// from Brand, whatever colour scheme the system uses; the named text styles
// at the sizes of the Mac defaults; icons by symbol name, tinted when drawn;
// and the one switch that lets every animation of the app jump to its end.
#include <QAbstractAnimation>
#include <QColor>
#include <QFont>
#include <QIcon>
#include <QPalette>
#include <QPixmap>
#include <QString>

class QApplication;
class QLabel;
class QWidget;

namespace tovrane::app {

enum class TextStyle { largeTitle, title, title2, title3, headline, body, callout, subheadline, footnote, caption, caption2 };

// The font of a named style: pixel size and weight of the Mac default.
QFont font(TextStyle style);

// The body family at pixelSize, heavy: large numbers and titles (the
// rounded design of the Mac has no system font here).
QFont heavyFont(int pixelSize);
// The style's font, semibold.
QFont semiboldFont(TextStyle style);

// A label that shows text as it is, never as markup (names come from
// records and projects), in font and colour.
QLabel* plainLabel(const QString& text, const QFont& font, const QColor& colour, QWidget* parent = nullptr);

// colour at the given opacity, 0 to 1.
QColor withAlpha(QColor colour, double alpha);

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

// Animations are on unless switched off (the tests do, so that every
// transition ends at once). The user's Reduce Motion setting is another
// matter: only the views that name it ask the platform for it.
bool animationsEnabled();
void setAnimationsEnabled(bool enabled);
// Starts an animation of the app. While animations are off it jumps to its
// end at once (a looping one to the end of its first loop) and stops, so the
// animated property holds its final value and finished() has been emitted.
void startAnimation(QAbstractAnimation* animation,
                    QAbstractAnimation::DeletionPolicy policy = QAbstractAnimation::KeepWhenStopped);

}  // namespace tovrane::app
