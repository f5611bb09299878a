#include "FuzzChecks.h"
#include "support/TestMain.h"

#include <QDir>
#include <QFile>
#include <QTest>

// Every input the fuzzers were given as a seed or ever found a fault with, replayed through the
// same checks (a failed check aborts the test).
class FuzzRegressionsTest : public QObject {
    Q_OBJECT

private slots:
    void replay_data();
    void replay();
};

void FuzzRegressionsTest::replay_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("file");
    const QDir root(QStringLiteral(ZV_FUZZ_DIR));
    for (const QString &folder : {QStringLiteral("seeds"), QStringLiteral("regressions")}) {
        for (const QString &target : {QStringLiteral("listfile"), QStringLiteral("search")}) {
            const QDir inputs(root.filePath(folder + QLatin1Char('/') + target));
            for (const QString &name : inputs.entryList(QDir::Files))
                QTest::newRow(qPrintable(folder + '/' + target + '/' + name))
                    << target << inputs.filePath(name);
        }
    }
}

void FuzzRegressionsTest::replay()
{
    QFETCH(QString, target);
    QFETCH(QString, file);
    QFile input(file);
    QVERIFY(input.open(QIODevice::ReadOnly));
    const QByteArray bytes = input.readAll();
    if (target == QLatin1String("listfile"))
        FuzzChecks::listFile(bytes);
    else
        FuzzChecks::search(bytes);
}

ZV_TEST_MAIN(FuzzRegressionsTest)
#include "tst_fuzzregressions.moc"
