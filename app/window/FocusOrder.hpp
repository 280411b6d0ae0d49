#pragma once
// Tab order for widgets made after their neighbours. Qt puts a new widget at
// the end of its window's Tab order; a window whose parts are remade (a page,
// the update banner) moves them back to their place with chainAfter.
class QWidget;

namespace tovrane::app {

// Moves the widgets inside container that take Tab, keeping their order, to
// directly after anchor; returns the last one moved, or anchor when none.
QWidget* chainAfter(QWidget* anchor, QWidget* container);

}  // namespace tovrane::app
