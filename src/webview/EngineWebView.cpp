#include "webview/EngineWebView.h"

#include "webview/BrowserProfile.h"
#include "webview/CertificateHandler.h"
#include "webview/CrashRecovery.h"
#include "webview/DevToolsWindow.h"
#include "webview/DownloadManager.h"
#include "webview/EnginePage.h"
#include "webview/ExternalLinkHandler.h"
#include "webview/FindBar.h"
#include "webview/FullScreenHandler.h"
#include "webview/LoginHandler.h"
#include "webview/PageContextMenu.h"
#include "webview/PagePrinter.h"
#include "webview/PagePropertiesDialog.h"
#include "webview/PageSaver.h"
#include "webview/PageSetup.h"
#include "webview/PermissionHandler.h"
#include "webview/ProfileSettings.h"
#include "webview/UserAddress.h"
#include "webview/UserGestures.h"
#include "webview/WebViewSettings.h"

#include <QDir>
#include <QPointer>
#include <QVBoxLayout>
#include <QWebEngineDownloadRequest>
#include <QWebEngineLoadingInfo>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <cmath>
#include <iterator>
#include <utility>

namespace {

// Text Size levels 0 (smallest) to 4 (largest) as zoom factors of the whole page, Medium the
// page as designed. Zoom rather than the default font size: pages that set their own font
// sizes would ignore the latter.
constexpr qreal TextSizeZoom[] = {0.75, 0.9, 1.0, 1.25, 1.5};

} // namespace

EngineWebView::EngineWebView(QWidget *parent)
    : WebView(parent), m_view(new QWebEngineView(this)), m_printer(new PagePrinter(m_view))
{
    m_view->setPage(new EnginePage(BrowserProfile::shared(), m_view));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    setFocusProxy(m_view);

    QWebEnginePage *page = m_view->page();
    connect(page, &QWebEnginePage::linkHovered, this, &EngineWebView::handleLinkHovered);
    connect(page, &QWebEnginePage::loadStarted, this, &EngineWebView::handleLoadStarted);
    connect(page, &QWebEnginePage::loadProgress, this, &EngineWebView::handleLoadProgress);
    connect(page, &QWebEnginePage::loadingChanged, this, &EngineWebView::handleLoadingChanged);
    connect(page, &QWebEnginePage::newWindowRequested, this,
            &EngineWebView::handleNewWindowRequested);
    // The page's own Print button prints as the menu's Print does.
    connect(page, &QWebEnginePage::printRequested, m_printer, &PagePrinter::print);

    // What the component does on its own: prompts, downloads, crashes, full screen. A new
    // window also takes up settings edited by hand since the last one.
    ProfileSettings::apply(page->profile());
    new LoginHandler(m_view);
    new CertificateHandler(m_view);
    new PermissionHandler(m_view);
    new FullScreenHandler(m_view);
    m_crashRecovery = new CrashRecovery(m_view);
    m_externalLinks = new ExternalLinkHandler(m_view);
    connect(m_externalLinks, &ExternalLinkHandler::statusText, this, &WebView::StatusTextChange);
    connect(page->profile(), &QWebEngineProfile::downloadRequested, this,
            [this](QWebEngineDownloadRequest *download) {
                if (download->page() == m_view->page())
                    m_downloading = true;
            });
    connect(DownloadManager::of(page->profile()), &DownloadManager::statusText, this,
            [this](QWebEnginePage *from, const QString &text) {
                if (from == m_view->page())
                    emit StatusTextChange(text);
            });
    m_findBar = new FindBar(m_view, this);
    connect(m_findBar, &FindBar::statusText, this, &WebView::StatusTextChange);
    connectPageMenu();
}

void EngineWebView::connectPageMenu()
{
    auto *menu = new PageContextMenu(m_view);
    connect(menu, &PageContextMenu::addFavorite, this, &WebView::AddFavoriteRequested);
    connect(menu, &PageContextMenu::search, this, &WebView::SearchRequested);
    connect(menu, &PageContextMenu::viewSource, this, &WebView::ViewSourceRequested);
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
    m_view->back();
}

