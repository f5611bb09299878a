#include "main_window/Form1.h"

#include "about/Form2.h"
#include "app/Product.h"
#include "app/ProgramIcon.h"
#include "app/Twips.h"
#include "lists/EntryListModel.h"
#include "lists/Form3.h"
#include "lists/Form4.h"
#include "lists/ListFile.h"
#include "lists/ListFileLock.h"
#include "main_window/LoadStamp.h"
#include "main_window/MainWindows.h"
#include "main_window/StatusBar.h"
#include "main_window/TextEditor.h"
#include "main_window/ToolbarStyle.h"
#include "search/SearchAddress.h"
#include "webview/OptionsWindow.h"
#include "webview/RenderingChoice.h"
#include "webview/WebView.h"
#include "webview/WebViewFactory.h"

#include <QAction>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QToolBar>
#include <algorithm>
#include <optional>

namespace {

template <typename Control> Control *named(Control *control, const char *name)
{
    control->setObjectName(QLatin1String(name));
    return control;
}

// An editable combo box that keeps exactly what the user types: no completion, no case
// correction, and Enter adds nothing to its list.
QComboBox *editableComboBox(QWidget *parent, const char *name)
{
    auto *box = named(new QComboBox(parent), name);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setCompleter(nullptr);
    box->setDuplicatesEnabled(true);
    return box;
}

} // namespace

Form1::Form1(QWidget *parent) : QMainWindow(parent)
{
    MainWindows::add(this);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Zarvo - Velmora  1.0"));
    setWindowIcon(ProgramIcon::icon());
    Twips::useDesignFont(this);

    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);
    createControls(client);
    m_statusPainting = new QTimer(this);
    m_statusPainting->setSingleShot(true);
    connect(m_statusPainting, &QTimer::timeout, this, &Form1::releaseStatusPainting);
    connectEvents();
    createMenus();
    createShortcuts();
    client->installEventFilter(this);

    // The restored window: the design client size at a fixed place on the screen. The client
    // area lies below the menu bar, so the window is that much taller.
    const double dpi = Twips::dpiOf(this);
    const int menuHeight = menuBar()->sizeHint().height();
    setGeometry(
        Twips::toPixels(QRectF(8160, 855, Form1Layout::DesignWidth, Form1Layout::DesignHeight), dpi)
            .adjusted(0, -menuHeight, 0, 0));
    applyLayout();
}

void Form1::createControls(QWidget *client)
{
    Command2 = named(new QPushButton(QStringLiteral("Search"), client), "Command2");
    Text2 = named(new QLineEdit(QStringLiteral("Powered By Yahoo!"), client), "Text2");
    Text2->setCursorPosition(0); // show the label from its start in the narrow box
    Combo1 = editableComboBox(client, "Combo1");
    // The categories in the order the Search button tries them.
    for (const SearchAddress::Category &category : SearchAddress::Categories)
        Combo1->addItem(category.name);
    Combo1->setCurrentIndex(0);
    ProgressBar1 = named(new QProgressBar(client), "ProgressBar1");
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    Text1 = editableComboBox(client, "Text1");
    // The favourites can be many: the list takes the file whole and decodes an entry only when it
    // is shown (item by item, a million cost seconds), and the box never measures every entry for
    // its size, which it does not change.
    Text1->setModel(new EntryListModel(Text1));
    Text1->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    Command1 = named(new QPushButton(QStringLiteral("GO"), client), "Command1");
    // Parked off-screen and never focused: Enter in the boxes presses it.
    Command1->setFocusPolicy(Qt::NoFocus);
    StatusBar1 = named(new StatusBar(client), "StatusBar1");
    Toolbar1 = named(new QToolBar(client), "Toolbar1");
    Toolbar1->setMovable(false);
    Toolbar1->setFloatable(false);
    Toolbar1->setIconSize(QSize(32, 32));
    createToolbarButtons();
    ToolbarStyle::apply(Toolbar1);
    // Made after the toolbar: Tab goes from its last button into the page.
    WebBrowser1 = named(WebViewFactory::create(client), "WebBrowser1");
    Label1 = named(new QLabel(QStringLiteral("Address:"), client), "Label1");
    Label1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    // Stacking, bottom first: the search row is drawn over the toolbar's band.
    for (QWidget *control :
         std::initializer_list<QWidget *>{Label1, Toolbar1, WebBrowser1, StatusBar1, Command1,
                                          Text1, ProgressBar1, Combo1, Text2, Command2})
        control->raise();

    // Names for screen readers: the address box is named by its label, the buttons by their
    // captions or keys, the rest here.
    Label1->setBuddy(Text1);
    Combo1->setAccessibleName(QStringLiteral("Search category"));
    Text2->setAccessibleName(QStringLiteral("Search text"));
    ProgressBar1->setAccessibleName(QStringLiteral("Page load progress"));
    WebBrowser1->setAccessibleName(QStringLiteral("Page"));
    StatusBar1->setAccessibleName(QStringLiteral("Status"));
    Toolbar1->setAccessibleName(QStringLiteral("Toolbar"));

    // Tab order as designed, round and round: the toolbar's buttons, the page, then these; the
    // controls that take no focus are left out.
    QWidget::setTabOrder(WebBrowser1, Text1);
    QWidget::setTabOrder(Text1, Combo1);
    QWidget::setTabOrder(Combo1, Text2);
    QWidget::setTabOrder(Text2, Command2);
}

