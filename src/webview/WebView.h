#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <QWidget>
#include <functional>
#include <optional>

// The embedded browser component of a main window: the calls and events the windows use, under
// their names. Windows talk only to this; the engine adapter and the tests' fake implement it.
class WebView : public QWidget {
    Q_OBJECT

public:
    // Command ids and execution options of ExecWB.
    enum CommandId {
        OLECMDID_SAVEAS = 4,
        OLECMDID_PRINT = 6,
        OLECMDID_PRINTPREVIEW = 7,
        OLECMDID_PAGESETUP = 8,
        OLECMDID_PROPERTIES = 10,
        OLECMDID_CUT = 11,
        OLECMDID_COPY = 12,
        OLECMDID_PASTE = 13,
        OLECMDID_SELECTALL = 17,
        OLECMDID_ZOOM = 19,
        // Find in page: the component's own find bar.
        OLECMDID_FIND = 32,
    };
    enum ExecOption {
        OLECMDEXECOPT_DODEFAULT = 0,
        OLECMDEXECOPT_DONTPROMPTUSER = 2,
    };
    // Levels of Refresh2.
    enum RefreshLevel {
        REFRESH_NORMAL = 0,
        // Everything fetched anew, nothing taken from the cache.
        REFRESH_COMPLETELY = 3,
    };

    // The markup of the document's root element, or nothing when there is no document.
    using MarkupCallback = std::function<void(std::optional<QString>)>;

    explicit WebView(QWidget *parent = nullptr);

    virtual void GoHome() = 0;
    virtual void GoBack() = 0;
    virtual void GoForward() = 0;
    virtual void Stop() = 0;
    virtual void Refresh() = 0;
    virtual void Refresh2(int Level) = 0;
    virtual void GoSearch() = 0;
    // The text exactly as the user typed or the caller built it; the component interprets it.
    virtual void Navigate(const QString &url) = 0;
    virtual void Navigate2(const QString &url) = 0;
    // OLECMDID_ZOOM with no input and an output argument reads the current text size level.
    virtual void ExecWB(int cmdID, int cmdexecopt, const QVariant &in = {},
                        QVariant *out = nullptr) = 0;
    // Whether a page is loading.
    virtual bool Busy() const = 0;
    // The page's developer tools, in a window of their own.
    virtual void ShowDevTools() = 0;
    // The web view's own settings window, centred on this view's window; its Use Current takes
    // this view's page.
    void ShowOptions();
    // What ShowOptions opens, over the view's window, told the view's address; installed with
    // the engine's side of the view at the program's start.
    using OptionsOpener = std::function<void(const QString &currentPage, QWidget *over)>;
    static void setOptionsOpener(OptionsOpener opener);

    virtual QString LocationURL() const = 0;
    virtual QString LocationName() const = 0;
    // The document's documentElement.innerHTML; delivered later, once the engine has it.
    virtual void Document(MarkupCallback innerHTML) = 0;
    // The component's own object: what a new-window request is pointed at.
    virtual QObject *Object() = 0;

    // What a window that comes back keeps: the back/forward history as the component writes it
    // (empty before the first page), taken back in place of the view's own; the component then
    // loads its current entry.
    virtual QByteArray SavedHistory() const = 0;
    virtual void RestoreHistory(const QByteArray &history) = 0;
    // The address of the load under way; empty when nothing loads.
    virtual QString LoadingURL() const = 0;
    // Whether that load has already taken the history's current entry: restoring the history
    // would ask for it again.
    virtual bool LoadingIsCurrent() const = 0;
    // Called before the first page: the view's pages run on the off-the-record profile the run's
    // private windows share, and nothing of them is kept on disk.
    virtual void OffTheRecord() = 0;

signals:
    void StatusTextChange(const QString &Text);
    void ProgressChange(int Progress, int ProgressMax);
    // Raised synchronously: the handler sets *ppDisp to the Object of the view that is to show
    // the new window; leaving it null refuses the window.
    void NewWindow2(QObject **ppDisp, bool *Cancel);
    void DocumentComplete(QObject *pDisp, const QString &URL);
    // The shown page's address changed without a document completing (a fragment, the page's own
    // history entries), or a navigation ended without replacing the page (a download, a link for
    // another program): URL is the address of the page now shown. Never raised during a load.
    void LocationChange(const QString &URL);
    // The shown page changed its own title; never raised during a load.
    void TitleChange(const QString &Text);
    // The history changed without a document completing (a same-document navigation).
    void HistoryChanged();
    // Commands of the page's context menu that belong to the window.
    void AddFavoriteRequested(const QString &URL);
    void SearchRequested(const QString &Text);
    void ViewSourceRequested();
    void PrivateWindowRequested(const QString &URL);
};
