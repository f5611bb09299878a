#pragma once

#include <QWebEnginePage>

#include "webview/Prompter.h"
#include "webview/engine/PageSilencer.h"

// A page of a main window's view. Its own dialogs (alert, confirm, prompt) go through the
// Prompter, and a page that keeps showing them can be silenced until it navigates; its own
// window.print() is the window's Print.
class EnginePage : public QWebEnginePage {
    Q_OBJECT

public:
    EnginePage(QWebEngineProfile *profile, QObject *parent);

signals:
    // A navigation of the main frame is about to start.
    void mainFrameNavigation(QWebEnginePage::NavigationType type);

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    void javaScriptAlert(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptConfirm(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptPrompt(const QUrl &securityOrigin, const QString &msg,
                          const QString &defaultValue, QString *result) override;

private:
    // The answer given; a silenced page gets the safe one at once (not accepted, no text).
    Prompter::PageAnswer ask(Prompter::PageDialog kind, const QUrl &origin, const QString &message,
                             const QString &defaultText);

    PageSilencer m_dialogs;
};
