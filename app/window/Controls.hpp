#pragma once
// The few control looks the pages share beyond Qt's own: the prominent
// button of a view's main action, the bordered and the destructive button,
// a symbol as a picture and the monospaced font. Every control gets an
// object name and an accessible name, so that tests and screen readers find it.
#include <QFont>
#include <QLabel>
#include <QPushButton>
#include <QString>

#include "app/window/Look.hpp"

class QAction;
class QMenu;
class QWidget;

namespace tovrane::app {

// The style's font in the monospaced family (paths, step texts).
QFont monospacedFont(TextStyle style);

// A picture: the symbol in tint at size × size.
QLabel* symbolLabel(const QString& symbol, int size, const QColor& tint, QWidget* parent);

// The main action of a view: white text on ink, rounded, large
// ("Ordner auswählen …", "Nochmal versuchen", "Erstes Projekt umwandeln").
QPushButton* prominentButton(const QString& text, const QString& objectName, QWidget* parent = nullptr);
// The same filled with another tint ("In Android Studio öffnen" in the dark
// Android green, "Mit KI reparieren" in the Swift colour); paler while disabled.
QPushButton* prominentButton(const QString& text, const QString& objectName, const QColor& tint,
                             QWidget* parent = nullptr);
// An ordinary button: white with a faint border.
QPushButton* borderedButton(const QString& text, const QString& objectName, QWidget* parent = nullptr);
// A bordered button whose text is in the Swift colour: it removes something.
QPushButton* destructiveButton(const QString& text, const QString& objectName, QWidget* parent = nullptr);
// A menu item that removes something: the trash symbol in the Swift colour beside it.
QAction* addDestructiveAction(QMenu* menu, const QString& text);

}  // namespace tovrane::app
