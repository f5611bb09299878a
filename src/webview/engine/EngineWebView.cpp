#include "webview/engine/EngineWebView.h"

#include "webview/RenderingChoice.h"
#include "webview/TextSize.h"
#include "webview/TypedText.h"
#include "webview/UserAddress.h"
#include "webview/WebViewSettings.h"
#include "webview/engine/BrowserProfile.h"
#include "webview/engine/CertificateHandler.h"
#include "webview/engine/CrashRecovery.h"
#include "webview/engine/DownloadManager.h"
#include "webview/engine/EnginePage.h"
#include "webview/engine/ExternalLinkHandler.h"
#include "webview/engine/FullScreenHandler.h"
#include "webview/engine/LoginHandler.h"
#include "webview/engine/PageLifecycle.h"
#include "webview/engine/PagePrinter.h"
#include "webview/engine/PageSaver.h"
#include "webview/engine/PermissionHandler.h"
#include "webview/engine/ProfileSettings.h"
#include "webview/engine/SpellDictionaries.h"
#include "webview/engine/UserGestures.h"
#include "webview/ui/DevToolsWindow.h"
#include "webview/ui/FindBar.h"
#include "webview/ui/PageContextMenu.h"
#include "webview/ui/PagePropertiesDialog.h"
#include "webview/ui/PageSetup.h"

#include <QDataStream>
#include <QDir>
#include <QPainter>
#include <QPointer>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineDownloadRequest>
#include <QWebEngineHistory>
#include <QWebEngineLoadingInfo>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <cmath>
#include <iterator>
#include <utility>

namespace {

// Text Size levels, Smallest to Largest, as zoom factors of the whole page, Medium the page as
// designed. Zoom rather than the default font size: pages that set their own font sizes would
// ignore the latter.
constexpr qreal TextSizeZoom[] = {0.75, 0.9, 1.0, 1.25, 1.5};
static_assert(std::size(TextSizeZoom) == std::size_t(TextSize::Largest) + 1);

} // namespace

EngineWebView::EngineWebView(QWidget *parent) : WebView(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
}

EngineWebView::~EngineWebView()
{
    // The profile goes later, after the page.
    if (m_private)
        BrowserProfile::letGoPrivate();
}

bool EngineWebView::LoadingIsCurrent() const
{
    // A load that has put its document in place of the shown one has an entry of its own, or
    // has made the shown entry its own.
    return Busy() && shownEntry() != m_entryAtStart;
}

void EngineWebView::OffTheRecord()
{
    if (m_private || m_view)
        return;
    m_private = true;
    BrowserProfile::holdPrivate();
}

QWebEngineView *EngineWebView::engineView()
{
    start();
    return m_view;
}

PagePrinter *EngineWebView::printer()
{
    start();
    return m_printer;
}

void EngineWebView::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event);
    if (m_view)
        return;
    // Until the engine's view covers it: an empty page.
    QPainter(this).fillRect(rect(), Qt::white);
    // Started once this paint is on screen: queued behind it.
    if (!m_startPosted) {
        m_startPosted = true;
        QMetaObject::invokeMethod(this, &EngineWebView::start, Qt::QueuedConnection);
    }
}

void EngineWebView::whenStarted(std::function<void()> call)
{
    if (m_view) {
        call();
        return;
    }
    m_waiting.push_back(std::move(call));
    // Looked at once the caller is done: a window shown right after its load waits for its
    // first paint; a view that is not on screen then has none to wait for.
    if (!m_checkPosted) {
        m_checkPosted = true;
        QMetaObject::invokeMethod(this, &EngineWebView::startUnlessAwaitingPaint,
                                  Qt::QueuedConnection);
    }
}

void EngineWebView::startUnlessAwaitingPaint()
{
    if (m_view)
        return;
    if (!isVisible()) {
        start();
        return;
    }
    // A window that is shown but never drawn (minimised, on another desktop) still loads.
    QTimer::singleShot(1000, this, &EngineWebView::start);
}

PageLifecycle *EngineWebView::lifecycle()
{
    start();
    return m_lifecycle;
}

