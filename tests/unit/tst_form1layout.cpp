#include "main_window/Form1Layout.h"
#include "support/TestMain.h"

#include <QTest>

class Form1LayoutTest : public QObject {
    Q_OBJECT

private slots:
    void designSize();
    void wider();
    void tooNarrowSkipsOnlyTheStepsThatWouldGoNegative();
    void minimisedThenRestoredIsAsBefore();
};

void Form1LayoutTest::designSize()
{
    Form1Layout layout;
    layout.Form_Resize(10770, 10545);
    QCOMPARE(layout.Command1.left, -2500.f);
    QCOMPARE(layout.Text1.width, 9810.f);
    QCOMPARE(layout.WebBrowser1.width, 10770.f);
    QCOMPARE(layout.WebBrowser1.height, 9210.f);
    QCOMPARE(layout.ProgressBar1.width, 3690.f);
    QCOMPARE(layout.Command2.left, 9435.f);
    QCOMPARE(layout.Text2.width, 1155.f);
    // Nothing else moves.
    QCOMPARE(layout.Text1.left, 840.f);
    QCOMPARE(layout.Text2.left, 8160.f);
    QCOMPARE(layout.Combo1.width, 1215.f);
    QCOMPARE(layout.WebBrowser1.top, 1080.f);
}

void Form1LayoutTest::wider()
{
    Form1Layout layout;
    layout.align(12000, 10545);
    layout.Form_Resize(12000, 10545);
    QCOMPARE(layout.Text1.width, 11040.f);
    QCOMPARE(layout.Command2.left, 10665.f);
    QCOMPARE(layout.Text2.width, 2385.f);
    QCOMPARE(layout.WebBrowser1.width, 12000.f);
    QCOMPARE(layout.Toolbar1.width, 12000.f);
    QCOMPARE(layout.StatusBar1.top, 10290.f);
}

void Form1LayoutTest::tooNarrowSkipsOnlyTheStepsThatWouldGoNegative()
{
    Form1Layout layout;
    layout.Form_Resize(10770, 10545);
    layout.Form_Resize(3000, 1000);
    QCOMPARE(layout.Text1.width, 2040.f); // still fits
    QCOMPARE(layout.WebBrowser1.width, 3000.f);
    QCOMPARE(layout.WebBrowser1.height, 9210.f); // would be negative: kept
    QCOMPARE(layout.ProgressBar1.width, 3690.f); // kept
    QCOMPARE(layout.Command2.left, 1665.f);      // a position may go left of the edge
    QCOMPARE(layout.Text2.width, 1155.f);        // kept
}

void Form1LayoutTest::minimisedThenRestoredIsAsBefore()
{
    Form1Layout before;
    before.Form_Resize(10770, 10545);
    Form1Layout after = before;
    after.Form_Resize(0, 0);
    after.Form_Resize(10770, 10545);
    QCOMPARE(after.Text1.width, before.Text1.width);
    QCOMPARE(after.WebBrowser1.height, before.WebBrowser1.height);
    QCOMPARE(after.Text2.width, before.Text2.width);
    QCOMPARE(after.Command2.left, before.Command2.left);
}

ZV_TEST_MAIN(Form1LayoutTest)
#include "tst_form1layout.moc"
