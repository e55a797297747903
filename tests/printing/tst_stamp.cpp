// The time-date stamp and the note window's placement: both pure, so their tables run without
// a desktop. The locale and the time zone are pinned before anything reads them, so that the
// expected texts are exact and a stamp that forgets to show local time is caught.
#include "printing/addnotewindow.h"
#include "printing/stamp.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QLocale>
#include <QStandardPaths>
#include <QTest>
#include <QTimeZone>

class tst_Stamp final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();

    void stampText_data();
    void stampText();
    void stampReadsBack();

    void placement_data();
    void placement();
};

void tst_Stamp::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY2(QLocale::system().name() == QLatin1String("en_US"),
             qPrintable(QLocale::system().name()));
    QVERIFY2(QTimeZone::systemTimeZoneId() == "Asia/Kolkata",
             QTimeZone::systemTimeZoneId().constData());
}

void tst_Stamp::stampText_data()
{
    QTest::addColumn<QDateTime>("moment");
    QTest::addColumn<QString>("expected");
    const QTimeZone local = QTimeZone::systemTimeZone();
    QTest::newRow("afternoon") << QDateTime(QDate(2024, 1, 5), QTime(15, 45, 59))
                               << QStringLiteral("1/5/24  3:45 PM");
    QTest::newRow("midnight") << QDateTime(QDate(2024, 12, 31), QTime(0, 0))
                              << QStringLiteral("12/31/24  12:00 AM");
    // Given in UTC, shown in the user's time (+5:30), where it is already the next day.
    QTest::newRow("UTC moment") << QDateTime(QDate(2023, 6, 30), QTime(20, 0), Qt::UTC)
                                << QStringLiteral("7/1/23  1:30 AM");
    QTest::newRow("seconds are not shown")
        << QDateTime(QDate(2025, 3, 9), QTime(9, 5, 1, 999), local)
        << QStringLiteral("3/9/25  9:05 AM");
}

void tst_Stamp::stampText()
{
    QFETCH(QDateTime, moment);
    QFETCH(QString, expected);
    // Newer locale data put a narrow no-break space before AM/PM; either is the locale's form.
    const QString stamp = printing::stamp(moment).replace(QChar(0x202F), QLatin1Char(' '));
    QVERIFY2(stamp == expected,
             qPrintable(QStringLiteral("\"%1\", expected \"%2\"").arg(stamp, expected)));
}

void tst_Stamp::stampReadsBack()
{
    // Whatever the locale's forms, the stamp is one line: the date, two blanks, the time, and
    // both parts read back as the moment's date and minute.
    const QDateTime moment(QDate(2024, 2, 29), QTime(23, 59, 30));
    const QString stamp = printing::stamp(moment);
    const QStringList parts = stamp.split(QStringLiteral("  "));
    QVERIFY2(parts.size() == 2, qPrintable(stamp));
    QVERIFY2(!stamp.contains(QLatin1Char('\n')) && !stamp.contains(QLatin1Char('\r')),
             qPrintable(stamp));
    const QLocale locale = QLocale::system();
    const QDate date = locale.toDate(parts[0], QLocale::ShortFormat);
    QVERIFY2(date.month() == 2 && date.day() == 29 && date.year() % 100 == 24,
             qPrintable(parts[0] + " -> " + date.toString(Qt::ISODate)));
    const QTime time = locale.toTime(parts[1], QLocale::ShortFormat);
    QVERIFY2(time == QTime(23, 59), qPrintable(parts[1] + " -> " + time.toString()));
}

void tst_Stamp::placement_data()
{
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<QPoint>("expected");
    QTest::newRow("1920x1080") << QRect(0, 0, 1920, 1080) << QPoint(1570, 380);
    QTest::newRow("1024x700: kept 50 below the top") << QRect(0, 0, 1024, 700) << QPoint(674, 50);
    QTest::newRow("750 high: exactly 50") << QRect(0, 0, 1280, 750) << QPoint(930, 50);
    QTest::newRow("751 high") << QRect(0, 0, 1280, 751) << QPoint(930, 51);
    QTest::newRow("main screen right of another")
        << QRect(1920, 0, 2560, 1440) << QPoint(1920 + 2210, 740);
}

void tst_Stamp::placement()
{
    QFETCH(QRect, screen);
    QFETCH(QPoint, expected);
    const QPoint at = addNoteWindowPlacement(screen);
    QVERIFY2(at == expected, qPrintable(QStringLiteral("(%1, %2), expected (%3, %4)")
                                            .arg(at.x())
                                            .arg(at.y())
                                            .arg(expected.x())
                                            .arg(expected.y())));
}

int main(int argc, char **argv)
{
    // Read once, at the first use of the system locale and time zone.
    qputenv("LC_ALL", "en_US.UTF-8");
    qputenv("TZ", "Asia/Kolkata");
    QCoreApplication app(argc, argv);
    tst_Stamp test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_stamp.moc"
