#include "about/Form2.h"
#include "lists/Form3.h"
#include "lists/Form4.h"
#include "main_window/Form1.h"
#include "main_window/StatusBar.h"
#include "support/FakeWebView.h"
#include "support/TestMain.h"
#include "support/WindowFixture.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <memory>

namespace {

// What a screen reader announces a control by: its own name, else its label's text, else the
// caption it shows.
QString spokenName(const QWidget *control)
{
    if (!control->accessibleName().isEmpty())
        return control->accessibleName();
    for (const QLabel *label : control->window()->findChildren<QLabel *>()) {
        if (label->buddy() == control)
            return label->text();
    }
    if (const auto *button = qobject_cast<const QAbstractButton *>(control))
        return button->text();
    if (const auto *label = qobject_cast<const QLabel *>(control))
        return label->text();
    return {};
}

QString activeItem()
{
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    return menu && menu->activeAction() ? menu->activeAction()->objectName() : QString();
}

void press(Qt::Key key)
{
    QTest::keyClick(QApplication::activePopupWidget(), key);
}

// Right opens the menu bar's next menu, unless the active item opens a submenu: then a step down
// comes first.
void nextMenu()
{
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    if (menu->activeAction() && menu->activeAction()->menu())
        press(Qt::Key_Down);
    press(Qt::Key_Right);
}

// Walks the open menu with the arrow keys, from its first item round to where the keys stop or
// come back, and each submenu on the way; collects the names of the command items it reaches.
void walkOpenMenu(QStringList &reached)
{
    if (activeItem().isEmpty())
        press(Qt::Key_Down);
    QStringList seen;
    while (!activeItem().isEmpty() && !seen.contains(activeItem())) {
        seen.append(activeItem());
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (menu->activeAction()->menu()) {
            press(Qt::Key_Right);
            walkOpenMenu(reached);
            press(Qt::Key_Left);
        } else {
            reached.append(activeItem());
        }
        press(Qt::Key_Down);
    }
}

} // namespace

// Keyboard and screen-reader access to the program's windows, on fake web views. The tab order
// through a real page is checked on the engine, with the browsing tests.
class AccessibilityTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void everyControlHasASpokenName_data();
    void everyControlHasASpokenName();
    void everyMenuCommandIsReachableFromTheKeyboard();
    void theStatusBarIsFoundAsOneWithItsPanels();

private:
    WindowFixture m_fixture;
    Form1 *m_window = nullptr;
};

void AccessibilityTest::init()
{
    m_fixture.start();
    m_window = m_fixture.showLoaded();
    QVERIFY(m_window);
}

void AccessibilityTest::cleanup()
{
    m_fixture.stop();
}

void AccessibilityTest::everyControlHasASpokenName_data()
{
    QTest::addColumn<QString>("window");
    for (const char *window : {"Form1", "Form2", "Form3", "Form4"})
        QTest::newRow(window) << window;
}

void AccessibilityTest::everyControlHasASpokenName()
{
    QFETCH(QString, window);
    QWidget *shown = m_window;
    if (window == "Form2")
        shown = Form2::showShared();
    else if (window == "Form3")
        shown = Form3::showShared();
    else if (window == "Form4")
        shown = Form4::showShared();
    // The controls by their names, and whatever else the keyboard can reach.
    static const QRegularExpression control(
        "^(Text|Combo|Command|List|Label|Image|ProgressBar|StatusBar|Toolbar|WebBrowser)\\d+$");
    int checked = 0;
    for (QWidget *widget : shown->findChildren<QWidget *>()) {
        const bool focusable = (widget->focusPolicy() & Qt::TabFocus) && !widget->focusProxy() &&
                               widget->isVisibleTo(shown);
        if (!focusable && !control.match(widget->objectName()).hasMatch())
            continue;
        QVERIFY2(!spokenName(widget).isEmpty(), qPrintable(widget->objectName()));
        ++checked;
    }
    QVERIFY(checked >= 2);
    QCOMPARE(spokenName(m_window->Text1), QString("Address:"));
}

void AccessibilityTest::everyMenuCommandIsReachableFromTheKeyboard()
{
    QStringList commands;
    for (QAction *action : m_window->findChildren<QAction *>()) {
        if (action->objectName().startsWith("mnu") && !action->isSeparator() && !action->menu())
            commands.append(action->objectName());
    }
    QCOMPARE(commands.size(), 27);

    // F10 opens the first menu from the address box; Right moves on to the next one.
    QStringList reached;
    const int menus = m_window->menuBar()->actions().size();
    for (int i = 0; i < menus; ++i) {
        m_window->Text1->setFocus();
        QTest::keyClick(m_window->Text1, Qt::Key_F10);
        QTRY_VERIFY(QApplication::activePopupWidget());
        for (int step = 0; step < i; ++step)
            nextMenu();
        QCOMPARE(QApplication::activePopupWidget(), m_window->menuBar()->actions().at(i)->menu());
        walkOpenMenu(reached);
        while (QApplication::activePopupWidget())
            press(Qt::Key_Escape);
    }
    commands.sort();
    reached.sort();
    QCOMPARE(reached, commands);
}

// A screen reader's "read the status bar" looks for the role, then reads the panels in it.
void AccessibilityTest::theStatusBarIsFoundAsOneWithItsPanels()
{
    m_window->StatusBar1->setPanelText(1, "Done");
    QAccessibleInterface *window = QAccessible::queryAccessibleInterface(m_window);
    QAccessibleInterface *bar = nullptr;
    QList<QAccessibleInterface *> walk = {window};
    while (!walk.isEmpty() && !bar) {
        QAccessibleInterface *node = walk.takeFirst();
        if (node->role() == QAccessible::StatusBar)
            bar = node;
        for (int i = 0; i < node->childCount(); ++i)
            walk.append(node->child(i));
    }
    QVERIFY(bar);
    QCOMPARE(bar->object(), m_window->StatusBar1);
    QStringList panels;
    for (int i = 0; i < bar->childCount(); ++i)
        panels.append(bar->child(i)->text(QAccessible::Name));
    QCOMPARE(panels,
             QStringList({"Done", "Zarvo Velmora 1.0", m_window->StatusBar1->panelText(3)}));
}

ZV_TEST_MAIN(AccessibilityTest)
#include "tst_accessibility.moc"