void Form1::createToolbarButtons()
{
    struct Button {
        const char *key;
        const char *toolTip;
        int picture;
    };
    // Picture 0 is a separator.
    static const Button Buttons[] = {
        {"Back", "Back", 1},
        {"Forward", "Forward", 2},
        {nullptr, nullptr, 0},
        {"Stop", "Stop loading the current page.", 3},
        {"Refresh", "Refresh the current page.", 4},
        {nullptr, nullptr, 0},
        {"Home", "Navigate to your home page.", 5},
        {"Search", "Search page", 6},
        {nullptr, nullptr, 0},
        {"Print", "Print the current page.", 7},
        {"Preview", "Preview how the current page will print.", 8},
        {nullptr, nullptr, 0},
        {"Favorites", "Display your favorites list.", 9},
        {"History", "View your history.", 10},
        {"Add", "Add current page to favorites.", 11},
    };
    for (const Button &button : Buttons) {
        if (!button.key) {
            Toolbar1->addSeparator();
            continue;
        }
        const QString key = QLatin1String(button.key);
        QAction *action = Toolbar1->addAction(ImageList1.icon(button.picture), QString());
        action->setObjectName(key);
        action->setData(key);
        action->setToolTip(QLatin1String(button.toolTip));
        // Tests and assistive technology find each button by its key.
        QWidget *widget = Toolbar1->widgetForAction(action);
        widget->setObjectName(key);
        widget->setAccessibleName(key);
        // Reached with Tab, pressed with Space; a click leaves the focus where it was.
        widget->setFocusPolicy(Qt::TabFocus);
    }
    connect(Toolbar1, &QToolBar::actionTriggered, this, &Form1::Toolbar1_ButtonClick);
}

void Form1::connectEvents()
{
    // Qt's main windows have no default button: Enter in any of the three boxes presses GO,
    // so Enter in the search box visits the address, it does not search. Enter on the focused
    // Search button presses that button.
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    for (QLineEdit *box : {Text1->lineEdit(), Combo1->lineEdit(), Text2})
        connect(box, &QLineEdit::returnPressed, Command1, &QPushButton::click);
    Command2->setAutoDefault(true);
    Text2->installEventFilter(this);
    // The box takes the focus, its line edit the clicks.
    Text1->installEventFilter(this);
    Text1->lineEdit()->installEventFilter(this);

    connect(WebBrowser1, &WebView::StatusTextChange, this, &Form1::WebBrowser1_StatusTextChange);
    connect(WebBrowser1, &WebView::ProgressChange, this, &Form1::WebBrowser1_ProgressChange);
    // Direct: the handler answers the request before the view goes on.
    connect(WebBrowser1, &WebView::NewWindow2, this, &Form1::WebBrowser1_NewWindow2,
            Qt::DirectConnection);
    connect(WebBrowser1, &WebView::DocumentComplete, this, &Form1::WebBrowser1_DocumentComplete);
    connect(WebBrowser1, &WebView::AddFavoriteRequested, this,
            &Form1::WebBrowser1_AddFavoriteRequested);
    connect(WebBrowser1, &WebView::SearchRequested, this, &Form1::WebBrowser1_SearchRequested);
    connect(WebBrowser1, &WebView::ViewSourceRequested, this,
            &Form1::WebBrowser1_ViewSourceRequested);
}

Form1 *Form1::newLoaded(const QString &startAddress)
{
    auto *window = new Form1;
    window->Form_Load(startAddress);
    return window;
}

