#pragma once
// The app's formats of dates and numbers, in one place and German whatever
// the machine's locale: relative dates, the abbreviated date with time,
// fixed decimals with a decimal point, and counts with German digit grouping.
#include <QDateTime>
#include <QString>

namespace tovrane::app {

// How far date lies from now, by the largest calendar unit that is not zero,
// with the named form where German has one: "jetzt", "gestern", "vorgestern",
// "morgen", "übermorgen", "letzte Woche", "nächsten Monat", "letztes Jahr", …;
// otherwise "vor N" or "in N" and the full unit name ("vor 2 Stunden",
// "in 1 Woche"). The calendar is that of now's time zone.
QString relativeDate(const QDateTime& date, const QDateTime& now);

// The date abbreviated and the time short, in local time: "3. Okt. 2025, 14:05".
QString abbreviatedDateTime(const QDateTime& date);

// value with the given number of decimals and a decimal point whatever the
// locale (the "%.1f" of sizes, the "%.2f" of costs).
QString fixedDecimals(double value, int decimals);

// count with German digit grouping ("12.345").
QString groupedCount(qint64 count);

// fraction × 100 truncated toward zero, then " %" ("87 %"; 0.999 gives
// "99 %"); "– %" when no whole number holds it (only a hand-edited history
// has such a value).
QString wholePercent(double fraction);

}  // namespace tovrane::app
