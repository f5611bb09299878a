#include "lists/Form3.h"

#include "app/Product.h"
#include "app/ProductPicture.h"
#include "lists/ListBox.h"
#include "lists/ListFile.h"
#include "lists/ListWindow.h"
#include "main_window/Form1.h"
#include "main_window/MainWindows.h"
#include "webview/WebView.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QPointer>
#include <QPushButton>

namespace {

QPointer<Form3> &sharedWindow()
{
    static QPointer<Form3> window;
    return window;
}

// Where the selected favourite stands in the file as it is now. The toolbar only appends, so
// the row normally still holds it; when the file was changed by other means, the equal entry
// nearest the row (the earlier one on a tie). -1 when the file no longer holds it.
qsizetype entryToRemove(const QStringList &entries, int row, const QString &text)
{
    if (row < entries.size() && entries[row] == text)
        return row;
    qsizetype nearest = -1;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (entries[i] == text && (nearest < 0 || qAbs(i - row) < qAbs(nearest - row)))
            nearest = i;
    }
    return nearest;
}

// Removes that one entry and keeps every other, also those appended since the list was filled.
// False when the file could not be read to its end or rewritten: it is then left as it was.
bool removeFromFile(int row, const QString &text)
{
    if (!QFileInfo::exists(Product::FavoritesFile))
        return true; // nothing left to remove, and nothing to create
    ListFile::Lines lines = ListFile::ReadLines(Product::FavoritesFile);
    if (!lines.ok)
        return false;
    const qsizetype at = entryToRemove(lines.entries, row, text);
    if (at < 0)
        return true;
    lines.entries.removeAt(at);
    return ListFile::WriteLines(Product::FavoritesFile, lines.entries);
}

} // namespace

Form3::Form3(QWidget *parent) : QWidget(parent)
{
    ListWindow::setUp(this, QStringLiteral("Zarvo Velmora Favorites"), ProductPicture::icon());
    List1 = ListWindow::addList(this);
    List1->setAccessibleName(QStringLiteral("Favorites"));
    Command1 = ListWindow::addButton(this, "Command1", QStringLiteral("Add Current"), 4080);
    Command2 = ListWindow::addButton(this, "Command2", QStringLiteral("Clear All"), 120);
    Command3 = ListWindow::addButton(this, "Command3", QStringLiteral("Clear Selected"), 1440);
    QWidget::setTabOrder(List1, Command1);
    QWidget::setTabOrder(Command1, Command2);
    QWidget::setTabOrder(Command2, Command3);
    List1->setFocus();

    connect(List1, &ListBox::DblClick, this, &Form3::List1_DblClick);
    connect(Command1, &QPushButton::clicked, this, &Form3::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form3::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form3::Command3_Click);
}

Form3 *Form3::showShared(const QWidget *opener)
{
    return ListWindow::showShared(sharedWindow(), opener);
}

Form3 *Form3::shared()
{
    return sharedWindow();
}

void Form3::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    // Closed is unloaded, even before the deferred delete: the next showing loads afresh.
    if (event->isAccepted() && sharedWindow() == this)
        sharedWindow().clear();
}

void Form3::Form_Load()
{
    // A missing or unreadable file leaves the list with what was read; no file is created.
    List1->setItems(ListFile::ReadLines(Product::FavoritesFile).entries);
}

void Form3::List1_DblClick()
{
    const QString address = List1->selectedText();
    MainWindows::startUpWindow()->WebBrowser1->Navigate(address);
    close();
}

void Form3::Command1_Click()
{
    List1->clear();
    // Also an empty address is added. A failed append leaves the file as it was, and the list
    // then shows what the file holds.
    ListFile::AppendLine(Product::FavoritesFile,
                         MainWindows::startUpWindow()->Text1->currentText());
    List1->setItems(ListFile::ReadLines(Product::FavoritesFile).entries);
}

void Form3::Command2_Click()
{
    // A file that cannot be emptied keeps its entries, and so does the list.
    if (ListFile::EmptyFile(Product::FavoritesFile))
        List1->clear();
}

void Form3::Command3_Click()
{
    const int row = List1->selectedRow();
    const QString text = List1->selectedText();
    // Nothing selected, or a blank row: a blank row goes only with Clear All.
    if (text.isEmpty())
        return;
    if (!removeFromFile(row, text))
        return; // the row stays: the file still holds it
    List1->removeRow(row);
    if (List1->count() > 0)
        List1->selectRow(List1->count() - 1);
}
