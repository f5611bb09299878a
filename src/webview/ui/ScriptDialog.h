#pragma once

#include "webview/Prompter.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;

// A page's alert, confirm or prompt. It blocks the page, not the window: the window's close box
// keeps working, and closing the window closes the dialog unanswered, so a page that shows
// dialogs in a loop cannot keep its window open.
class ScriptDialog : public QDialog {
    Q_OBJECT

public:
    ScriptDialog(Prompter::PageDialog kind, const QString &site, const QString &message,
                 const QString &defaultText, bool offerToStop, QWidget *owner);

    // Shows the dialog over the parent's window and waits for its answer.
    static Prompter::PageAnswer ask(QWidget *parent, Prompter::PageDialog kind, const QString &site,
                                    const QString &message, const QString &defaultText,
                                    bool offerToStop);

    Prompter::PageAnswer answer() const;

private:
    QLineEdit *m_text = nullptr;
    QCheckBox *m_stop = nullptr;
};
