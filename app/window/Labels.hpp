#pragma once
// Labels with a symbol, as the platform's labels with an icon show them: a
// symbol as tall as a line of a text style, and a symbol beside a text.
#include "app/window/Look.hpp"

#include <QColor>
#include <QLabel>
#include <QString>

namespace tovrane::app {

// Sets the colour a label or other widget draws its text in.
void setTextColour(QWidget* widget, const QColor& colour);

// The symbol in tint, as tall as a line of style.
QLabel* symbolLabel(const QString& symbol, TextStyle style, const QColor& tint, QWidget* parent = nullptr);
// A row of a symbol (or any small widget) beside a text, the symbol at the
// text's first line, 6 apart; the text takes the rest of the width.
QWidget* symbolRow(QWidget* symbol, QWidget* text, QWidget* parent = nullptr);

}  // namespace tovrane::app
