#include "webview/engine/PagePrinter.h"

#include "webview/ui/PageDialogLoop.h"

#include <QCheckBox>
#include <QEventLoop>
#include <QPointer>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QWebEngineView>

PagePrinter::PagePrinter(QWebEngineView *view) : QObject(view), m_view(view)
{
    // A new document may ask to print again.
    connect(view, &QWebEngineView::loadStarted, this, [this] { m_pagePrints.reset(); });
}

PagePrinter::~PagePrinter() = default;

QPrinter *PagePrinter::printer()
{
    // Not made with the view: a printer loads the system's print support, which asks the print
    // service for its printers, and every window's start would wait for that.
    if (!m_printer) {
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        // The engine rasterises what it prints: a coarse resolution gives blurred text.
        m_printer->setResolution(300);
    }
    return m_printer.get();
}

bool PagePrinter::hasPage() const
{
    return !m_view->url().isEmpty();
}

void PagePrinter::print()
{
    // The page's print dialog already up serves the user's Print too.
    if (m_pageDialog) {
        m_pageDialog->raise();
        m_pageDialog->activateWindow();
        return;
    }
    askAndPrint(false);
}

void PagePrinter::printForPage()
{
    if (!m_pagePrints.isSilenced() && !PageDialogLoop::isClosed(m_view))
        askAndPrint(true);
}

void PagePrinter::askAndPrint(bool forPage)
{
    // One dialog at a time: a page that calls window.print() in a loop gets no stack of them.
    if (!hasPage() || m_printing || m_asking)
        return;
    const bool offerToStop = forPage && m_pagePrints.offersToStop();
    // On the heap: a dialog parented to the view goes with it if the window closes meanwhile.
    QPointer<PagePrinter> self(this);
    QPointer<QPrintDialog> dialog = new QPrintDialog(printer(), m_view);
    const QPointer<QCheckBox> stop =
        offerToStop ? PageDialogLoop::addStopBox(dialog, tr("Don't let this page print again"),
                                                 QStringLiteral("stopPrinting"))
                    : nullptr;
    m_asking = true;
    if (forPage)
        m_pageDialog = dialog;
    // The page's dialog leaves its window usable: a page asking in a loop cannot hold it open.
    const int result = forPage ? PageDialogLoop::exec(dialog) : dialog->exec();
    const bool stopAsked = stop && stop->isChecked();
    delete dialog;
    if (!self)
        return;
    m_asking = false;
    if (forPage)
        m_pagePrints.answered(offerToStop, stopAsked);
    if (result != QDialog::Accepted)
        return;
    // Not waited for: the window stays usable while the engine prints.
    m_printing = true;
    connect(
        m_view, &QWebEngineView::printFinished, this,
        [this](bool ok) {
            m_printing = false;
            emit finished(ok);
        },
        Qt::SingleShotConnection);
    m_view->print(printer());
}

void PagePrinter::preview()
{
    if (!hasPage() || m_printing || m_asking)
        return;
    QPointer<QPrintPreviewDialog> dialog = new QPrintPreviewDialog(printer(), m_view);
    connect(dialog, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter *) { printAndWait(); });
    m_asking = true;
    QPointer<PagePrinter> self(this);
    dialog->exec();
    delete dialog;
    if (self)
        m_asking = false;
}

bool PagePrinter::printAndWait()
{
    if (m_printing)
        return false;
    m_printing = true;
    QPointer<PagePrinter> self(this);
    QEventLoop loop;
    bool result = false;
    connect(m_view, &QWebEngineView::printFinished, &loop, [&](bool ok) {
        result = ok;
        loop.quit();
    });
    // The view may go while we wait (its window closed): stop waiting then too.
    connect(m_view, &QObject::destroyed, &loop, &QEventLoop::quit);
    m_view->print(printer());
    loop.exec();
    if (!self)
        return false;
    m_printing = false;
    emit finished(result);
    return result;
}
