#include "app/window/Formats.hpp"

#include <QLocale>
#include <QTimeZone>

#include <array>
#include <cmath>

namespace tovrane::app {

namespace {
// The interface is German whatever the machine's locale: "1.306" is a count
// there, where an English "1,306" would read as a decimal.
QLocale german() { return QLocale(QLocale::German, QLocale::Germany); }

// One calendar unit, largest first. The named forms stand for a count of
// 1 or 2 into the past or the future; null where German has none.
struct UnitWords {
  const char* one;
  const char* many;  // dative plural, as after "vor" and "in"
  const char* twoAgo;
  const char* oneAgo;
  const char* oneAhead;
  const char* twoAhead;
};
constexpr std::array<UnitWords, 7> units = {{
    {"Jahr", "Jahren", nullptr, "letztes Jahr", "nächstes Jahr", nullptr},
    {"Monat", "Monaten", nullptr, "letzten Monat", "nächsten Monat", nullptr},
    {"Woche", "Wochen", nullptr, "letzte Woche", "nächste Woche", nullptr},
    {"Tag", "Tagen", "vorgestern", "gestern", "morgen", "übermorgen"},
    {"Stunde", "Stunden", nullptr, nullptr, nullptr, nullptr},
    {"Minute", "Minuten", nullptr, nullptr, nullptr, nullptr},
    {"Sekunde", "Sekunden", nullptr, nullptr, nullptr, nullptr},
}};

// Whole years, months, weeks, days, hours, minutes and seconds from from to
// to (from <= to), each unit taken as often as it fits before the next.
std::array<qint64, 7> calendarSpan(QDateTime from, const QDateTime& to) {
  qint64 years = to.date().year() - from.date().year();
  if (from.addYears(static_cast<int>(years)) > to) {
    --years;
  }
  from = from.addYears(static_cast<int>(years));
  qint64 months = (to.date().year() - from.date().year()) * 12 + to.date().month() - from.date().month();
  if (from.addMonths(static_cast<int>(months)) > to) {
    --months;
  }
  from = from.addMonths(static_cast<int>(months));
  qint64 days = from.daysTo(to);
  if (from.addDays(days) > to) {
    --days;
  }
  from = from.addDays(days);
  const qint64 seconds = from.secsTo(to);
  return {years, months, days / 7, days % 7, seconds / 3600, seconds % 3600 / 60, seconds % 60};
}
}  // namespace

QString relativeDate(const QDateTime& date, const QDateTime& now) {
  const QDateTime other = date.toTimeZone(now.timeZone());
  const bool past = other < now;
  const std::array<qint64, 7> span = past ? calendarSpan(other, now) : calendarSpan(now, other);
  for (std::size_t unit = 0; unit < units.size(); ++unit) {
    const qint64 count = span[unit];
    if (count == 0) {
      continue;
    }
    const UnitWords& words = units[unit];
    const char* named = count == 1 ? (past ? words.oneAgo : words.oneAhead)
                        : count == 2 ? (past ? words.twoAgo : words.twoAhead)
                                     : nullptr;
    if (named) {
      return QString::fromUtf8(named);
    }
    return (past ? QStringLiteral("vor %1 %2") : QStringLiteral("in %1 %2"))
        .arg(count)
        .arg(QString::fromUtf8(count == 1 ? words.one : words.many));
  }
  return QStringLiteral("jetzt");
}

QString abbreviatedDateTime(const QDateTime& date) {
  return german().toString(date.toLocalTime(), QStringLiteral("d. MMM yyyy, HH:mm"));
}

QString fixedDecimals(double value, int decimals) { return QString::number(value, 'f', decimals); }

QString groupedCount(qint64 count) { return german().toString(count); }

QString wholePercent(double fraction) {
  const double percent = fraction * 100;
  constexpr double wholeNumberLimit = 9.2e18;
  return std::isfinite(percent) && std::abs(percent) < wholeNumberLimit
             ? QString::number(static_cast<qint64>(percent)) + QStringLiteral(" %")
             : QStringLiteral("– %");
}

}  // namespace tovrane::app
