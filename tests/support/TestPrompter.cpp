#include "support/TestPrompter.h"

TestPrompter::TestPrompter()
{
    Prompter::install(this);
}

TestPrompter::~TestPrompter()
{
    Prompter::install(nullptr);
}

QString TestPrompter::saveAs(QWidget *, const QString &suggestedPath)
{
    asked.append(QStringLiteral("saveAs ") + suggestedPath);
    return saveAsAnswers.isEmpty() ? QString() : saveAsAnswers.takeFirst();
}

bool TestPrompter::overwrite(QWidget *, const QString &path)
{
    asked.append(QStringLiteral("overwrite ") + path);
    return overwriteAnswer;
}

std::optional<Prompter::Login> TestPrompter::login(QWidget *, const QString &site,
                                                   const QString &realm, bool proxy)
{
    asked.append(QStringLiteral("%1 %2 %3").arg(proxy ? "proxyLogin" : "login", site, realm));
    if (loginAnswers.isEmpty())
        return std::nullopt;
    return loginAnswers.takeFirst();
}

bool TestPrompter::proceedDespiteCertificateError(QWidget *, const QString &host, const QString &,
                                                  bool overridable)
{
    asked.append(
        QStringLiteral("certificate %1 %2").arg(host, overridable ? "overridable" : "final"));
    return certificateAnswer;
}

bool TestPrompter::allow(QWidget *, const QString &site, const QString &what)
{
    asked.append(QStringLiteral("allow %1 %2").arg(site, what));
    return allowAnswer;
}

bool TestPrompter::openInOtherProgram(QWidget *, const QString &site, const QString &scheme)
{
    asked.append(QStringLiteral("otherProgram %1 %2").arg(site, scheme));
    return otherProgramAnswer;
}

Prompter::PageAnswer TestPrompter::pageDialog(QWidget *, PageDialog kind, const QString &site,
                                              const QString &message, const QString &defaultText,
                                              bool offerToStop)
{
    const char *name = kind == PageDialog::Alert     ? "alert"
                       : kind == PageDialog::Confirm ? "confirm"
                                                     : "prompt";
    asked.append(
        QStringLiteral("%1 %2 %3%4").arg(name, site, message, offerToStop ? " (may stop)" : ""));
    if (duringPageDialog)
        duringPageDialog();
    const bool stop =
        offerToStop && stopDialogsWhenOffered > 0 && ++dialogsOffered >= stopDialogsWhenOffered;
    return {true, defaultText, stop};
}

bool TestPrompter::allowDownloads(QWidget *, const QString &site)
{
    asked.append(QStringLiteral("downloads ") + site);
    if (duringDownloadsQuestion)
        duringDownloadsQuestion();
    return downloadsAnswer;
}
