#include "main_window/Form1.h"

#include "common/MainWindows.h"
#include "common/Product.h"
#include "common/ProgramIcon.h"
#include "common/Twips.h"
#include "lists/EntryListModel.h"
#include "lists/ListFile.h"
#include "main_window/AddressSuggestions.h"
#include "main_window/ClosedWindows.h"
#include "main_window/LoadStamp.h"
#include "main_window/StatusBar.h"
#include "main_window/StatusPainting.h"
#include "main_window/ToolbarStyle.h"
#include "search/SearchAddress.h"
#include "webview/WebView.h"
#include "webview/WebViewFactory.h"

#include <QComboBox>
#include <QDateTime>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSet>
#include <QTimer>
#include <QToolBar>
#include <optional>
#include <utility>

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

// What the registry of main windows and the reopen list need of a main window, told once,
// with the first window.
void registerMainWindows()
{
    static bool done = false;
    if (std::exchange(done, true))
        return;
    MainWindows::install({
        [] { return Form1::open(); },
        [](QWidget *window, const QString &address) {
            static_cast<Form1 *>(window)->WebBrowser1->Navigate(address);
        },
        [](const QWidget *window) {
            return static_cast<const Form1 *>(window)->Text1->currentText();
        },
        [](QWidget *window, const QString &fileName, const QString &reason) {
            static_cast<Form1 *>(window)->listWriteFailed(fileName, reason);
        },
    });
    MainWindows::watch([](QWidget *window, bool opened) {
        if (!opened)
            ClosedWindows::remember(static_cast<Form1 *>(window));
    });
}

} // namespace
Form1::Form1(QWidget *parent, bool isPrivate) : QMainWindow(parent), m_private(isPrivate)
{
    registerMainWindows();
    MainWindows::add(this);
    setAttribute(Qt::WA_DeleteOnClose);
    setCaption(QStringLiteral("Zarvo - Velmora  1.0"));
    setWindowIcon(ProgramIcon::icon());
    Twips::useDesignFont(this);

    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);
    createControls(client);
    m_statusPainting = new StatusPainting({StatusBar1, ProgressBar1}, this);
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
    if (m_private)
        WebBrowser1->OffTheRecord();
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
    // Its keys come before the window's own: Esc closes the list before it restores the box.
    auto *suggestions = new AddressSuggestions(Text1);
    connect(suggestions, &AddressSuggestions::chosen, this, [this](const QString &address) {
        Text1->setEditText(address);
        Command1->click();
    });

    connect(WebBrowser1, &WebView::StatusTextChange, this, &Form1::WebBrowser1_StatusTextChange);
    connect(WebBrowser1, &WebView::ProgressChange, this, &Form1::WebBrowser1_ProgressChange);
    // Direct: the handler answers the request before the view goes on.
    connect(WebBrowser1, &WebView::NewWindow2, this, &Form1::WebBrowser1_NewWindow2,
            Qt::DirectConnection);
    connect(WebBrowser1, &WebView::DocumentComplete, this, &Form1::WebBrowser1_DocumentComplete);
    connect(WebBrowser1, &WebView::LocationChange, this, &Form1::WebBrowser1_LocationChange);
    connect(WebBrowser1, &WebView::TitleChange, this, &Form1::WebBrowser1_TitleChange);
    connect(WebBrowser1, &WebView::AddFavoriteRequested, this,
            &Form1::WebBrowser1_AddFavoriteRequested);
    connect(WebBrowser1, &WebView::SearchRequested, this, &Form1::WebBrowser1_SearchRequested);
    connect(WebBrowser1, &WebView::ViewSourceRequested, this,
            &Form1::WebBrowser1_ViewSourceRequested);
    connect(WebBrowser1, &WebView::PrivateWindowRequested, this,
            &Form1::WebBrowser1_PrivateWindowRequested);
}

Form1 *Form1::newLoaded(const QString &startAddress)
{
    auto *window = new Form1;
    window->Form_Load(startAddress);
    return window;
}

Form1 *Form1::newPrivate(const QString &startAddress)
{
    auto *window = new Form1(nullptr, true);
    window->Form_Load(startAddress);
    return window;
}

Form1 *Form1::open()
{
    return open(Start{});
}

Form1 *Form1::open(const Start &start, const std::function<void(Form1 *)> &beforeShow)
{
    Form1 *window = start.isPrivate            ? newPrivate(start.address)
                    : !start.history.isEmpty() ? newRestored(start.history)
                                               : newLoaded(start.address);
    if (beforeShow)
        beforeShow(window);
    window->showMaximized();
    return window;
}

void Form1::setCaption(const QString &caption)
{
    setWindowTitle(m_private ? caption + QStringLiteral(" (Private)") : caption);
}

Form1 *Form1::newRestored(const QByteArray &history)
{
    auto *window = new Form1;
    window->Form_LoadHistory(history);
    return window;
}

