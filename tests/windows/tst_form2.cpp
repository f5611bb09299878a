#include "about/Form2.h"
#include "app/Shutdown.h"
#include "app/Twips.h"
#include "support/TestMain.h"

#include <QLabel>
#include <QPixmap>
#include <QTest>

// The About window's design, in twips.
class Form2Test : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() { Shutdown::deleteWindows(); }

    void windowAsDesigned();
    void labelsAtTheirPlaces_data();
    void labelsAtTheirPlaces();
    void thePictureAtItsNaturalSizeUnderTheLabels();

  private:
    static QRect px(const QWidget *w, double left, double top, double width, double height)
    {
        return Twips::toPixels(QRectF(left, top, width, height), Twips::dpiOf(w));
    }
};

void Form2Test::windowAsDesigned()
{
    Form2 *about = Form2::showShared();
    QVERIFY(QTest::qWaitForWindowExposed(about));
    QCOMPARE(about->windowTitle(), QString("About Zarvo Velmora  1.0"));
    QVERIFY(!about->windowIcon().isNull());
    // Fixed single border: the client area cannot change size; close is the only button.
    const QSize client = px(about, 0, 0, 4335, 1575).size();
    QCOMPARE(about->size(), client);
    QCOMPARE(about->minimumSize(), client);
    QCOMPARE(about->maximumSize(), client);
    const Qt::WindowFlags flags = about->windowFlags();
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QVERIFY(about->testAttribute(Qt::WA_DeleteOnClose));
}

void Form2Test::labelsAtTheirPlaces_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("rightAligned");
    QTest::addColumn<QRectF>("twips");
    QTest::newRow("Label1") << "Label1"
                            << "Program:" << true << QRectF(1680, 240, 855, 255);
    QTest::newRow("Label2") << "Label2"
                            << "Version:" << true << QRectF(1680, 600, 855, 255);
    QTest::newRow("Label3") << "Label3"
                            << "Devloped By:" << true << QRectF(1440, 960, 1095, 255);
    QTest::newRow("Label4") << "Label4"
                            << "Zarvo Velmora" << false << QRectF(2640, 240, 1575, 255);
    QTest::newRow("Label5") << "Label5"
                            << "1.0" << false << QRectF(2640, 600, 1575, 255);
}

void Form2Test::labelsAtTheirPlaces()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(bool, rightAligned);
    QFETCH(QRectF, twips);
    Form2 about;
    auto *label = about.findChild<QLabel *>(name);
    QVERIFY(label);
    QCOMPARE(label->text(), text);
    QCOMPARE(bool(label->alignment() & Qt::AlignRight), rightAligned);
    QCOMPARE(label->geometry(),
             px(&about, twips.left(), twips.top(), twips.width(), twips.height()));
    // The whole caption fits its box in the window's font: nothing is clipped.
    QVERIFY(label->fontMetrics().horizontalAdvance(text) <= label->contentsRect().width());
}

void Form2Test::thePictureAtItsNaturalSizeUnderTheLabels()
{
    Form2 about;
    QCOMPARE(about.Image1->pos(), px(&about, 120, 120, 0, 0).topLeft());
    const QPixmap picture = about.Image1->pixmap();
    QCOMPARE(picture.size(), QSize(96, 96));
    QCOMPARE(about.Image1->size(), QSize(96, 96));
    // Label3 reaches into the picture and is drawn over it.
    QVERIFY(about.Label3->geometry().intersects(about.Image1->geometry()));
    const QObjectList stack = about.children();
    QVERIFY(stack.indexOf(about.Label3) > stack.indexOf(about.Image1));
}

ZV_TEST_MAIN(Form2Test)
#include "tst_form2.moc"