void EngineWebView::GoForward()
{
    m_view->forward();
}

void EngineWebView::Stop()
{
    m_stopped = m_view->page()->isLoading();
    m_view->stop();
}

void EngineWebView::Refresh()
{
    if (!m_crashRecovery->reload())
        m_view->reload();
}

void EngineWebView::Refresh2(int Level)
{
    if (m_crashRecovery->reload())
        return;
    if (Level == REFRESH_COMPLETELY)
        m_view->triggerPageAction(QWebEnginePage::ReloadAndBypassCache);
    else
        m_view->reload();
}

bool EngineWebView::Busy() const
{
    return m_view->page()->isLoading();
}

void EngineWebView::ShowDevTools()
{
    DevToolsWindow::showFor(m_view);
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
    open(url);
}

void EngineWebView::ExecWB(int cmdID, int cmdexecopt, const QVariant &in, QVariant *out)
{
    Q_UNUSED(cmdexecopt);
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
        if (!in.isValid() && out)
            *out = textSize();
        else if (hasPage)
            setTextSize(in);
        break;
    case OLECMDID_FIND:
        m_findBar->open();
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
    const int index = level.toInt(&ok);
    if (ok && index >= 0 && index < int(std::size(TextSizeZoom)))
        m_view->setZoomFactor(TextSizeZoom[index]);
}

int EngineWebView::textSize() const
{
    // The level nearest the page's zoom, which the engine may also have changed by itself.
    int nearest = 0;
    for (int level = 1; level < int(std::size(TextSizeZoom)); ++level) {
        if (std::abs(TextSizeZoom[level] - m_view->zoomFactor()) <
            std::abs(TextSizeZoom[nearest] - m_view->zoomFactor()))
            nearest = level;
    }
    return nearest;
}

void EngineWebView::showProperties()
{
    // The page's type comes from the page itself, later; the window may be gone by then.
    const QPointer<QWebEngineView> view(m_view);
    m_view->page()->runJavaScript(
        QStringLiteral("document.contentType"), [view](const QVariant &contentType) {
            // An empty answer: the page went first, or it runs no script.
            if (!view || !contentType.isValid())
                return;
            auto *dialog = new PagePropertiesDialog(view->title(), view->url(),
                                                    contentType.toString(), view->window());
            dialog->setAttribute(Qt::WA_DeleteOnClose);
            dialog->open();
        });
}

QString EngineWebView::LocationURL() const
{
    // Encoded, so plain ASCII: a host in punycode, a path and query percent-encoded. The list
    // files hold only what Windows-1252 can, and this text leads back to the same page.
    return QString::fromLatin1(m_view->url().toEncoded());
}

QString EngineWebView::LocationName() const
{
    return m_view->title();
}

void EngineWebView::Document(MarkupCallback innerHTML)
{
    if (m_view->url().isEmpty()) {
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
    return m_view;
}

void EngineWebView::open(const QString &text)
{
    const QUrl url = UserAddress::toUrl(text, QDir::currentPath());
    if (!url.isValid())
        return;
    // An address the person chose: what it downloads was asked for.
    UserGestures::note(m_view->page());
    m_view->load(url);
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
    emit StatusTextChange(tr("Opening page %1...").arg(m_view->url().toDisplayString()));
}

void EngineWebView::handleLoadProgress(int progress)
{
    emit ProgressChange(progress, 100);
}

void EngineWebView::handleLoadingChanged(const QWebEngineLoadingInfo &loading)
{
    if (loading.status() == QWebEngineLoadingInfo::LoadStartedStatus)
        return;
    m_showsLink = false;
    const bool stoppedByUser = std::exchange(m_stopped, false);
    // A navigation that the engine broke off before a page of its own took the place of the one
    // shown (it became a download, went to another program, or the server answered 204 No
    // Content) leaves that page as it was: no document completed. A page that took its place and
    // then stopped loading (the user's Stop, or its own script's) is a document as it stands.
    const bool tookThePlace = loading.url() == m_view->url();
    if (loading.status() == QWebEngineLoadingInfo::LoadStoppedStatus && !stoppedByUser &&
        !tookThePlace) {
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
