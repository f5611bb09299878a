#include "support/TestMain.h"
#include "webview/DialogPrompter.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace {

// Acts on the next modal dialog as soon as it is up: the dialogs run their own event loops.
void whenDialogShows(std::function<void(QWidget *)> act)
{
    auto *timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (QWidget *dialog = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            act(dialog);
        }
    });
    timer->start();
}

void press(QWidget *dialog, Qt::Key key)
{
    QWidget *target = dialog->focusWidget() ? dialog->focusWidget() : dialog;
    QTest::keyClick(target, key);
}

} // namespace

class DialogPrompterTest : public QObject {
    Q_OBJECT

  private slots:
    void enterTakesTheSafeAnswer_data();
    void enterTakesTheSafeAnswer();
    void continuingPastACertificateErrorTakesAClick();
    void anErrorThatCannotBeOverriddenOffersNoWayOn();
    void loginGivesWhatWasTyped();
    void loginCancelledGivesNothing();

  private:
    DialogPrompter m_prompter;
};

void DialogPrompterTest::enterTakesTheSafeAnswer_data()
{
    QTest::addColumn<int>("question");
    QTest::newRow("overwrite") << 0;
    QTest::newRow("permission") << 1;
    QTest::newRow("certificate") << 2;
}

void DialogPrompterTest::enterTakesTheSafeAnswer()
{
    QFETCH(int, question);
    QString shown;
    whenDialogShows([&shown](QWidget *dialog) {
        shown = dialog->windowTitle();
        press(dialog, Qt::Key_Return);
    });
    bool answer = true;
    switch (question) {
    case 0:
        answer = m_prompter.overwrite(nullptr, "/tmp/file.txt");
        break;
    case 1:
        answer = m_prompter.allow(nullptr, "site.test", "use your camera");
        break;
    default:
        answer = m_prompter.proceedDespiteCertificateError(nullptr, "site.test", "Bad", true);
    }
    QVERIFY(!shown.isEmpty());
    QVERIFY(!answer);
}

void DialogPrompterTest::continuingPastACertificateErrorTakesAClick()
{
    QString text;
    whenDialogShows([&text](QWidget *dialog) {
        for (const QLabel *label : dialog->findChildren<QLabel *>())
            text += label->text();
        dialog->findChild<QPushButton *>("continue")->click();
    });
    QVERIFY(m_prompter.proceedDespiteCertificateError(nullptr, "site.test:8443",
                                                      "The authority is unknown.", true));
    QVERIFY(text.contains("site.test:8443"));
    QVERIFY(text.contains("The authority is unknown."));
}

void DialogPrompterTest::anErrorThatCannotBeOverriddenOffersNoWayOn()
{
    bool offered = true;
    whenDialogShows([&offered](QWidget *dialog) {
        offered = dialog->findChild<QPushButton *>("continue") != nullptr;
        press(dialog, Qt::Key_Return);
    });
    QVERIFY(!m_prompter.proceedDespiteCertificateError(nullptr, "site.test", "Revoked", false));
    QVERIFY(!offered);
}

void DialogPrompterTest::loginGivesWhatWasTyped()
{
    QString text;
    whenDialogShows([&text](QWidget *dialog) {
        for (const QLabel *label : dialog->findChildren<QLabel *>())
            text += label->text();
        QTest::keyClicks(dialog->findChild<QLineEdit *>("user"), "ann");
        QTest::keyClicks(dialog->findChild<QLineEdit *>("password"), "p w,d");
        press(dialog, Qt::Key_Return);
    });
    const std::optional<Prompter::Login> login =
        m_prompter.login(nullptr, "site.test", "<b>Staff</b>", false);
    QVERIFY(login);
    QCOMPARE(login->user, QString("ann"));
    QCOMPARE(login->password, QString("p w,d"));
    QVERIFY(text.contains("site.test"));
    QVERIFY(text.contains("\"<b>Staff</b>\""));
}

void DialogPrompterTest::loginCancelledGivesNothing()
{
    whenDialogShows([](QWidget *dialog) {
        QTest::keyClicks(dialog->findChild<QLineEdit *>("user"), "ann");
        press(dialog, Qt::Key_Escape);
    });
    QVERIFY(!m_prompter.login(nullptr, "proxy.test", QString(), true));
}

ZV_TEST_MAIN(DialogPrompterTest)
#include "tst_dialogprompter.moc"