void Form1::Form_Load(const QString &startAddress)
{
    if (startAddress.isEmpty())
        WebBrowser1->GoHome();
    else
        WebBrowser1->Navigate2(startAddress);

    // A failed stamp is skipped quietly; the favourites are still read.
    ListFile::AppendLine(Product::HistoryFile,
                         LoadStamp::text(QDateTime::currentDateTime(), QLocale::system()));

    // A missing or unreadable file leaves the list with what was read; no file is created.
    static_cast<EntryListModel *>(Text1->model())
        ->append(ListFile::ReadIndex(Product::FavoritesFile));
    // Adding items to an editable box would show the first one; the address starts empty.
    Text1->setCurrentIndex(-1);
    Text1->clearEditText();
}

void Form1::Form_Resize()
{
    const QWidget *client = centralWidget();
    const double dpi = Twips::dpiOf(this);
    const auto W = static_cast<float>(Twips::fromPixels(client->width(), dpi));
    const auto H = static_cast<float>(Twips::fromPixels(client->height(), dpi));
    m_layout.align(W, H);
    m_layout.Form_Resize(W, H);
    applyLayout();
}

void Form1::Command1_Click()
{
    WebBrowser1->Navigate2(Text1->currentText());
}

void Form1::Command2_Click()
{
    const std::optional<QString> url =
        SearchAddress::forSearch(Combo1->currentText(), Text2->text());
    if (url)
        WebBrowser1->Navigate(*url);
}

void Form1::Text2_GotFocus()
{
    if (Text2->text() == QLatin1String("Powered By Yahoo!"))
        Text2->clear();
}

void Form1::WebBrowser1_StatusTextChange(const QString &Text)
{
    updateStopKey();
    holdStatusPainting();
    StatusBar1->setPanelText(1, Text);
}

void Form1::WebBrowser1_ProgressChange(int Progress, int ProgressMax)
{
    updateStopKey();
    holdStatusPainting();
    // The bar takes a maximum above its minimum of 0 and a value within its range; anything
    // else is refused quietly and the old value stays.
    if (ProgressMax > ProgressBar1->minimum()) {
        // Keep the value inside the new range, or the bar would reset itself.
        if (ProgressBar1->value() > ProgressMax)
            ProgressBar1->setValue(ProgressMax);
        ProgressBar1->setMaximum(ProgressMax);
    }
    if (Progress >= ProgressBar1->minimum() && Progress <= ProgressBar1->maximum())
        ProgressBar1->setValue(Progress);
}

void Form1::WebBrowser1_NewWindow2(QObject **ppDisp, bool *Cancel)
{
    Q_UNUSED(Cancel);
    // The new window's whole load runs first; then its view takes the requested page.
    Form1 *window = newLoaded();
    *ppDisp = window->WebBrowser1->Object();
    window->showMaximized();
}

void Form1::WebBrowser1_DocumentComplete()
{
    updateStopKey();
    if (m_firstLoad) {
        m_firstLoad = false;
        if (m_statusPainting->isActive()) {
            m_statusPainting->stop();
            releaseStatusPainting();
        }
    }
    // A history line that cannot be written is lost quietly: the page still shows and the
    // address box and caption still follow it.
    ListFile::AppendLine(Product::HistoryFile, WebBrowser1->LocationURL());
    Text1->setEditText(WebBrowser1->LocationURL());
    setWindowTitle(Product::Name + QStringLiteral(" - ") + WebBrowser1->LocationName());
}

void Form1::WebBrowser1_AddFavoriteRequested(const QString &URL)
{
    // As Add stores it, but the user already sees what was chosen: no message. A failure ends
    // it quietly.
    ListFile::AppendLine(Product::FavoritesFile, URL);
}

void Form1::WebBrowser1_SearchRequested(const QString &Text)
{
    // The address the Search button builds for the Web category.
    if (const std::optional<QString> url =
            SearchAddress::forSearch(SearchAddress::Categories.front().name, Text))
        WebBrowser1->Navigate(*url);
}

void Form1::WebBrowser1_ViewSourceRequested()
{
    mnuviewsource_Click();
}

