#include "main_window/Form1.h"

#include "about/Form2.h"
#include "common/Product.h"
#include "lists/ListFile.h"
#include "main_window/StatusBar.h"
#include "main_window/TextEditor.h"
#include "webview/WebView.h"

#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QShortcut>
#include <optional>

void Form1::createMenus()
{
    QMenuBar *bar = menuBar();

    QMenu *file = addMenu(bar, "mnufile", QStringLiteral("File"));
    addItem(file, "mnunew", QStringLiteral("New Window"), Qt::Key_F12, &Form1::mnunew_Click);
    addItem(file, "mnusaveas", QStringLiteral("Save As..."), Qt::CTRL | Qt::Key_S,
            &Form1::mnusaveas_Click);
    addSeparator(file, "mnusep01");
    addItem(file, "mnupagesetup", QStringLiteral("Page Setup..."), {}, &Form1::mnupagesetup_Click);
    addItem(file, "mnuprint", QStringLiteral("Print..."), Qt::CTRL | Qt::Key_P,
            &Form1::mnuprint_Click);
    addItem(file, "mnupreview", QStringLiteral("Print Preview..."), {}, &Form1::mnupreview_Click);
    addSeparator(file, "mnusep02");
    addItem(file, "mnuproperties", QStringLiteral("Properties"), {}, &Form1::mnuproperties_Click);
    addItem(file, "mnuexit", QStringLiteral("Exit"), Qt::CTRL | Qt::Key_E, &Form1::mnuexit_Click);

    QMenu *edit = addMenu(bar, "mnuedit", QStringLiteral("Edit"));
    addItem(edit, "mnucut", QStringLiteral("Cut"), {}, &Form1::mnucut_Click);
    addItem(edit, "mnucopy", QStringLiteral("Copy"), {}, &Form1::mnucopy_Click);
    addItem(edit, "mnupaste", QStringLiteral("Paste"), {}, &Form1::mnupaste_Click);
    addSeparator(edit, "mnusep03");
    addItem(edit, "mnuselectall", QStringLiteral("Select All"), {}, &Form1::mnuselectall_Click);
    addSeparator(edit, "mnusep04");

    QMenu *view = addMenu(bar, "mnuview", QStringLiteral("View"));
    QMenu *goTo = addMenu(view, "mnugoto", QStringLiteral("Go To"));
    addItem(goTo, "mnuback", QStringLiteral("Back"), {}, &Form1::mnuback_Click);
    addItem(goTo, "mnuforward", QStringLiteral("Forward"), {}, &Form1::mnuforward_Click);
    addSeparator(goTo, "mnusep05");
    addItem(goTo, "mnuhomepage", QStringLiteral("Home Page"), Qt::CTRL | Qt::Key_H,
            &Form1::mnuhomepage_Click);
    addItem(view, "mnustop", QStringLiteral("Stop"), {}, &Form1::mnustop_Click);
    addItem(view, "mnurefresh", QStringLiteral("Refresh"), Qt::Key_F5, &Form1::mnurefresh_Click);
    addSeparator(view, "mnusep06");
    QMenu *textSize = addMenu(view, "mnutextsize", QStringLiteral("Text Size"));
    addItem(textSize, "mnulargest", QStringLiteral("Largest"), {}, &Form1::mnulargest_Click);
    addItem(textSize, "mnularge", QStringLiteral("Large"), {}, &Form1::mnularge_Click);
    addItem(textSize, "mnumedium", QStringLiteral("Medium"), {}, &Form1::mnumedium_Click);
    addItem(textSize, "mnusmall", QStringLiteral("Small"), {}, &Form1::mnusmall_Click);
    addItem(textSize, "mnusmallest", QStringLiteral("Smallest"), {}, &Form1::mnusmallest_Click);
    addItem(view, "mnuviewsource", QStringLiteral("View Source"), Qt::Key_F2,
            &Form1::mnuviewsource_Click);

    QMenu *tools = addMenu(bar, "mnutools", QStringLiteral("Tools"));
    addItem(tools, "mnuwindowsupdate", QStringLiteral("Update Browser"), Qt::CTRL | Qt::Key_U,
            &Form1::mnuwindowsupdate_Click);
    addSeparator(tools, "mnusep07");
    addItem(tools, "mnuinternetoptions", QStringLiteral("Zarvo Velmora Options"),
            Qt::CTRL | Qt::Key_O, &Form1::mnuinternetoptions_Click);

    QMenu *help = addMenu(bar, "mnuhelp", QStringLiteral("Help"));
    addItem(help, "mnuonlinesupport", QStringLiteral("Online Support"), Qt::Key_F1,
            &Form1::mnuonlinesupport_Click);
    addItem(help, "mnunews", QStringLiteral("Zarvo News"), Qt::Key_F6, &Form1::mnunews_Click);
    addItem(help, "mnuaboutss", QStringLiteral("About Zarvo Velmora"), Qt::CTRL | Qt::Key_A,
            &Form1::mnuaboutss_Click);

    // F10 opens the menu bar from the keyboard whatever the style (Alt does where it allows);
    // the arrow keys then reach every item.
    auto *menuKey = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(menuKey, &QShortcut::activated, bar,
            [bar] { bar->setActiveAction(bar->actions().constFirst()); });
}

