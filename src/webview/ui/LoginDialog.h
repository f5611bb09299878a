#pragma once

#include <QDialog>

class QLineEdit;

// Asks for a user name and password for a site or a proxy, naming it.
class LoginDialog : public QDialog {
    Q_OBJECT

public:
    LoginDialog(const QString &site, const QString &realm, bool proxy, QWidget *parent = nullptr);

    QString user() const;
    QString password() const;

private:
    QLineEdit *m_user;
    QLineEdit *m_password;
};
