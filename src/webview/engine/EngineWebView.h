#pragma once

#include "webview/TextSize.h"
#include "webview/WebView.h"

#include <QDateTime>
#include <QUrl>
#include <functional>
#include <vector>

class PageLifecycle;
class PagePrinter;
class CrashRecovery;
class ExternalLinkHandler;
class QWebEngineLoadingInfo;
class FindBar;
class QWebEngineNewWindowRequest;
class QWebEngineView;

// The web view on Qt WebEngine. It decides what the windows leave to the component: what typed
// text means, the home and search pages, error pages, new windows.
//
// The engine starts only after the window around the view has been painted once (or at once when
// the view is not on screen, or something needs the engine's view itself): starting it takes far
// longer than building and painting the window, and the user sees the window meanwhile. Calls
// made before are kept and run in order once the engine's view exists.
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
    QByteArray SavedHistory() const override;
    void RestoreHistory(const QByteArray &history) override;
    QString LoadingURL() const override;
    bool LoadingIsCurrent() const override;
    void OffTheRecord() override;
    ~EngineWebView() override;

    // The engine's view and its printer; the engine starts first if it has not yet.
    QWebEngineView *engineView();
    PagePrinter *printer();
    PageLifecycle *lifecycle();
    FindBar *findBar();
    bool isStarted() const { return m_view != nullptr; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void start();
    // Runs the call now, or once the engine has started.
    void whenStarted(std::function<void()> call);
    void startUnlessAwaitingPaint();
    void open(const QString &text);
    QString searchingText() const;
    void execute(int cmdID, const QVariant &in);
    void setTextSize(const QVariant &level);
    TextSize textSize() const;
    void connectPageMenu();
    void showProperties();
    void handleLinkHovered(const QString &url);
    void handleLoadStarted();
    void handleLoadProgress(int progress);
    void handleLoadingChanged(const QWebEngineLoadingInfo &loading);
    void handleUrlChanged();
    void handleTitleChanged(const QString &title);
    void handleNewWindowRequested(QWebEngineNewWindowRequest &request);
    // The history's current entry as a load starts. A navigation that put a document of its own
    // in place of the shown one changes it, even at the same address (a form posting to its own
    // address, a Refresh): a new entry, or the time the entry was last visited.
    struct ShownEntry {
        int count = 0;
        int index = 0;
        QDateTime visited;
        bool operator==(const ShownEntry &) const = default;
    };
    ShownEntry shownEntry() const;

    QWebEngineView *m_view = nullptr;
    PagePrinter *m_printer = nullptr;
    PageLifecycle *m_lifecycle = nullptr;
    CrashRecovery *m_crashRecovery = nullptr;
    ExternalLinkHandler *m_externalLinks = nullptr;
    FindBar *m_findBar = nullptr;
    std::vector<std::function<void()>> m_waiting;
    bool m_startPosted = false;
    bool m_checkPosted = false;
    // Whether the status text is a hovered link's address.
    bool m_showsLink = false;
    // What became of the load under way: the user stopped it, or it turned into a download.
    bool m_stopped = false;
    bool m_downloading = false;
    // The engine reloads a freed page as it is shown again: the document shown before, no new one.
    bool m_reloadingFreed = false;
    ShownEntry m_entryAtStart;
    // The words whose result page is on its way, until it completes.
    QString m_searchingFor;
    QUrl m_loading;
    // A history handed over before the engine started: still what the view would save.
    QByteArray m_restoring;
    bool m_private = false;
};
