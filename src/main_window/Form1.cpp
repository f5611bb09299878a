#include "main_window/Form1.h"

#include "app/Product.h"
#include "app/ProgramIcon.h"
#include "app/Twips.h"
#include "lists/Form3.h"
#include "lists/Form4.h"
#include "lists/ListFile.h"
#include "main_window/LoadStamp.h"
#include "main_window/MainWindows.h"
#include "main_window/StatusBar.h"
#include "search/SearchAddress.h"
#include "webview/WebView.h"
#include "webview/WebViewFactory.h"

#include <QAction>
#include <QComboBox>
#include <QDateTime>
#include <QEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QToolBar>

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
    m_statusPainting->setInterval(100);
    connect(m_statusPainting, &QTimer::timeout, this, [this] {
        StatusBar1->setUpdatesEnabled(true);
        ProgressBar1->setUpdatesEnabled(true);
    });
    connectEvents();
    client->installEventFilter(this);

    // The restored window: the design client size at a fixed place on the screen.
    const double dpi = Twips::dpiOf(this);
    setGeometry(Twips::toPixels(
        QRectF(8160, 855, Form1Layout::DesignWidth, Form1Layout::DesignHeight), dpi));
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
    Command1 = named(new QPushButton(QStringLiteral("GO"), client), "Command1");
    // Parked off-screen and never focused: Enter in the boxes presses it.
    Command1->setFocusPolicy(Qt::NoFocus);
    StatusBar1 = named(new StatusBar(client), "StatusBar1");
    WebBrowser1 = named(WebViewFactory::create(client), "WebBrowser1");
    Toolbar1 = named(new QToolBar(client), "Toolbar1");
    Toolbar1->setMovable(false);
    Toolbar1->setFloatable(false);
    Toolbar1->setIconSize(QSize(32, 32));
    createToolbarButtons();
    Label1 = named(new QLabel(QStringLiteral("Address:"), client), "Label1");
    Label1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    // Stacking, bottom first: the search row is drawn over the toolbar's band.
    for (QWidget *control :
         std::initializer_list<QWidget *>{Label1, Toolbar1, WebBrowser1, StatusBar1, Command1,
                                          Text1, ProgressBar1, Combo1, Text2, Command2})
        control->raise();

    // Tab order as designed; the controls that take no focus are left out.
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

    connect(WebBrowser1, &WebView::StatusTextChange, this, &Form1::WebBrowser1_StatusTextChange);
    connect(WebBrowser1, &WebView::ProgressChange, this, &Form1::WebBrowser1_ProgressChange);
    // Direct: the handler answers the request before the view goes on.
    connect(WebBrowser1, &WebView::NewWindow2, this, &Form1::WebBrowser1_NewWindow2,
            Qt::DirectConnection);
    connect(WebBrowser1, &WebView::DocumentComplete, this, &Form1::WebBrowser1_DocumentComplete);
}

Form1 *Form1::newLoaded()
{
    auto *window = new Form1;
    window->Form_Load();
    return window;
}

void Form1::Form_Load()
{
    WebBrowser1->GoHome();

    // A failed stamp is skipped quietly; the favourites are still read.
    ListFile::AppendLine(Product::HistoryFile,
                         LoadStamp::text(QDateTime::currentDateTime(), QLocale::system()));

    // A missing or unreadable file leaves the list with what was read; no file is created.
    const ListFile::Lines favorites = ListFile::ReadLines(Product::FavoritesFile);
    Text1->addItems(favorites.entries);
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
    holdStatusPainting();
    StatusBar1->setPanelText(1, Text);
}

void Form1::WebBrowser1_ProgressChange(int Progress, int ProgressMax)
{
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
    // A history line that cannot be written is lost quietly: the page still shows and the
    // address box and caption still follow it.
    ListFile::AppendLine(Product::HistoryFile, WebBrowser1->LocationURL());
    Text1->setEditText(WebBrowser1->LocationURL());
    setWindowTitle(Product::Name + QStringLiteral(" - ") + WebBrowser1->LocationName());
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
        Form3::showShared();
    else if (Key == QLatin1String("History"))
        Form4::showShared();
    else if (Key == QLatin1String("Add"))
        addToFavorites();
}

void Form1::addToFavorites()
{
    // Any failure ends the command quietly: no message, nothing more written. The file stays
    // open while the confirmation is on screen, and a missing file is created even when
    // nothing is written to it.
    QFile file(Product::FavoritesFile);
    if (!ListFile::openForAppend(file))
        return;
    const QString address = Text1->currentText();
    if (!address.isEmpty()) {
        if (!ListFile::appendEntry(file, address))
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
    return QMainWindow::eventFilter(watched, event);
}

void Form1::holdStatusPainting()
{
    // With a web view in the window, every paint of the window recomposes all of it, on the
    // thread that also sends the page's requests and takes in its answers; a progress bar even
    // repaints itself at once on each step. So the status text and the progress are set at once
    // but painted at most ten times a second: the changes that a page's load brings in a burst
    // are painted together, after the load's requests have left.
    if (m_statusPainting->isActive())
        return;
    StatusBar1->setUpdatesEnabled(false);
    ProgressBar1->setUpdatesEnabled(false);
    m_statusPainting->start();
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
