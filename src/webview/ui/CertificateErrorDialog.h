#pragma once

#include <QDialog>

// Says which host's certificate is wrong and how. For an error the engine lets the user
// override, it offers to continue; "Go Back" is the default.
class CertificateErrorDialog : public QDialog {
    Q_OBJECT

public:
    CertificateErrorDialog(const QString &host, const QString &error, bool overridable,
                           QWidget *parent = nullptr);
};
