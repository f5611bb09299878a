#include "main_window/LoadStamp.h"
#include "support/TestMain.h"

#include <QTest>
#include <QTimeZone>

class LoadStampTest : public QObject {
    Q_OBJECT

private slots:
    void stamp_data();
    void stamp();
};

void LoadStampTest::stamp_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("expected");
    // The date with a four-digit year directly followed by the time, no zone.
    QTest::newRow("en_US") << "en_US"
                           << "3/9/20104:05:06 PM";
    QTest::newRow("de_DE") << "de_DE"
                           << "09.03.201016:05:06";
    QTest::newRow("en_GB") << "en_GB"
                           << "09/03/201016:05:06";
    QTest::newRow("ja_JP: the locale's own time words")
        << "ja_JP" << u"2010/03/0916\u664205\u520606\u79D2"_qs;
}

void LoadStampTest::stamp()
{
    QFETCH(QString, locale);
    QFETCH(QString, expected);
    const QDateTime when(QDate(2010, 3, 9), QTime(16, 5, 6), QTimeZone("America/New_York"));
    QCOMPARE(LoadStamp::text(when, QLocale(locale)), expected);
}

ZV_TEST_MAIN(LoadStampTest)
#include "tst_loadstamp.moc"
