#include "lists/ListFile.h"

#include "lists/Windows1252.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cstring>
#include <optional>

namespace {

constexpr char CR = '\r';
constexpr char LF = '\n';
constexpr qint64 ReadChunk = 1 << 20;
constexpr qint64 MaxReserve = qint64(1) << 30;

// Entries end at CR or CR LF; a lone LF stays inside its entry. Text after the last terminator is
// one more entry unless it is cut short by a read failure (complete == false).
QList<qsizetype> entryStarts(QByteArrayView bytes, bool complete)
{
    QList<qsizetype> starts;
    const char *data = bytes.data();
    const qsizetype size = bytes.size();
    qsizetype start = 0;
    while (start < size) {
        const void *cr = std::memchr(data + start, CR, static_cast<size_t>(size - start));
        if (!cr) {
            if (complete)
                starts.append(start);
            break;
        }
        starts.append(start);
        start = static_cast<const char *>(cr) - data + 1;
        if (start < size && data[start] == LF)
            ++start;
    }
    return starts;
}

// The entry from start to its CR, or to the end of the bytes.
QByteArrayView entryAt(QByteArrayView bytes, qsizetype start)
{
    const void *cr =
        std::memchr(bytes.data() + start, CR, static_cast<size_t>(bytes.size() - start));
    const qsizetype end = cr ? static_cast<const char *>(cr) - bytes.data() : bytes.size();
    return bytes.sliced(start, end - start);
}

QStringList split(QByteArrayView bytes, bool complete)
{
    QStringList entries;
    const QList<qsizetype> starts = entryStarts(bytes, complete);
    entries.reserve(starts.size());
    for (const qsizetype start : starts)
        entries.append(Windows1252::decode(entryAt(bytes, start)));
    return entries;
}

// The whole file; complete is false when it could not be read to its end.
std::optional<QByteArray> readAll(const QString &fileName, bool &complete)
{
    complete = true;
    // Only a regular file: a device in its place (a link to /dev/zero, a pipe) never ends.
    if (!QFileInfo(fileName).isFile())
        return std::nullopt;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // Straight into one buffer, as large as the file says it is: a long list is copied once.
    QByteArray bytes;
    if (file.size() < MaxReserve)
        bytes.reserve(file.size() + 1);
    for (;;) {
        const qsizetype used = bytes.size();
        bytes.resize(used + ReadChunk);
        const qint64 read = file.read(bytes.data() + used, ReadChunk);
        bytes.resize(used + qMax<qint64>(read, 0));
        if (read < 0 || file.error() != QFileDevice::NoError) {
            complete = false;
            break;
        }
        if (read == 0)
            break;
    }
    return bytes;
}

// A file edited by hand may end inside an entry; a new entry must not merge into it.
// Only a last byte CR, or CR LF, ends the last entry.
bool endsInsideEntry(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly) || file.size() == 0)
        return false;
    const qint64 tail = qMin<qint64>(file.size(), 2);
    if (!file.seek(file.size() - tail))
        return false;
    const QByteArray last = file.read(tail);
    if (last.size() != tail)
        return false;
    return !(last.endsWith(CR) || last.endsWith("\r\n"));
}

// List files are regular files; a device or a directory in their place is never written to.
bool mayWrite(const QString &fileName)
{
    const QFileInfo target(fileName);
    return !target.exists() || target.isFile();
}

} // namespace

namespace ListFile {

QStringList parse(QByteArrayView bytes)
{
    return split(bytes, true);
}

QByteArray format(const QStringList &entries)
{
    QByteArray bytes;
    for (const QString &entry : entries) {
        bytes += Windows1252::encode(entry);
        bytes += "\r\n";
    }
    return bytes;
}

Lines ReadLines(const QString &fileName)
{
    bool complete = true;
    const std::optional<QByteArray> bytes = readAll(fileName, complete);
    if (!bytes)
        return {{}, false};
    return {split(*bytes, complete), complete};
}

Index ReadIndex(const QString &fileName)
{
    bool complete = true;
    std::optional<QByteArray> bytes = readAll(fileName, complete);
    if (!bytes)
        return {{}, {}, false};
    Index index{std::move(*bytes), {}, complete};
    index.starts = entryStarts(index.bytes, complete);
    return index;
}

QString Index::entry(qsizetype i) const
{
    return Windows1252::decode(entryAt(bytes, starts.at(i)));
}

bool openForAppend(QFile &file)
{
    return mayWrite(file.fileName()) && file.open(QIODevice::WriteOnly | QIODevice::Append);
}

bool appendEntry(QFile &file, const QString &text)
{
    QByteArray bytes;
    if (endsInsideEntry(file.fileName()))
        bytes += "\r\n";
    bytes += format({text});
    return file.write(bytes) == bytes.size() && file.flush();
}

bool AppendLine(const QString &fileName, const QString &text)
{
    QFile file(fileName);
    if (!openForAppend(file))
        return false;
    const bool written = appendEntry(file, text);
    file.close();
    return written && file.error() == QFileDevice::NoError;
}

bool WriteLines(const QString &fileName, const QStringList &entries)
{
    // Atomic: the new content goes to a temporary file beside the old one, which is replaced only
    // once everything is written, so a crash or a full disk never leaves a half-written list.
    if (!mayWrite(fileName))
        return false;
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = format(entries);
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool EmptyFile(const QString &fileName)
{
    return WriteLines(fileName, {});
}

} // namespace ListFile
