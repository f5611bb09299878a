#include "app/CommandLine.h"

#include "common/Product.h"

CommandLine::CommandLine(const QStringList &arguments)
{
    // "--" ends the options, so an address that starts with a dash can still be given. The
    // program knows no options: neither the toolkit's nor the engine's reach it from here.
    QStringList addresses;
    bool options = true;
    for (const QString &argument : arguments) {
        if (options && argument == QLatin1String("--")) {
            options = false;
        } else if (options && argument == QLatin1String("--private")) {
            m_private = true;
        } else if (options && argument.startsWith(u'-')) {
            // Shown on one line, whatever the option holds.
            QString shown = argument;
            for (QChar &c : shown) {
                if (!c.isPrint())
                    c = u'?';
            }
            m_error = QStringLiteral("%1: unknown option %2. %3")
                          .arg(Product::ExecutableName, shown, usage());
            return;
        } else {
            addresses.append(argument);
        }
    }
    if (addresses.size() > 1) {
        m_error = QStringLiteral("%1: one address at most, %2 given. %3")
                      .arg(Product::ExecutableName)
                      .arg(addresses.size())
                      .arg(usage());
        return;
    }
    m_address = addresses.value(0);
}

QString CommandLine::usage()
{
    return QStringLiteral("Usage: %1 [--private] [ADDRESS]").arg(Product::ExecutableName);
}
