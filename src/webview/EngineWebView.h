#pragma once

#include "webview/WebView.h"

class PagePrinter;
class CrashRecovery;
class ExternalLinkHandler;
class QWebEngineLoadingInfo;
class FindBar;
class QWebEngineNewWindowRequest;
class QWebEngineView;

// The web view on Qt WebEngine. It decides what the windows leave to the component: what typed
// text means, the home and search pages, error pages, new windows.
class EngineWebView : public WebView {
    Q_OBJECT

public:
    explicit EngineWebView(QWidget *parent = nullptr);

    void GoHome() override;
    void GoBack() override;
    void GoForward() override;
    void Stop() override;
    void Refresh() override;
    void Refresh2(int Level) override;
    void GoSearch() override;
    void Navigate(const QString &url) override;
    void Navigate2(const QString &url) override;
    void ExecWB(int cmdID, int cmdexecopt, const QVariant &in = {},
                QVariant *out = nullptr) override;
    bool Busy() const override;
    void ShowDevTools() override;

    QString LocationURL() const override;
    QString LocationName() const override;
    void Document(MarkupCallback innerHTML) override;
    QObject *Object() override;

    QWebEngineView *engineView() const { return m_view; }
    PagePrinter *printer() const { return m_printer; }
    FindBar *findBar() const { return m_findBar; }

private:
    void open(const QString &text);
    void setTextSize(const QVariant &level);
    int textSize() const;
    void connectPageMenu();
    void showProperties();
    void handleLinkHovered(const QString &url);
    void handleLoadStarted();
    void handleLoadProgress(int progress);
    void handleLoadingChanged(const QWebEngineLoadingInfo &loading);
    void handleNewWindowRequested(QWebEngineNewWindowRequest &request);

    QWebEngineView *m_view;
    PagePrinter *m_printer;
    CrashRecovery *m_crashRecovery;
    ExternalLinkHandler *m_externalLinks;
    FindBar *m_findBar;
    // Whether the status text is a hovered link's address.
    bool m_showsLink = false;
    // What became of the load under way: the user stopped it, or it turned into a download.
    bool m_stopped = false;
    bool m_downloading = false;
};
