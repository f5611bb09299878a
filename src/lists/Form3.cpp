#include "lists/Form3.h"

#include "common/MainWindows.h"
#include "common/Product.h"
#include "common/ProductPicture.h"
#include "common/SharedWindow.h"
#include "lists/ListBox.h"
#include "lists/ListFile.h"
#include "lists/ListWindow.h"

#include <QPushButton>

namespace {
SharedWindow<Form3> &sharedWindow()
{
    static SharedWindow<Form3> window;
    return window;
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
    return sharedWindow().show(opener);
}

Form3 *Form3::shared()
{
    return sharedWindow().current();
}

void Form3::Form_Load()
{
    // A missing or unreadable file leaves the list with what was read; no file is created.
    List1->setItems(ListFile::ReadLines(Product::FavoritesFile).entries);
}

void Form3::List1_DblClick()
{
    const QString address = List1->selectedText();
    MainWindows::navigateStartUpOrNew(address);
    close();
}

void Form3::Command1_Click()
{
    List1->clear();
    // Also an empty address is added. A failed append leaves the file as it was, and the list
    // then shows what the file holds.
    ListWindow::reported(
        Product::FavoritesFile,
        ListFile::AppendLine(Product::FavoritesFile, MainWindows::startUpAddressOrNew()));
    List1->setItems(ListFile::ReadLines(Product::FavoritesFile).entries);
}

void Form3::Command2_Click()
{
    // A file that cannot be emptied keeps its entries, and so does the list.
    if (ListWindow::reported(Product::FavoritesFile, ListFile::EmptyFile(Product::FavoritesFile)))
        List1->clear();
}

void Form3::Command3_Click()
{
    const int row = List1->selectedRow();
    const QString text = List1->selectedText();
    // Nothing selected, or a blank row: a blank row goes only with Clear All.
    if (text.isEmpty())
        return;
    // Only that one entry goes, found where it stands in the file now (the toolbar may have
    // appended meanwhile); every other entry stays.
    if (!ListWindow::reported(Product::FavoritesFile,
                              ListFile::RemoveEntry(Product::FavoritesFile, row, text)))
        return; // the row stays: the file still holds it
    List1->removeRow(row);
    if (List1->count() > 0)
        List1->selectRow(List1->count() - 1);
}
