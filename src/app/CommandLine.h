#pragma once

#include <QString>
#include <QStringList>

// What the program is started with: nothing, or one address to visit instead of the home page.
// Read before the application object exists, so a wrong start opens no window and needs no
// display.
class CommandLine {
public:
    // The arguments after the program's name.
    explicit CommandLine(const QStringList &arguments);

    bool isValid() const { return m_error.isEmpty(); }
    // One line for standard error when the arguments are not valid.
    QString error() const { return m_error; }
    // The address exactly as given; empty when none was given.
    QString address() const { return m_address; }

    static QString usage();

private:
    QString m_error;
    QString m_address;
};