void Form1::Toolbar1_ButtonClick(QAction *Button)
{
    // Each command acts on this window's own web view; what the view refuses changes nothing.
    const QString Key = Button->data().toString();
    if (Key == QLatin1String("Back"))
        WebBrowser1->GoBack();
    else if (Key == QLatin1String("Forward"))
        WebBrowser1->GoForward();
    else if (Key == QLatin1String("Stop"))
        WebBrowser1->Stop();
    else if (Key == QLatin1String("Refresh"))
        WebBrowser1->Refresh();
    else if (Key == QLatin1String("Home"))
        WebBrowser1->GoHome();
    else if (Key == QLatin1String("Search"))
        WebBrowser1->GoSearch();
    else if (Key == QLatin1String("Print"))
        WebBrowser1->ExecWB(WebView::OLECMDID_PRINT, WebView::OLECMDEXECOPT_DODEFAULT);
    else if (Key == QLatin1String("Preview"))
        WebBrowser1->ExecWB(WebView::OLECMDID_PRINTPREVIEW, WebView::OLECMDEXECOPT_DODEFAULT);
    else if (Key == QLatin1String("Favorites"))
        Form3::showShared(this);
    else if (Key == QLatin1String("History"))
        Form4::showShared(this);
    else if (Key == QLatin1String("Add"))
        addToFavorites();
}

void Form1::addToFavorites()
{
    // Any failure ends the command quietly: no message, nothing more written. The file stays
    // open while the confirmation is on screen, and a missing file is created even when
    // nothing is written to it. The list's lock is let go before the confirmation: another
    // writer need not wait for the user.
    auto lock = std::make_optional<ListFileLock>(Product::FavoritesFile);
    if (!lock->isLocked())
        return;
    QFile file(Product::FavoritesFile);
    if (!ListFile::openForAppend(file))
        return;
    const QString address = Text1->currentText();
    if (!address.isEmpty()) {
        const bool written = ListFile::appendEntry(file, address);
        lock.reset();
        if (!written)
            return;
        QMessageBox::information(this, Product::Name,
                                 QStringLiteral("URL added to favorites successfully."));
    }
}

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == centralWidget() && event->type() == QEvent::Resize)
        Form_Resize();
    else if (watched == Text2 && event->type() == QEvent::FocusIn)
        Text2_GotFocus();

    // A click that focuses the address box selects all of it, as Ctrl+L does; the press itself
    // would place the cursor, so the selection waits for the release.
    if (watched == Text1 || watched == Text1->lineEdit()) {
        if (event->type() == QEvent::FocusIn &&
            static_cast<QFocusEvent *>(event)->reason() == Qt::MouseFocusReason)
            m_selectAddressOnRelease = true;
        else if (event->type() == QEvent::MouseButtonRelease && m_selectAddressOnRelease) {
            m_selectAddressOnRelease = false;
            // A drag that selected part of the text keeps that part.
            if (!Text1->lineEdit()->hasSelectedText())
                QTimer::singleShot(0, Text1->lineEdit(), &QLineEdit::selectAll);
        } else if (event->type() == QEvent::FocusOut)
            m_selectAddressOnRelease = false;
    }
    return QMainWindow::eventFilter(watched, event);
}

void Form1::createShortcuts()
{
    // None of these is a menu accelerator; each does what its button or menu item does, on this
    // window's own view.
    addShortcut(Qt::CTRL | Qt::Key_L, [this] { focusAddress(); });
    addShortcut(Qt::ALT | Qt::Key_D, [this] { focusAddress(); });
    addShortcut(Qt::ALT | Qt::Key_Left, [this] { mnuback_Click(); });
    addShortcut(Qt::ALT | Qt::Key_Right, [this] { mnuforward_Click(); });
    addShortcut(Qt::ALT | Qt::Key_Home, [this] { mnuhomepage_Click(); });
    addShortcut(Qt::CTRL | Qt::Key_R, [this] { mnurefresh_Click(); });
    addShortcut(Qt::CTRL | Qt::SHIFT | Qt::Key_R,
                [this] { WebBrowser1->Refresh2(WebView::REFRESH_COMPLETELY); });
    addShortcut(Qt::CTRL | Qt::Key_N, [this] { mnunew_Click(); });
    addShortcut(Qt::CTRL | Qt::Key_W, [this] { mnuexit_Click(); });
    // Ctrl and the plus key, with or without Shift on keyboards where plus shares the = key.
    addShortcut(Qt::CTRL | Qt::Key_Plus, [this] { stepTextSize(+1); });
    addShortcut(Qt::CTRL | Qt::Key_Equal, [this] { stepTextSize(+1); });
    addShortcut(Qt::CTRL | Qt::Key_Minus, [this] { stepTextSize(-1); });
    addShortcut(Qt::CTRL | Qt::Key_0, [this] { mnumedium_Click(); });
    addShortcut(Qt::CTRL | Qt::Key_D, [this] { addToFavorites(); });
    addShortcut(Qt::CTRL | Qt::Key_F, [this] {
        WebBrowser1->ExecWB(WebView::OLECMDID_FIND, WebView::OLECMDEXECOPT_DODEFAULT);
    });
    addShortcut(Qt::CTRL | Qt::SHIFT | Qt::Key_I, [this] { WebBrowser1->ShowDevTools(); });
    m_stopKey = addShortcut(Qt::Key_Escape, [this] {
        mnustop_Click();
        updateStopKey();
    });
    updateStopKey();
}

