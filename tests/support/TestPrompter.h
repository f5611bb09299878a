#pragma once

#include "webview/Prompter.h"

#include <QStringList>
#include <functional>

// Answers the web view's questions with canned answers while it exists, and notes each question
// as a line of text ("login 127.0.0.1:8080 Realm", "overwrite /tmp/x/file.txt", ...).
class TestPrompter : public Prompter {
public:
    TestPrompter();
    ~TestPrompter() override;
    TestPrompter(const TestPrompter &) = delete;
    TestPrompter &operator=(const TestPrompter &) = delete;

    QString saveAs(QWidget *parent, const QString &suggestedPath) override;
    bool overwrite(QWidget *parent, const QString &path) override;
    std::optional<Login> login(QWidget *parent, const QString &site, const QString &realm,
                               bool proxy) override;
    bool proceedDespiteCertificateError(QWidget *parent, const QString &host, const QString &error,
                                        bool overridable) override;
    bool allow(QWidget *parent, const QString &site, const QString &what) override;
    bool openInOtherProgram(QWidget *parent, const QString &site, const QString &scheme) override;
    PageAnswer pageDialog(QWidget *parent, PageDialog kind, const QString &site,
                          const QString &message, const QString &defaultText,
                          bool offerToStop) override;
    bool allowDownloads(QWidget *parent, const QString &site) override;

    QStringList asked;
    // Taken one per question, in order; when none are left the question is cancelled.
    QStringList saveAsAnswers;
    QList<Login> loginAnswers;
    bool overwriteAnswer = false;
    bool certificateAnswer = false;
    bool allowAnswer = false;
    bool otherProgramAnswer = false;
    bool downloadsAnswer = false;
    // A page dialog is answered OK with the suggested text; the box to stop the page's dialogs
    // is ticked from the nth time it is offered on (0: never).
    int stopDialogsWhenOffered = 0;
    int dialogsOffered = 0;
    // Runs while a page dialog is "up", before it is answered.
    std::function<void()> duringPageDialog;
    // Runs while the question about downloads without a click is "up", before it is answered.
    std::function<void()> duringDownloadsQuestion;
};
