#include "lists/ListFile.h"

#include "lists/Windows1252.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cstring>

namespace {

constexpr char CR = '\r';
constexpr char LF = '\n';
constexpr qint64 ReadChunk = 1 << 20;

// Splits at CR or CR LF; a lone LF stays inside its entry. Text after the last terminator is one
// more entry unless it is cut short by a read failure (complete == false).
QStringList split(QByteArrayView bytes, bool complete)
{
    QStringList entries;
    const char *data = bytes.data();
    const qsizetype size = bytes.size();
    qsizetype start = 0;
    while (start < size) {
        const void *cr = std::memchr(data + start, CR, static_cast<size_t>(size - start));
        if (!cr) {
            if (complete)
                entries.append(Windows1252::decode(bytes.sliced(start)));
            break;
        }
        const qsizetype end = static_cast<const char *>(cr) - data;
        entries.append(Windows1252::decode(bytes.sliced(start, end - start)));
        start = end + 1;
        if (start < size && data[start] == LF)
            ++start;
    }
    return entries;
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
    // Only a regular file: a device in its place (a link to /dev/zero, a pipe) never ends.
    if (!QFileInfo(fileName).isFile())
        return {{}, false};
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {{}, false};
    QByteArray bytes;
    bool complete = true;
    for (;;) {
        const QByteArray chunk = file.read(ReadChunk);
        if (file.error() != QFileDevice::NoError) {
            complete = false;
            break;
        }
        if (chunk.isEmpty())
            break;
        bytes += chunk;
    }
    return {split(bytes, complete), complete};
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
