#include "lists/Form4.h"

#include "common/MainWindows.h"
#include "common/Product.h"
#include "common/ProgramIcon.h"
#include "common/SharedWindow.h"
#include "lists/ListBox.h"
#include "lists/ListFile.h"
#include "lists/ListWindow.h"

#include <QPushButton>

namespace {
SharedWindow<Form4> &sharedWindow()
{
    static SharedWindow<Form4> window;
    return window;
}
} // namespace

Form4::Form4(QWidget *parent) : QWidget(parent)
{
    ListWindow::setUp(this, QStringLiteral("Zarvo Velmora History"), ProgramIcon::icon());
    List1 = ListWindow::addList(this);
    List1->setAccessibleName(QStringLiteral("History"));
    Command1 = ListWindow::addButton(this, "Command1", QStringLiteral("Clear All"), 4080);
    QWidget::setTabOrder(List1, Command1);
    List1->setFocus();

    connect(List1, &ListBox::DblClick, this, &Form4::List1_DblClick);
    connect(Command1, &QPushButton::clicked, this, &Form4::Command1_Click);
}

Form4 *Form4::showShared(const QWidget *opener)
{
    return sharedWindow().show(opener);
}

Form4 *Form4::shared()
{
    return sharedWindow().current();
}

void Form4::Form_Load()
{
    // A missing History.DAT shows an empty list and is not created here.
    List1->setItems(ListFile::ReadLines(Product::HistoryFile).entries);
}

void Form4::List1_DblClick()
{
    // A load stamp, a blank row or no selection at all is passed on as it is.
    MainWindows::navigateStartUpOrNew(List1->selectedText());
}

void Form4::Command1_Click()
{
    // One empty entry: the file holds exactly CR LF. A file that cannot be rewritten keeps its
    // entries, and so does the list.
    if (ListWindow::reported(Product::HistoryFile,
                             ListFile::WriteLines(Product::HistoryFile, {QString()})))
        List1->clear();
}
