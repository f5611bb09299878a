#include "webview/ui/LoginDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>

LoginDialog::LoginDialog(const QString &site, const QString &realm, bool proxy, QWidget *parent)
    : QDialog(parent), m_user(new QLineEdit(this)), m_password(new QLineEdit(this))
{
    setWindowTitle(tr("Log In"));
    m_user->setObjectName(QStringLiteral("user"));
    m_password->setObjectName(QStringLiteral("password"));
    m_password->setEchoMode(QLineEdit::Password);

    QString message = proxy ? tr("The proxy %1 asks for a user name and password.").arg(site)
                            : tr("%1 asks for a user name and password.").arg(site);
    if (!realm.isEmpty())
        message += QLatin1Char('\n') + tr("It says: \"%1\"").arg(realm);
    auto *label = new QLabel(message, this);
    label->setWordWrap(true);
    // The realm comes from the site: show it as it is, never as markup.
    label->setTextFormat(Qt::PlainText);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *form = new QFormLayout(this);
    form->addRow(label);
    form->addRow(tr("&User name:"), m_user);
    form->addRow(tr("&Password:"), m_password);
    form->addRow(buttons);
    m_user->setFocus();
}

QString LoginDialog::user() const
{
    return m_user->text();
}

QString LoginDialog::password() const
{
    return m_password->text();
}