FindBar *EngineWebView::findBar()
{
    start();
    if (!m_findBar) {
        m_findBar = new FindBar(m_view, this);
        connect(m_findBar, &FindBar::statusText, this, &WebView::StatusTextChange);
    }
    return m_findBar;
}

void EngineWebView::start()
{
    if (m_view)
        return;
    RenderingChoice::beforeFirstView();
    // The page, of the shared profile, before the view is ever shown: a view shown without a
    // page makes one of its own, on Qt's default profile.
    m_view = new QWebEngineView(this);
    auto *enginePage = new EnginePage(
        m_private ? BrowserProfile::privateProfile() : BrowserProfile::shared(), m_view);
    m_view->setPage(enginePage);
    m_printer = new PagePrinter(m_view);
    m_lifecycle = new PageLifecycle(m_view, m_printer, window());
    connect(enginePage, &EnginePage::mainFrameNavigation, m_lifecycle,
            &PageLifecycle::noteNavigation);
    connect(m_lifecycle, &PageLifecycle::reloadingFreedPage, this,
            [this] { m_reloadingFreed = true; });

    QWebEnginePage *page = m_view->page();
    connect(page, &QWebEnginePage::linkHovered, this, &EngineWebView::handleLinkHovered);
    connect(page, &QWebEnginePage::loadStarted, this, &EngineWebView::handleLoadStarted);
    connect(page, &QWebEnginePage::loadProgress, this, &EngineWebView::handleLoadProgress);
    connect(page, &QWebEnginePage::loadingChanged, this, &EngineWebView::handleLoadingChanged);
    connect(page, &QWebEnginePage::urlChanged, this, &EngineWebView::handleUrlChanged);
    connect(page, &QWebEnginePage::titleChanged, this, &EngineWebView::handleTitleChanged);
    connect(page, &QWebEnginePage::newWindowRequested, this,
            &EngineWebView::handleNewWindowRequested);
    // A same-document navigation changes the history without a load.
    connect(page, &QWebEnginePage::urlChanged, this, &WebView::HistoryChanged);
    // The page's own Print button prints as the menu's Print does, unless it asks in a loop.
    connect(page, &QWebEnginePage::printRequested, m_printer, &PagePrinter::printForPage);

    // What the component does on its own: prompts, downloads, crashes, full screen. A new
    // window also takes up settings edited by hand since the last one.
    ProfileSettings::apply(page->profile());
    new LoginHandler(m_view);
    new CertificateHandler(m_view);
    connect(new PermissionHandler(m_view), &PermissionHandler::granted, m_lifecycle,
            &PageLifecycle::noteGranted);
    new FullScreenHandler(m_view);
    m_crashRecovery = new CrashRecovery(m_view);
    m_externalLinks = new ExternalLinkHandler(m_view);
    connect(m_externalLinks, &ExternalLinkHandler::statusText, this, &WebView::StatusTextChange);
    connect(page->profile(), &QWebEngineProfile::downloadRequested, this,
            [this](QWebEngineDownloadRequest *download) {
                if (DownloadManager::pageOf(download) != m_view->page())
                    return;
                m_downloading = true;
                m_lifecycle->noteDownload(download);
            });
    connect(DownloadManager::of(page->profile()), &DownloadManager::statusText, this,
            [this](QWebEnginePage *from, const QString &text) {
                if (from == m_view->page())
                    emit StatusTextChange(text);
            });
    FindBar::addKeys(this, [this] { return findBar(); });
    connectPageMenu();

    // The page's request leaves before the view's first frame is made.
    const std::vector<std::function<void()>> waiting = std::move(m_waiting);
    m_waiting.clear();
    for (const std::function<void()> &call : waiting)
        call();

    setFocusProxy(m_view);
    layout()->addWidget(m_view);
    m_view->show();
    // An active window that found nothing to focus when it was shown gives it to the page, as
    // it would have with the engine's view there.
    if (isVisible() && window()->isActiveWindow() && !window()->focusWidget())
        m_view->setFocus();
}

