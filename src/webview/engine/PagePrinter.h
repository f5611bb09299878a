#pragma once

#include "webview/engine/PageSilencer.h"

#include <QObject>
#include <QPointer>
#include <memory>

class QDialog;
class QPrinter;
class QWebEngineView;

// Printing for one web view: its own printer, so a page setup chosen in a window serves that
// window's later prints. The engine prints asynchronously; one print at a time.
class PagePrinter : public QObject {
    Q_OBJECT

public:
    explicit PagePrinter(QWebEngineView *view);
    ~PagePrinter() override;

    // The view's printer, made on first use.
    QPrinter *printer();
    bool isPrinting() const { return m_printing; }

    // The print dialog, then the page to the chosen printer.
    void print();
    // The same for the page's own window.print(). Its dialog blocks no window; a page that asks
    // again soon after an answer can be refused until it loads again.
    void printForPage();
    // The print preview dialog for the page.
    void preview();

signals:
    void finished(bool ok);

private:
    bool hasPage() const;
    void askAndPrint(bool forPage);
    // Prints and waits until the engine is done: the preview needs its pages painted on return.
    bool printAndWait();

    QWebEngineView *m_view;
    std::unique_ptr<QPrinter> m_printer;
    bool m_printing = false;
    // The print or preview dialog is up.
    bool m_asking = false;
    QPointer<QDialog> m_pageDialog;
    PageSilencer m_pagePrints;
};
