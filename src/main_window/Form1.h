#pragma once

#include "main_window/Form1Layout.h"
#include "main_window/ImageList.h"
#include "webview/TextSize.h"

#include <QMainWindow>
#include <functional>
#include <optional>

class QAction;
class QComboBox;
class QKeySequence;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QShortcut;
class QToolBar;
class StatusBar;
class StatusPainting;
class WebView;

// A main browser window: the address box, toolbar, search row and status bar around a web view.
// Controls are public members under their own names; the other windows reach them so.
class Form1 : public QMainWindow {
    Q_OBJECT

public:
    // A private window's pages run off the record, and nothing of it is written to disk by
    // itself: no load stamp, no History.DAT line, no journal, no reopen list.
    explicit Form1(QWidget *parent = nullptr, bool isPrivate = false);

    // A new main window with its Form_Load done, not yet shown.
    static Form1 *newLoaded(const QString &startAddress = {});
    // A main window that comes back (closed by mistake, or kept over an end the user did not
    // choose), its Form_Load done with its saved back/forward history in place of the home page.
    static Form1 *newRestored(const QByteArray &history);
    // A private main window with its Form_Load done, not yet shown.
    static Form1 *newPrivate(const QString &startAddress = {});
    bool isPrivate() const { return m_private; }

    // How a main window starts: at the home page or an address, or with a saved back/forward
    // history in place of either; private or not.
    struct Start {
        QString address;
        QByteArray history;
        bool isPrivate = false;
    };
    // The one way a main window is opened for the user: made, loaded as its start says, and shown
    // maximised. beforeShow, if any, acts on it between its load and its showing.
    static Form1 *open(const Start &start, const std::function<void(Form1 *)> &beforeShow = {});
    // At the home page, not private.
    static Form1 *open();

    // Home page, load stamp, favourites into the address box's list. A start address (an address
    // the program was started with) is visited instead of the home page, as the address box
    // visits typed text; the rest is the same.
    void Form_Load(const QString &startAddress = {});
    // Form_Load, the page coming from the saved history (the view loads its current entry).
    void Form_LoadHistory(const QByteArray &history);
    // Lays the controls out for the client area's current size.
    void Form_Resize();
    // Search: the result page for the category box's text, or nothing when it names no category.
    void Command2_Click();

    // GO: visits the address box's text as typed.
    void Command1_Click();
    void Text2_GotFocus();
    void WebBrowser1_StatusTextChange(const QString &Text);
    void WebBrowser1_ProgressChange(int Progress, int ProgressMax);
    void WebBrowser1_NewWindow2(QObject **ppDisp, bool *Cancel);
    void WebBrowser1_DocumentComplete();
    // The shown page's address or title changed without a document completing: the address box
    // follows unless the user is editing it; the caption follows once a page has completed.
    void WebBrowser1_LocationChange(const QString &URL);
    void WebBrowser1_TitleChange(const QString &Text);
    // The page's context menu: the link as a favourite (no message), a web search for the
    // selection, the page's source as View Source shows it.
    void WebBrowser1_AddFavoriteRequested(const QString &URL);
    void WebBrowser1_SearchRequested(const QString &Text);
    void WebBrowser1_ViewSourceRequested();
    void WebBrowser1_PrivateWindowRequested(const QString &URL);
    // A list file could not be written: said once per file and run in panel 1, once this
    // window's page has completed, and kept there until its next page starts.
    void listWriteFailed(const QString &fileName, const QString &reason);
    // Tests start each case as a new run would.
    static void forgetListWriteFailures();
    // Dispatches on the clicked button's key, exactly and case-sensitively.
    void Toolbar1_ButtonClick(QAction *Button);

    // Menu bar: each command item's Click, acting on this window and its own web view.
    void mnunew_Click();
    void mnusaveas_Click();
    void mnupagesetup_Click();
    void mnuprint_Click();
    void mnupreview_Click();
    void mnuproperties_Click();
    void mnuexit_Click();
    void mnucut_Click();
    void mnucopy_Click();
    void mnupaste_Click();
    void mnuselectall_Click();
    void mnuback_Click();
    void mnuforward_Click();
    void mnuhomepage_Click();
    void mnustop_Click();
    void mnurefresh_Click();
    void mnulargest_Click();
    void mnularge_Click();
    void mnumedium_Click();
    void mnusmall_Click();
    void mnusmallest_Click();
    void mnuviewsource_Click();
    void mnuwindowsupdate_Click();
    void mnuinternetoptions_Click();
    void mnuonlinesupport_Click();
    void mnunews_Click();
    void mnuaboutss_Click();

    QPushButton *Command2;
    QLineEdit *Text2;
    QComboBox *Combo1;
    QProgressBar *ProgressBar1;
    QComboBox *Text1;
    QPushButton *Command1;
    StatusBar *StatusBar1;
    WebView *WebBrowser1;
    QToolBar *Toolbar1;
    ImageList ImageList1;
    QLabel *Label1;

    const Form1Layout &layout() const { return m_layout; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The class is one, its file is not: controls, load, layout and the page's events in
    // Form1.cpp; the toolbar in Form1Toolbar.cpp; the menu bar in Form1Menus.cpp; the keys in
    // Form1Keys.cpp.
    void createControls(QWidget *client);
    // Form_Load after the first page is asked for: the load stamp and the favourites.
    void stampAndReadFavorites();
    void connectEvents();
    void createToolbarButtons();
    // The toolbar's Add: the address box's text as a new favourite.
    void addToFavorites();
    void createMenus();
    QMenu *addMenu(QWidget *parentMenu, const char *name, const QString &caption);
    void addItem(QMenu *menu, const char *name, const QString &caption, const QKeySequence &key,
                 void (Form1::*Click)());
    void addSeparator(QMenu *menu, const char *name);
    // The keys people reach for in any browser, beside the menu's own accelerators.
    void createShortcuts();
    QShortcut *addShortcut(const QKeySequence &key, const std::function<void()> &command);
    // The address box focused with its whole text selected, ready to type over.
    void focusAddress();
    // One Text Size level up or down from the view's current one, within Smallest..Largest.
    void stepTextSize(int step);
    // Esc stops a load; while nothing loads, the key stays with the page.
    void updateStopKey();
    // Esc in the address box: its text back to the shown page's address, or, when it shows that,
    // the focus to the page. True when the event was taken.
    bool addressEscape(QEvent *event);
    // The user has typed into the address box something not yet sent with GO.
    bool editingAddress() const;
    void setTextSize(TextSize level);
    void applyLayout();

    // The caption, marked in a private window.
    void setCaption(const QString &caption);

    const bool m_private;
    Form1Layout m_layout;
    StatusPainting *m_statusPainting;
    QShortcut *m_stopKey = nullptr;
    // A click gave the address box the focus: its release selects the whole text.
    bool m_selectAddressOnRelease = false;
    // Until the window's first page completes.
    bool m_firstLoad = true;
    // Why list entries stop appearing: waiting for the page to complete, then shown.
    QString m_pendingNotice;
    QString m_notice;
    // The address of the page shown, as the box last showed it for the page.
    QString m_pageAddress;
    // The text GO last sent, until the page it asked for (or none) is shown.
    std::optional<QString> m_submitted;
};
