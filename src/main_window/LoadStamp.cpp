#include "main_window/LoadStamp.h"

namespace {

// Qt date and time formats: letters are fields, text in single quotes is literal.
// Calls edit(format, start, length) for each run of `field` outside quotes, from last to first, so
// the callback may edit the format behind the current position.
template <typename Edit> QString editRuns(QString format, QChar field, Edit edit)
{
    QList<std::pair<qsizetype, qsizetype>> runs;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        if (format[i] == u'\'') {
            quoted = !quoted;
        } else if (!quoted && format[i] == field) {
            qsizetype end = i;
            while (end < format.size() && format[end] == field)
                ++end;
            runs.append({i, end - i});
            i = end - 1;
        }
    }
    for (auto run = runs.crbegin(); run != runs.crend(); ++run)
        edit(format, run->first, run->second);
    return format;
}

QString withFourDigitYear(const QString &format)
{
    return editRuns(format, u'y', [](QString &f, qsizetype at, qsizetype length) {
        f.replace(at, length, QStringLiteral("yyyy"));
    });
}

QString withoutTimeZone(const QString &format)
{
    return editRuns(format, u't', [](QString &f, qsizetype at, qsizetype length) {
        // Take the blanks that separated the zone from the rest with it.
        qsizetype start = at;
        qsizetype end = at + length;
        while (start > 0 && f[start - 1].isSpace())
            --start;
        if (start == at) {
            while (end < f.size() && f[end].isSpace())
                ++end;
        }
        f.remove(start, end - start);
    });
}

} // namespace

namespace LoadStamp {

QString text(const QDateTime &now, const QLocale &locale)
{
    const QString date = withFourDigitYear(locale.dateFormat(QLocale::ShortFormat));
    const QString time = withoutTimeZone(locale.timeFormat(QLocale::LongFormat));
    return locale.toString(now.date(), date) + locale.toString(now.time(), time);
}

} // namespace LoadStamp
