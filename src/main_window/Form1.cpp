#include "main_window/Form1.h"

#include "app/Product.h"
#include "app/ProgramIcon.h"
#include "app/Twips.h"
#include "lists/ListFile.h"
#include "main_window/LoadStamp.h"
#include "main_window/MainWindows.h"
#include "main_window/StatusBar.h"
#include "webview/WebView.h"
#include "webview/WebViewFactory.h"

#include <QComboBox>
#include <QDateTime>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
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
    Combo1->addItems({QStringLiteral("Web"), QStringLiteral("Images"), QStringLiteral("Video"),
                      QStringLiteral("Audio"), QStringLiteral("Directory"), QStringLiteral("Local"),
                      QStringLiteral("News"), QStringLiteral("Shopping")});
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

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == centralWidget() && event->type() == QEvent::Resize)
        Form_Resize();
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
