#pragma once

#include <QString>
#include <QStringList>

// What the program is started with: nothing, or one address to visit instead of the home page;
// --private first asks for a private window.
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
    bool isPrivate() const { return m_private; }

    static QString usage();

private:
    QString m_error;
    QString m_address;
    bool m_private = false;
};
