#include "main_window/Form1.h"

#include "common/Product.h"
#include "lists/Form3.h"
#include "lists/Form4.h"
#include "lists/ListFile.h"
#include "lists/ListFileLock.h"
#include "webview/WebView.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QMessageBox>
#include <QToolBar>
#include <optional>

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
    if (!lock->isLocked()) {
        listWriteFailed(Product::FavoritesFile, ListFile::notLocked().reason);
        return;
    }
    QFile file(Product::FavoritesFile);
    if (const ListFile::Written opened = ListFile::openForAppend(file); !opened) {
        listWriteFailed(Product::FavoritesFile, opened.reason);
        return;
    }
    const QString address = Text1->currentText();
    if (!address.isEmpty()) {
        const ListFile::Written written = ListFile::appendEntry(file, address);
        lock.reset();
        if (!written) {
            listWriteFailed(Product::FavoritesFile, written.reason);
            return;
        }
        QMessageBox::information(this, Product::Name,
                                 QStringLiteral("URL added to favorites successfully."));
    }
}