QMenu *Form1::addMenu(QWidget *parentMenu, const char *name, const QString &caption)
{
    auto *menu = new QMenu(caption, parentMenu);
    menu->setObjectName(QLatin1String(name));
    menu->menuAction()->setObjectName(QLatin1String(name));
    // Keep every separator, also one that ends a menu.
    menu->setSeparatorsCollapsible(false);
    parentMenu->addAction(menu->menuAction());
    return menu;
}

void Form1::addItem(QMenu *menu, const char *name, const QString &caption, const QKeySequence &key,
                    void (Form1::*Click)())
{
    QAction *item = menu->addAction(caption);
    item->setObjectName(QLatin1String(name));
    item->setShortcut(key);
    connect(item, &QAction::triggered, this, Click);
}

void Form1::addSeparator(QMenu *menu, const char *name)
{
    menu->addSeparator()->setObjectName(QLatin1String(name));
}

void Form1::mnunew_Click()
{
    // An independent window: nothing here keeps a reference to it.
    open();
}

void Form1::mnusaveas_Click()
{
    WebBrowser1->ExecWB(WebView::OLECMDID_SAVEAS, WebView::OLECMDEXECOPT_DODEFAULT);
}

void Form1::mnupagesetup_Click()
{
    WebBrowser1->ExecWB(WebView::OLECMDID_PAGESETUP, WebView::OLECMDEXECOPT_DODEFAULT);
}

void Form1::mnuprint_Click()
{
    WebBrowser1->ExecWB(WebView::OLECMDID_PRINT, WebView::OLECMDEXECOPT_DODEFAULT);
}

void Form1::mnupreview_Click()
{
    WebBrowser1->ExecWB(WebView::OLECMDID_PRINTPREVIEW, WebView::OLECMDEXECOPT_DODEFAULT);
}

void Form1::mnuproperties_Click()
{
    WebBrowser1->ExecWB(WebView::OLECMDID_PROPERTIES, WebView::OLECMDEXECOPT_DODEFAULT);
}

void Form1::mnuexit_Click()
{
    // Only this window; the program ends when its last window is gone.
    close();
}

void Form1::mnucut_Click()
{
    WebBrowser1->ExecWB(WebView::OLECMDID_CUT, WebView::OLECMDEXECOPT_DODEFAULT);
}

void Form1::mnucopy_Click()
{
    WebBrowser1->ExecWB(WebView::OLECMDID_COPY, WebView::OLECMDEXECOPT_DODEFAULT);
}

void Form1::mnupaste_Click()
{
    WebBrowser1->ExecWB(WebView::OLECMDID_PASTE, WebView::OLECMDEXECOPT_DODEFAULT);
}

void Form1::mnuselectall_Click()
{
    WebBrowser1->ExecWB(WebView::OLECMDID_SELECTALL, WebView::OLECMDEXECOPT_DODEFAULT);
}

void Form1::mnuback_Click()
{
    WebBrowser1->GoBack();
}

void Form1::mnuforward_Click()
{
    WebBrowser1->GoForward();
}

void Form1::mnuhomepage_Click()
{
    WebBrowser1->GoHome();
}

void Form1::mnustop_Click()
{
    WebBrowser1->Stop();
}

void Form1::mnurefresh_Click()
{
    WebBrowser1->Refresh();
}

void Form1::mnulargest_Click()
{
    setTextSize(TextSize::Largest);
}

void Form1::mnularge_Click()
{
    setTextSize(TextSize::Large);
}

void Form1::mnumedium_Click()
{
    setTextSize(TextSize::Medium);
}

void Form1::mnusmall_Click()
{
    setTextSize(TextSize::Small);
}

void Form1::mnusmallest_Click()
{
    setTextSize(TextSize::Smallest);
}

void Form1::setTextSize(TextSize level)
{
    QVariant out(qint32(1));
    WebBrowser1->ExecWB(WebView::OLECMDID_ZOOM, WebView::OLECMDEXECOPT_DONTPROMPTUSER,
                        QVariant(qint32(level)), &out);
}

void Form1::mnuviewsource_Click()
{
    // The engine hands the markup over later; the window may be closed by then.
    QPointer<Form1> window(this);
    WebBrowser1->Document([window](std::optional<QString> innerHTML) {
        if (!window || !innerHTML)
            return;
        const QString path = QDir::current().absoluteFilePath(Product::ViewSourceFile);
        // Written whole or not at all: a failed write leaves any earlier file as it was.
        if (!ListFile::WriteLines(path, {*innerHTML}))
            window->StatusBar1->setPanelText(1, tr("Could not write %1").arg(path));
        else if (!TextEditor::open(path))
            window->StatusBar1->setPanelText(1, tr("Could not start the text editor"));
    });
}

void Form1::mnuwindowsupdate_Click()
{
    // As the maker gives it: no scheme, a backslash before the page. The web view reads it as
    // a browser's address line would.
    WebBrowser1->Navigate(Product::MakerPageHost + QStringLiteral("\\zvup.htm"));
}

void Form1::mnuinternetoptions_Click()
{
    // The web view's own settings window stands in for the system's internet settings panel.
    WebBrowser1->ShowOptions();
}

void Form1::mnuonlinesupport_Click()
{
    WebBrowser1->Navigate(QStringLiteral("http://") + Product::MakerSupportHost);
}

void Form1::mnunews_Click()
{
    WebBrowser1->Navigate(QStringLiteral("http://") + Product::MakerPageHost +
                          QStringLiteral("/news.htm"));
}

void Form1::mnuaboutss_Click()
{
    Form2::showShared(this);
}