void EngineWebView::connectPageMenu()
{
    auto *menu = new PageContextMenu(m_view);
    connect(menu, &PageContextMenu::addFavorite, this, &WebView::AddFavoriteRequested);
    connect(menu, &PageContextMenu::search, this, &WebView::SearchRequested);
    connect(menu, &PageContextMenu::viewSource, this, &WebView::ViewSourceRequested);
    connect(menu, &PageContextMenu::openInPrivateWindow, this, &WebView::PrivateWindowRequested);
    connect(menu, &PageContextMenu::addWord, this, &SpellDictionaries::addWord);
    connect(menu, &PageContextMenu::inspect, this, [this] {
        // The element under the menu: the tools must be attached before the engine is asked.
        ShowDevTools();
        m_view->triggerPageAction(QWebEnginePage::InspectElement);
    });
}

void EngineWebView::GoHome()
{
    open(WebViewSettings::homePage());
}

void EngineWebView::GoBack()
{
    whenStarted([this] { m_view->back(); });
}

void EngineWebView::GoForward()
{
    whenStarted([this] { m_view->forward(); });
}

void EngineWebView::Stop()
{
    m_searchingFor.clear();
    whenStarted([this] {
        m_stopped = m_view->page()->isLoading();
        m_view->stop();
    });
}

void EngineWebView::Refresh()
{
    Refresh2(REFRESH_NORMAL);
}

void EngineWebView::Refresh2(int Level)
{
    whenStarted([this, Level] {
        if (m_crashRecovery->reload())
            return;
        if (Level == REFRESH_COMPLETELY)
            m_view->triggerPageAction(QWebEnginePage::ReloadAndBypassCache);
        else
            m_view->reload();
    });
}

bool EngineWebView::Busy() const
{
    return m_view && m_view->page()->isLoading();
}

void EngineWebView::ShowDevTools()
{
    whenStarted([this] { DevToolsWindow::showFor(m_view); });
}

void EngineWebView::GoSearch()
{
    open(WebViewSettings::searchPage());
}

void EngineWebView::Navigate(const QString &url)
{
    open(url);
}

void EngineWebView::Navigate2(const QString &url)
{
    // Typed words are looked up; the status says so until their result page completes.
    const std::optional<QString> words = TypedText::words(url);
    if (!words) {
        open(url);
        return;
    }
    open(TypedText::searchAddress(*words));
    m_searchingFor = *words;
    emit StatusTextChange(searchingText());
}

QString EngineWebView::searchingText() const
{
    return tr("Searching the web for '%1'").arg(m_searchingFor);
}

void EngineWebView::ExecWB(int cmdID, int cmdexecopt, const QVariant &in, QVariant *out)
{
    Q_UNUSED(cmdexecopt);
    // Asked for the Text Size level: answered at once, Medium before the engine has a page.
    if (cmdID == OLECMDID_ZOOM && !in.isValid()) {
        if (out)
            *out = qint32(m_view ? textSize() : TextSize::Medium);
        return;
    }
    whenStarted([this, cmdID, in] { execute(cmdID, in); });
}

void EngineWebView::execute(int cmdID, const QVariant &in)
{
    // Without a page, page commands change nothing and show nothing.
    const bool hasPage = !m_view->url().isEmpty();
    switch (cmdID) {
    case OLECMDID_SAVEAS:
        if (hasPage)
            PageSaver::saveAs(m_view);
        break;
    case OLECMDID_PAGESETUP:
        // The window's own printer keeps the choice for its later prints.
        if (hasPage)
            PageSetup::exec(m_printer->printer(), window());
        break;
    case OLECMDID_PROPERTIES:
        if (hasPage)
            showProperties();
        break;
    case OLECMDID_ZOOM:
        if (hasPage)
            setTextSize(in);
        break;
    case OLECMDID_FIND:
        findBar()->open();
        break;
    case OLECMDID_CUT:
        m_view->triggerPageAction(QWebEnginePage::Cut);
        break;
    case OLECMDID_COPY:
        m_view->triggerPageAction(QWebEnginePage::Copy);
        break;
    case OLECMDID_PASTE:
        m_view->triggerPageAction(QWebEnginePage::Paste);
        break;
    case OLECMDID_SELECTALL:
        m_view->triggerPageAction(QWebEnginePage::SelectAll);
        break;
    case OLECMDID_PRINT:
        m_printer->print();
        break;
    case OLECMDID_PRINTPREVIEW:
        m_printer->preview();
        break;
    default:
        // A command the view does not offer changes nothing.
        break;
    }
}

