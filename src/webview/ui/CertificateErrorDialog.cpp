#include "webview/ui/CertificateErrorDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CertificateErrorDialog::CertificateErrorDialog(const QString &host, const QString &error,
                                               bool overridable, QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Certificate Error"));
    QString message = tr("The certificate of %1 cannot be trusted:\n%2\n\n").arg(host, error);
    message += overridable ? tr("Someone may be reading or changing what you exchange with this "
                                "site. Continue to %1 anyway?")
                                 .arg(host)
                           : tr("The page cannot be shown.");
    auto *label = new QLabel(message, this);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *back =
        buttons->addButton(overridable ? tr("Go Back") : tr("Close"), QDialogButtonBox::RejectRole);
    if (overridable) {
        QPushButton *proceed =
            buttons->addButton(tr("Continue Anyway"), QDialogButtonBox::AcceptRole);
        proceed->setAutoDefault(false);
        proceed->setObjectName(QStringLiteral("continue"));
    }
    back->setDefault(true);
    back->setFocus();
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(buttons);
}