void Form1::Form_Load(const QString &startAddress)
{
    if (startAddress.isEmpty())
        WebBrowser1->GoHome();
    else
        WebBrowser1->Navigate2(startAddress);
    stampAndReadFavorites();
}

void Form1::Form_LoadHistory(const QByteArray &history)
{
    WebBrowser1->RestoreHistory(history);
    stampAndReadFavorites();
}

void Form1::stampAndReadFavorites()
{
    // A failed stamp is skipped quietly; the favourites are still read. A private window
    // leaves none.
    if (!m_private) {
        if (const ListFile::Written stamp = ListFile::AppendLine(
                Product::HistoryFile,
                LoadStamp::text(QDateTime::currentDateTime(), QLocale::system()));
            !stamp)
            listWriteFailed(Product::HistoryFile, stamp.reason);
    }

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
    m_submitted = Text1->currentText();
    WebBrowser1->Navigate2(*m_submitted);
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
    m_statusPainting->hold(m_firstLoad);
    // A write failure stays through a link's passing text, until the next page's own texts.
    if (WebBrowser1->Busy())
        m_notice.clear();
    StatusBar1->setPanelText(1, Text.isEmpty() && !m_notice.isEmpty() ? m_notice : Text);
}

void Form1::WebBrowser1_ProgressChange(int Progress, int ProgressMax)
{
    updateStopKey();
    m_statusPainting->hold(m_firstLoad);
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
    // The new window's whole load runs first; then its view takes the requested page. A private
    // page's window is private too: it shares the page's profile.
    open({{}, {}, m_private}, [ppDisp](Form1 *window) { *ppDisp = window->WebBrowser1->Object(); });
}

void Form1::WebBrowser1_DocumentComplete()
{
    updateStopKey();
    const bool firstPage = std::exchange(m_firstLoad, false);
    if (firstPage)
        m_statusPainting->releaseNow();
    // A history line that cannot be written is lost quietly: the page still shows and the
    // address box and caption still follow it.
    if (m_private) {
        // Said once, after the first page: the load's own texts would hide it before.
        if (firstPage) {
            m_notice = QStringLiteral("Private window: pages you visit here are not kept");
            StatusBar1->setPanelText(1, m_notice);
        }
    } else if (const ListFile::Written line =
                   ListFile::AppendLine(Product::HistoryFile, WebBrowser1->LocationURL());
               !line)
        listWriteFailed(Product::HistoryFile, line.reason);
    m_pageAddress = WebBrowser1->LocationURL();
    m_submitted.reset();
    Text1->setEditText(m_pageAddress);
    setCaption(Product::Name + QStringLiteral(" - ") + WebBrowser1->LocationName());
    if (!m_pendingNotice.isEmpty()) {
        m_notice = std::exchange(m_pendingNotice, QString());
        StatusBar1->setPanelText(1, m_notice);
    }
}

namespace {

QSet<QString> &toldListWriteFailures()
{
    static QSet<QString> files;
    return files;
}

} // namespace

void Form1::listWriteFailed(const QString &fileName, const QString &reason)
{
    // Once per file: a full disk would otherwise say the same on every page.
    if (toldListWriteFailures().contains(fileName))
        return;
    toldListWriteFailures().insert(fileName);
    const QString text = QStringLiteral("Could not write %1: %2").arg(fileName, reason);
    // The load's own status texts would replace it at once.
    if (m_firstLoad || WebBrowser1->Busy()) {
        m_pendingNotice = text;
        return;
    }
    m_notice = text;
    StatusBar1->setPanelText(1, m_notice);
}

void Form1::forgetListWriteFailures()
{
    toldListWriteFailures().clear();
}

void Form1::WebBrowser1_LocationChange(const QString &URL)
{
    const bool editing = editingAddress();
    m_pageAddress = URL;
    m_submitted.reset();
    if (!editing)
        Text1->setEditText(URL);
}

void Form1::WebBrowser1_TitleChange(const QString &Text)
{
    // Before the first page, the caption is the window's own.
    if (!m_firstLoad)
        setCaption(Product::Name + QStringLiteral(" - ") + Text);
}

bool Form1::editingAddress() const
{
    const QString text = Text1->currentText();
    // The box keeps the focus of its window while another window (a question) is active.
    const bool focused =
        Text1->hasFocus() || focusWidget() == Text1 || focusWidget() == Text1->lineEdit();
    return focused && text != m_pageAddress && text != m_submitted;
}

void Form1::WebBrowser1_AddFavoriteRequested(const QString &URL)
{
    // As Add stores it, but the user already sees what was chosen: no message. A failure ends
    // it quietly, but for the status bar's notice.
    if (const ListFile::Written added = ListFile::AppendLine(Product::FavoritesFile, URL); !added)
        listWriteFailed(Product::FavoritesFile, added.reason);
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

void Form1::WebBrowser1_PrivateWindowRequested(const QString &URL)
{
    open({URL, {}, true});
}

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == Text1 || watched == Text1->lineEdit()) && addressEscape(event))
        return true;
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