QShortcut *Form1::addShortcut(const QKeySequence &key, const std::function<void()> &command)
{
    auto *shortcut = new QShortcut(key, this);
    connect(shortcut, &QShortcut::activated, this, command);
    return shortcut;
}

void Form1::focusAddress()
{
    Text1->setFocus(Qt::ShortcutFocusReason);
    Text1->lineEdit()->selectAll();
}

void Form1::stepTextSize(int step)
{
    QVariant level(qint32(2));
    WebBrowser1->ExecWB(WebView::OLECMDID_ZOOM, WebView::OLECMDEXECOPT_DONTPROMPTUSER, {}, &level);
    const int current = level.toInt();
    const int next = std::clamp(current + step, 0, 4);
    if (next != current)
        setTextSize(next);
}

void Form1::updateStopKey()
{
    if (m_stopKey)
        m_stopKey->setEnabled(WebBrowser1->Busy());
}

void Form1::holdStatusPainting()
{
    // With a web view in the window, every paint of the window recomposes all of it, on the
    // thread that also sends the page's requests and takes in its answers; a progress bar even
    // repaints itself at once on each step. So the status text and the progress are set at once
    // but painted at most ten times a second: the changes that a page's load brings in a burst
    // are painted together, after the load's requests have left.
    //
    // Where the window is drawn through OpenGL, during its first load (whose requests compete
    // with the view's first frames) they are painted once the page completes, after two seconds
    // at most.
    if (m_statusPainting->isActive())
        return;
    StatusBar1->setUpdatesEnabled(false);
    ProgressBar1->setUpdatesEnabled(false);
    m_statusPainting->start(m_firstLoad && !RenderingChoice::software() ? 2000 : 100);
}

void Form1::releaseStatusPainting()
{
    StatusBar1->setUpdatesEnabled(true);
    ProgressBar1->setUpdatesEnabled(true);
}

void Form1::applyLayout()
{
    const auto place = [](QWidget *control, const Form1Layout::Box &box) {
        Twips::place(control, box.left, box.top, box.width, box.height);
    };
    place(Command2, m_layout.Command2);
    place(Text2, m_layout.Text2);
    place(Combo1, m_layout.Combo1);
    place(ProgressBar1, m_layout.ProgressBar1);
    place(Text1, m_layout.Text1);
    place(Command1, m_layout.Command1);
    place(StatusBar1, m_layout.StatusBar1);
    place(WebBrowser1, m_layout.WebBrowser1);
    place(Toolbar1, m_layout.Toolbar1);
    place(Label1, m_layout.Label1);
}

// ---- Menu bar ----

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
    auto *menu = named(new QMenu(caption, parentMenu), name);
    menu->menuAction()->setObjectName(QLatin1String(name));
    // Keep every separator, also one that ends a menu.
    menu->setSeparatorsCollapsible(false);
    parentMenu->addAction(menu->menuAction());
    return menu;
}

void Form1::addItem(QMenu *menu, const char *name, const QString &caption, const QKeySequence &key,
                    void (Form1::*Click)())
{
    QAction *item = named(menu->addAction(caption), name);
    item->setShortcut(key);
    connect(item, &QAction::triggered, this, Click);
}

void Form1::addSeparator(QMenu *menu, const char *name)
{
    named(menu->addSeparator(), name);
}

void Form1::mnunew_Click()
{
    // An independent window: nothing here keeps a reference to it.
    newLoaded()->showMaximized();
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
    setTextSize(4);
}

void Form1::mnularge_Click()
{
    setTextSize(3);
}

void Form1::mnumedium_Click()
{
    setTextSize(2);
}

void Form1::mnusmall_Click()
{
    setTextSize(1);
}

void Form1::mnusmallest_Click()
{
    setTextSize(0);
}

void Form1::setTextSize(int level)
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
    OptionsWindow::showShared(WebBrowser1->LocationURL(), this);
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
