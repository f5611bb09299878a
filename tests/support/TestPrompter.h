#pragma once

#include "webview/Prompter.h"

#include <QStringList>

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

    QStringList asked;
    // Taken one per question, in order; when none are left the question is cancelled.
    QStringList saveAsAnswers;
    QList<Login> loginAnswers;
    bool overwriteAnswer = false;
    bool certificateAnswer = false;
    bool allowAnswer = false;
    bool otherProgramAnswer = false;
};
