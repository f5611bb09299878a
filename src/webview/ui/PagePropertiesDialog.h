#pragma once

#include <QDialog>
#include <QUrl>

class QLabel;

// A page's properties: its title, address, protocol and type, the memory its page process takes
// and whether it runs.
class PagePropertiesDialog : public QDialog {
    Q_OBJECT

public:
    PagePropertiesDialog(const QString &title, const QUrl &address, const QString &contentType,
                         const QString &memory, const QString &state, QWidget *parent = nullptr);

    // A reader's name for the address's scheme ("HyperText Transfer Protocol" for http).
    static QString protocolName(const QUrl &address);
    // The MIME type with its common name, "HTML document (text/html)" say.
    static QString typeName(const QString &contentType);
    // The page process's proportional set size (in kB, -1 unknown) in MB; none without a process.
    static QString memoryText(qint64 pid, qint64 kiloBytes);

private:
    QLabel *addRow(const char *name, const QString &caption, const QString &value);
};
