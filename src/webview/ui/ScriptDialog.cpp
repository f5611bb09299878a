#include "webview/ui/ScriptDialog.h"

#include "webview/ui/PageDialogLoop.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

ScriptDialog::ScriptDialog(Prompter::PageDialog kind, const QString &site, const QString &message,
                           const QString &defaultText, bool offerToStop, QWidget *owner)
    : QDialog(owner)
{
    setWindowTitle(tr("%1 says").arg(site));
    auto *layout = new QVBoxLayout(this);
    auto *label = new QLabel(message, this);
    label->setObjectName(QStringLiteral("message"));
    // The page's words, shown as they are: never markup, never a link.
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(label);
    if (kind == Prompter::PageDialog::Prompt) {
        m_text = new QLineEdit(defaultText, this);
        m_text->setObjectName(QStringLiteral("text"));
        layout->addWidget(m_text);
    }
    auto *buttons = new QDialogButtonBox(kind == Prompter::PageDialog::Alert
                                             ? QDialogButtonBox::Ok
                                             : QDialogButtonBox::Ok | QDialogButtonBox::Cancel,
                                         this);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    if (offerToStop)
        m_stop = PageDialogLoop::addStopBox(this, tr("Don't let this page show more dialogs"),
                                            QStringLiteral("stopDialogs"));
    if (m_text)
        m_text->setFocus();
    else
        buttons->button(QDialogButtonBox::Ok)->setFocus();
}

Prompter::PageAnswer ScriptDialog::ask(QWidget *parent, Prompter::PageDialog kind,
                                       const QString &site, const QString &message,
                                       const QString &defaultText, bool offerToStop)
{
    QWidget *owner = parent ? parent->window() : nullptr;
    // On the heap: it goes with its window when that is deleted while the dialog is up.
    const QPointer<ScriptDialog> dialog =
        new ScriptDialog(kind, site, message, defaultText, offerToStop, owner);
    PageDialogLoop::exec(dialog);
    if (!dialog)
        return {};
    const Prompter::PageAnswer answer = dialog->answer();
    delete dialog;
    return answer;
}

Prompter::PageAnswer ScriptDialog::answer() const
{
    Prompter::PageAnswer answer;
    answer.accepted = result() == QDialog::Accepted;
    if (answer.accepted && m_text)
        answer.text = m_text->text();
    answer.stopDialogs = m_stop && m_stop->isChecked();
    return answer;
}
