#include "webview/engine/PagePrinter.h"

#include <QEventLoop>
#include <QPointer>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QWebEngineView>

PagePrinter::PagePrinter(QWebEngineView *view) : QObject(view), m_view(view) {}

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
    // One dialog at a time: a page that calls window.print() in a loop gets no stack of them.
    if (!hasPage() || m_printing || m_asking)
        return;
    // On the heap: a dialog parented to the view goes with it if the window closes meanwhile.
    QPointer<PagePrinter> self(this);
    QPointer<QPrintDialog> dialog = new QPrintDialog(printer(), m_view);
    m_asking = true;
    const bool accepted = dialog->exec() == QDialog::Accepted;
    delete dialog;
    if (!self)
        return;
    m_asking = false;
    if (!accepted)
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
