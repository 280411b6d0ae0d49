#include "app/window/Formats.hpp"
#include "tests/app/AppTest.hpp"

#include <QLocale>
#include <QScopeGuard>
#include <QTimeZone>
#include <QtTest>

using namespace tovrane::app;

class FormatsTest : public QObject {
  Q_OBJECT

 private slots:
  // Seen from 14 March 2026, 09:26:53 UTC.
  void relativeDates_data() {
    QTest::addColumn<QDateTime>("date");
    QTest::addColumn<QString>("expected");
    const QDateTime now = test::fixedNow();
    const auto row = [](const char* name, const QDateTime& date, const char* expected) {
      QTest::newRow(name) << date << QString::fromUtf8(expected);
    };
    row("same moment", now, "jetzt");
    row("under a second", now.addMSecs(-900), "jetzt");
    row("one second", now.addSecs(-1), "vor 1 Sekunde");
    row("seconds", now.addSecs(-45), "vor 45 Sekunden");
    row("one minute", now.addSecs(-60), "vor 1 Minute");
    row("minutes, seconds dropped", now.addSecs(-(59 * 60 + 59)), "vor 59 Minuten");
    row("one hour", now.addSecs(-3600), "vor 1 Stunde");
    row("hours", now.addSecs(-2 * 3600 - 5 * 60), "vor 2 Stunden");
    row("almost a day", now.addSecs(-(23 * 3600 + 59 * 60)), "vor 23 Stunden");
    row("one day", now.addDays(-1), "gestern");
    row("two days", now.addDays(-2), "vorgestern");
    row("days", now.addDays(-3), "vor 3 Tagen");
    row("six days", now.addDays(-6).addSecs(-3600), "vor 6 Tagen");
    row("one week", now.addDays(-7), "letzte Woche");
    row("a week and six days", now.addDays(-13), "letzte Woche");
    row("weeks", now.addDays(-14), "vor 2 Wochen");
    row("a month short by a day", QDateTime(QDate(2026, 2, 15), QTime(9, 26, 53), Qt::UTC), "vor 3 Wochen");
    row("one month", QDateTime(QDate(2026, 2, 14), QTime(9, 26, 53), Qt::UTC), "letzten Monat");
    row("months", QDateTime(QDate(2025, 10, 14), QTime(8, 0), Qt::UTC), "vor 5 Monaten");
    row("one year", QDateTime(QDate(2025, 3, 14), QTime(9, 26, 53), Qt::UTC), "letztes Jahr");
    row("a year and eleven months", QDateTime(QDate(2024, 3, 15), QTime(0, 0), Qt::UTC), "letztes Jahr");
    row("years", QDateTime(QDate(2024, 3, 14), QTime(9, 0), Qt::UTC), "vor 2 Jahren");
    row("another time zone, same instant", now.toOffsetFromUtc(3600).addSecs(-2 * 3600), "vor 2 Stunden");
    row("future second", now.addSecs(1), "in 1 Sekunde");
    row("future hours", now.addSecs(3 * 3600), "in 3 Stunden");
    row("tomorrow", now.addDays(1), "morgen");
    row("day after tomorrow", now.addDays(2), "übermorgen");
    row("future days", now.addDays(3), "in 3 Tagen");
    row("next week", now.addDays(8), "nächste Woche");
    row("future weeks", now.addDays(21), "in 3 Wochen");
    row("next month", now.addMonths(1), "nächsten Monat");
    row("future months", now.addMonths(5), "in 5 Monaten");
    row("next year", now.addYears(1), "nächstes Jahr");
    row("future years", now.addYears(3), "in 3 Jahren");
  }
  void relativeDates() {
    QFETCH(QDateTime, date);
    QFETCH(QString, expected);
    QCOMPARE(relativeDate(date, test::fixedNow()), expected);
  }

  // Month ends: a month back from 31 March is 28 February, and no further.
  void relativeDatesAtTheEndOfAMonth() {
    const QDateTime endOfMarch(QDate(2026, 3, 31), QTime(12, 0), Qt::UTC);
    QCOMPARE(relativeDate(QDateTime(QDate(2026, 2, 28), QTime(12, 0), Qt::UTC), endOfMarch), "letzten Monat");
    QCOMPARE(relativeDate(QDateTime(QDate(2026, 3, 1), QTime(12, 0), Qt::UTC), endOfMarch), "vor 4 Wochen");
    QCOMPARE(relativeDate(QDateTime(QDate(2024, 2, 29), QTime(12, 0), Qt::UTC),
                          QDateTime(QDate(2025, 2, 28), QTime(12, 0), Qt::UTC)),
             "letztes Jahr");
  }

  // German formats whatever the machine's locale; the fixed formats keep their point.
  void numbersAndDates_data() {
    QTest::addColumn<QLocale>("system");
    QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany);
    QTest::newRow("English") << QLocale(QLocale::English, QLocale::UnitedStates);
    QTest::newRow("C") << QLocale::c();
    QTest::newRow("French") << QLocale(QLocale::French, QLocale::France);
  }
  void numbersAndDates() {
    QFETCH(QLocale, system);
    const QLocale before;
    QLocale::setDefault(system);
    const auto restore = qScopeGuard([&before] { QLocale::setDefault(before); });
    const QDateTime local(QDate(2025, 10, 3), QTime(14, 5), Qt::LocalTime);
    QCOMPARE(abbreviatedDateTime(local), "3. Okt. 2025, 14:05");
    QCOMPARE(abbreviatedDateTime(QDateTime(QDate(2026, 3, 14), QTime(9, 0), Qt::LocalTime)), "14. März 2026, 09:00");
    QCOMPARE(abbreviatedDateTime(local.toUTC()), "3. Okt. 2025, 14:05");
    QCOMPARE(fixedDecimals(3.14159, 2), "3.14");
    QCOMPARE(fixedDecimals(0.5, 2), "0.50");
    QCOMPARE(fixedDecimals(1234.56, 1), "1234.6");
    QCOMPARE(groupedCount(999), "999");
    QCOMPARE(groupedCount(1306), "1.306");
    QCOMPARE(groupedCount(12345), "12.345");
    QCOMPARE(groupedCount(1234567), "1.234.567");
    QCOMPARE(wholePercent(0.871), "87 %");
  }
};

TOVRANE_APP_TEST(FormatsTest)
#include "FormatsTest.moc"
