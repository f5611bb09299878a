#include "webview/engine/EnginePage.h"

#include "webview/SiteName.h"
#include "webview/engine/PageBackground.h"
#include "webview/engine/SpellDictionaries.h"
#include "webview/ui/PageDialogLoop.h"

#include <QPointer>
#include <QWebEngineView>

EnginePage::EnginePage(QWebEngineProfile *profile, QObject *parent)
    : QWebEnginePage(profile, parent)
{
    // A new document may show dialogs again.
    connect(this, &QWebEnginePage::loadStarted, this, [this] { m_dialogs.reset(); });
    PageBackground::follow(this);
    SpellDictionaries::prepareAfterFirstPage(this);
}

bool EnginePage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame)
{
    if (isMainFrame)
        emit mainFrameNavigation(type);
    return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
}

void EnginePage::javaScriptAlert(const QUrl &securityOrigin, const QString &msg)
{
    ask(Prompter::PageDialog::Alert, securityOrigin, msg, {});
}

bool EnginePage::javaScriptConfirm(const QUrl &securityOrigin, const QString &msg)
{
    return ask(Prompter::PageDialog::Confirm, securityOrigin, msg, {}).accepted;
}

bool EnginePage::javaScriptPrompt(const QUrl &securityOrigin, const QString &msg,
                                  const QString &defaultValue, QString *result)
{
    const Prompter::PageAnswer answer =
        ask(Prompter::PageDialog::Prompt, securityOrigin, msg, defaultValue);
    if (answer.accepted && result)
        *result = answer.text;
    return answer.accepted;
}

Prompter::PageAnswer EnginePage::ask(Prompter::PageDialog kind, const QUrl &origin,
                                     const QString &message, const QString &defaultText)
{
    const QPointer<QWidget> view = QWebEngineView::forPage(this);
    if (m_dialogs.isSilenced() || PageDialogLoop::isClosed(view))
        return {};
    const bool offerToStop = m_dialogs.offersToStop();
    // The page and its window may go while the dialog is up (the window closed).
    const QPointer<EnginePage> self(this);
    const Prompter::PageAnswer answer =
        Prompter::current().pageDialog(view, kind, SiteName::of(origin.isEmpty() ? url() : origin),
                                       message, defaultText, offerToStop);
    if (!self)
        return {};
    m_dialogs.answered(offerToStop, answer.stopDialogs);
    return answer;
}
