#include "support/ModalDialogs.h"
#include "support/TestMain.h"
#include "webview/ui/DialogPrompter.h"

#include <QDialog>
#include <QPushButton>
#include <QTimer>

class DialogPrompterTest : public QObject {
    Q_OBJECT

private slots:
    void enterTakesTheSafeAnswer_data();
    void enterTakesTheSafeAnswer();

private:
    DialogPrompter m_prompter;
};

void DialogPrompterTest::enterTakesTheSafeAnswer_data()
{
    QTest::addColumn<std::function<bool(Prompter &)>>("ask");
    QTest::addColumn<bool>("canContinue");
    QTest::newRow("overwrite") << std::function([](Prompter &p) {
        return p.overwrite(nullptr, "/tmp/file.txt");
    }) << false;
    QTest::newRow("permission") << std::function([](Prompter &p) {
        return p.allow(nullptr, "site.test", "use your camera");
    }) << false;
    QTest::newRow("link for another program") << std::function([](Prompter &p) {
        return p.openInOtherProgram(nullptr, "site.test", "mailto");
    }) << false;
    QTest::newRow("certificate") << std::function([](Prompter &p) {
        return p.proceedDespiteCertificateError(nullptr, "site.test", "Unknown authority", true);
    }) << true;
    QTest::newRow("downloads without a click")
        << std::function([](Prompter &p) { return p.allowDownloads(nullptr, "site.test"); })
        << false;
    QTest::newRow("final certificate error") << std::function([](Prompter &p) {
        return p.proceedDespiteCertificateError(nullptr, "site.test", "Revoked", false);
    }) << false;
}

void DialogPrompterTest::enterTakesTheSafeAnswer()
{
    QFETCH(std::function<bool(Prompter &)>, ask);
    QFETCH(bool, canContinue);
    bool shown = false;
    bool continueOffered = false;
    const auto answer = [&](QWidget *dialog) {
        shown = true;
        continueOffered = dialog->findChild<QPushButton *>("continue") != nullptr;
        QTest::keyClick(dialog->focusWidget() ? dialog->focusWidget() : dialog, Qt::Key_Return);
    };
    const QPointer<QTimer> modal = answerNextModalDialog(answer);
    // A question a page raises leaves its window usable: not modal, but in front and active.
    QTimer inFront;
    connect(&inFront, &QTimer::timeout, [&] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeWindow());
        if (dialog && dialog->isVisible() && !shown) {
            delete modal;
            answer(dialog);
        }
    });
    inFront.start(10);
    QVERIFY(!ask(m_prompter));
    QVERIFY(shown);
    QCOMPARE(continueOffered, canContinue);
}

ZV_TEST_MAIN(DialogPrompterTest)
#include "tst_dialogprompter.moc"
