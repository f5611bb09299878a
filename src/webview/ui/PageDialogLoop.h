#pragma once

#include <QObject>

class QCheckBox;
class QDialog;
class QString;
class QWidget;

// Waits for the answer to a dialog a page brought up (its alert, its print) without blocking the
// page's window: a window blocked by a modal dialog ignores its close box, so a page that asks in
// a loop could hold it open. Closing the window closes the dialog first, unanswered, and the
// window's close goes on.
class PageDialogLoop : public QObject {
    Q_OBJECT

public:
    // Shows the dialog, not modal, over its parent's window and returns its result once it is
    // answered. Rejected, without showing it, for a window already closed; rejected too when the
    // dialog went meanwhile (its window deleted). The dialog stays the caller's.
    static int exec(QDialog *dialog);
    // Whether the widget's window was closed (its page may still ask while it waits to go).
    static bool isClosed(const QWidget *widget);
    // Adds the check box that silences the page, above the dialog's buttons.
    static QCheckBox *addStopBox(QDialog *dialog, const QString &text, const QString &name);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    PageDialogLoop(QDialog *dialog, QWidget *owner);

    QDialog *m_dialog;
};