void EngineWebView::setTextSize(const QVariant &level)
{
    bool ok = false;
    const std::optional<TextSize> size = TextSizes::fromNumber(level.toInt(&ok));
    if (ok && size)
        m_view->setZoomFactor(TextSizeZoom[int(*size)]);
}

TextSize EngineWebView::textSize() const
{
    // The level nearest the page's zoom, which the engine may also have changed by itself.
    int nearest = 0;
    for (int level = 1; level < int(std::size(TextSizeZoom)); ++level) {
        if (std::abs(TextSizeZoom[level] - m_view->zoomFactor()) <
            std::abs(TextSizeZoom[nearest] - m_view->zoomFactor()))
            nearest = level;
    }
    return TextSize(nearest);
}

void EngineWebView::showProperties()
{
    // The page's type comes from the page itself, later; the window may be gone by then.
    const QPointer<QWebEngineView> view(m_view);
    const QPointer<PageLifecycle> lifecycle(m_lifecycle);
    m_view->page()->runJavaScript(
        QStringLiteral("document.contentType"), [view, lifecycle](const QVariant &contentType) {
            // An empty answer: the page went first, or it runs no script.
            if (!view || !lifecycle || !contentType.isValid())
                return;
            const qint64 pid = view->page()->renderProcessPid();
            auto *dialog = new PagePropertiesDialog(
                view->title(), view->url(), contentType.toString(),
                PagePropertiesDialog::memoryText(pid, PageLifecycle::proportionalSetSize(pid)),
                lifecycle->stateName(), view->window());
            dialog->setAttribute(Qt::WA_DeleteOnClose);
            dialog->open();
        });
}

QString EngineWebView::LocationURL() const
{
    // Encoded, so plain ASCII: a host in punycode, a path and query percent-encoded. The list
    // files hold only what Windows-1252 can, and this text leads back to the same page.
    return m_view ? QString::fromLatin1(m_view->url().toEncoded()) : QString();
}

QString EngineWebView::LocationName() const
{
    return m_view ? m_view->title() : QString();
}

void EngineWebView::Document(MarkupCallback innerHTML)
{
    if (!m_view || m_view->url().isEmpty()) {
        innerHTML(std::nullopt);
        return;
    }
    // The engine answers later; if the page goes first, the answer is an empty variant.
    m_view->page()->runJavaScript(
        QStringLiteral("document.documentElement ? document.documentElement.innerHTML : null"),
        [innerHTML](const QVariant &markup) {
            if (markup.isNull() || !markup.isValid())
                innerHTML(std::nullopt);
            else
                innerHTML(markup.toString());
        });
}

QObject *EngineWebView::Object()
{
    // A page asking for a window is answered at once: the new window's engine starts now.
    return engineView();
}

namespace {
// Fixed, so what one version writes the next one reads.
constexpr QDataStream::Version HistoryStreamVersion = QDataStream::Qt_6_4;
} // namespace

QByteArray EngineWebView::SavedHistory() const
{
    if (!m_view || !m_restoring.isEmpty())
        return m_restoring;
    QByteArray saved;
    QDataStream stream(&saved, QIODevice::WriteOnly);
    stream.setVersion(HistoryStreamVersion);
    stream << *m_view->history();
    return m_view->history()->count() > 0 ? saved : QByteArray();
}

void EngineWebView::RestoreHistory(const QByteArray &history)
{
    m_restoring = history;
    whenStarted([this, history] {
        m_restoring.clear();
        QDataStream stream(history);
        stream.setVersion(HistoryStreamVersion);
        stream >> *m_view->history();
    });
}

QString EngineWebView::LoadingURL() const
{
    return Busy() ? QString::fromLatin1(m_loading.toEncoded()) : QString();
}

void EngineWebView::open(const QString &text)
{
    m_searchingFor.clear();
    // Read now: the address as the user's settings and folder give it at the call.
    const QUrl url = UserAddress::toUrl(text, QDir::currentPath());
    if (!url.isValid())
        return;
    whenStarted([this, url] {
        // An address the person chose: what it downloads was asked for.
        UserGestures::note(m_view->page());
        m_view->load(url);
    });
}

