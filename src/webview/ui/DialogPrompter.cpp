#include "webview/ui/DialogPrompter.h"

#include "webview/ui/CertificateErrorDialog.h"
#include "webview/ui/DownloadsQuestion.h"
#include "webview/ui/LoginDialog.h"
#include "webview/ui/ScriptDialog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

namespace {
QString tr(const char *text)
{
    return QCoreApplication::translate("DialogPrompter", text);
}

bool yes(QWidget *parent, const QString &title, const QString &question)
{
    return QMessageBox::question(parent, title, question, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}
} // namespace

QString DialogPrompter::saveAs(QWidget *parent, const QString &suggestedPath)
{
    // Overwriting is asked separately, the same way for every path.
    return QFileDialog::getSaveFileName(parent, tr("Save File"), suggestedPath, QString(), nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}

bool DialogPrompter::overwrite(QWidget *parent, const QString &path)
{
    return yes(
        parent, tr("Save File"),
        tr("%1 already exists.\nDo you want to replace it?").arg(QDir::toNativeSeparators(path)));
}

std::optional<Prompter::Login> DialogPrompter::login(QWidget *parent, const QString &site,
                                                     const QString &realm, bool proxy)
{
    LoginDialog dialog(site, realm, proxy, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return Login{dialog.user(), dialog.password()};
}

bool DialogPrompter::proceedDespiteCertificateError(QWidget *parent, const QString &host,
                                                    const QString &error, bool overridable)
{
    CertificateErrorDialog dialog(host, error, overridable, parent);
    return dialog.exec() == QDialog::Accepted && overridable;
}

bool DialogPrompter::allow(QWidget *parent, const QString &site, const QString &what)
{
    return yes(parent, tr("Permission"), tr("%1 wants to %2.\nDo you allow it?").arg(site, what));
}

bool DialogPrompter::openInOtherProgram(QWidget *parent, const QString &site, const QString &scheme)
{
    return yes(parent, tr("Open in Another Program"),
               tr("A link on %1 asks to be opened by another program on this computer.\n"
                  "Open this %2: link in another program?")
                   .arg(site, scheme));
}

Prompter::PageAnswer DialogPrompter::pageDialog(QWidget *parent, PageDialog kind,
                                                const QString &site, const QString &message,
                                                const QString &defaultText, bool offerToStop)
{
    return ScriptDialog::ask(parent, kind, site, message, defaultText, offerToStop);
}

bool DialogPrompter::allowDownloads(QWidget *parent, const QString &site)
{
    return DownloadsQuestion::ask(parent, site);
}