void EngineWebView::handleLinkHovered(const QString &url)
{
    // The engine also reports "no link" when none was shown, as each page loads; passed on, it
    // would wipe the load's status text and repaint the window for nothing.
    if (url.isEmpty() && !m_showsLink)
        return;
    m_showsLink = !url.isEmpty();
    emit StatusTextChange(url);
}

void EngineWebView::handleLoadStarted()
{
    m_showsLink = false;
    m_stopped = false;
    m_downloading = false;
    m_entryAtStart = shownEntry();
    if (!m_searchingFor.isEmpty())
        emit StatusTextChange(searchingText());
    else
        emit StatusTextChange(tr("Opening page %1...").arg(m_view->url().toDisplayString()));
}

void EngineWebView::handleLoadProgress(int progress)
{
    emit ProgressChange(progress, 100);
}

void EngineWebView::handleLoadingChanged(const QWebEngineLoadingInfo &loading)
{
    if (loading.status() == QWebEngineLoadingInfo::LoadStartedStatus) {
        m_loading = loading.url();
        return;
    }
    m_showsLink = false;
    // The end of the search's own load, not of one it took the place of.
    if (loading.url().host() == QUrl(TypedText::searchAddress(m_searchingFor)).host())
        m_searchingFor.clear();
    const bool stoppedByUser = std::exchange(m_stopped, false);
    // The page as it was before its process was freed: its address, caption and history entry
    // stay as they were.
    if (std::exchange(m_reloadingFreed, false)) {
        emit StatusTextChange(tr("Done"));
        return;
    }
    // A navigation that the engine broke off before a page of its own took the place of the one
    // shown (it became a download, went to another program, or the server answered 204 No
    // Content) leaves that page as it was: no document completed. A page that took its place and
    // then stopped loading (the user's Stop, or its own script's) is a document as it stands.
    // At the shown page's own address only the history tells whether a document came.
    const bool tookThePlace = loading.url() == m_view->url() && shownEntry() != m_entryAtStart;
    if (loading.status() == QWebEngineLoadingInfo::LoadStoppedStatus && !stoppedByUser &&
        !tookThePlace) {
        // The box that showed the requested address goes back to the page still shown.
        emit LocationChange(LocationURL());
        // A download tells its own progress in the status bar, a clicked link for another
        // program what became of it.
        if (m_downloading || m_externalLinks->isAsking(loading.url()))
            return;
        if (ExternalLinkHandler::isExternal(loading.url()))
            emit StatusTextChange(
                tr("Not opened: links for other programs open only when clicked"));
        else
            emit StatusTextChange(tr("Nothing to show at %1").arg(loading.url().toDisplayString()));
        return;
    }
    // A failed load still completes a document: the engine's error page at the requested address.
    const bool ok = loading.status() == QWebEngineLoadingInfo::LoadSucceededStatus;
    emit StatusTextChange(ok ? tr("Done")
                             : tr("Could not open %1").arg(m_view->url().toDisplayString()));
    emit DocumentComplete(m_view, LocationURL());
}

EngineWebView::ShownEntry EngineWebView::shownEntry() const
{
    const QWebEngineHistory *history = m_view->history();
    return {history->count(), history->currentItemIndex(), history->currentItem().lastVisited()};
}

void EngineWebView::handleUrlChanged()
{
    // During a load the address is the one asked for, told with the document once it completes;
    // outside one it changed within the shown document.
    if (!m_view->page()->isLoading())
        emit LocationChange(LocationURL());
}

void EngineWebView::handleTitleChanged(const QString &title)
{
    if (!m_view->page()->isLoading())
        emit TitleChange(title);
}

void EngineWebView::handleNewWindowRequested(QWebEngineNewWindowRequest &request)
{
    // Only windows the user asked for (a click or a key); a script alone opens none unless the
    // settings allow it.
    if (!request.isUserInitiated() && !WebViewSettings::popupsWithoutClick())
        return;
    QObject *target = nullptr;
    bool cancel = false;
    emit NewWindow2(&target, &cancel);
    auto *view = qobject_cast<QWebEngineView *>(target);
    if (!cancel && view)
        request.openIn(view->page());
}
