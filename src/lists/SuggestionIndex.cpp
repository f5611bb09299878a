#include "lists/SuggestionIndex.h"

#include "common/Product.h"
#include "lists/Windows1252.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <sys/stat.h>

namespace {

constexpr char CR = '\r';
constexpr char LF = '\n';
// Enough bytes before the read end to notice a file rewritten rather than appended to.
constexpr qsizetype RewriteCheck = 64;
// The history is searched backwards in blocks of about this many bytes.
constexpr qsizetype Block = 256 * 1024;

// Each byte of the code page as its lower-case letter, where the code page has one.
const std::array<char, 256> &lowerBytes()
{
    static const std::array<char, 256> table = [] {
        std::array<char, 256> lower{};
        for (int byte = 0; byte < 256; ++byte) {
            const char c = char(byte);
            const QString text = Windows1252::decode(QByteArrayView(&c, 1)).toLower();
            const QByteArray back = Windows1252::encode(text);
            lower[byte] = back.size() == 1 && Windows1252::decode(back) == text ? back[0] : c;
        }
        return lower;
    }();
    return table;
}

QByteArray fold(QByteArrayView bytes)
{
    const std::array<char, 256> &lower = lowerBytes();
    QByteArray folded(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        folded[i] = lower[static_cast<unsigned char>(bytes[i])];
    return folded;
}

// A history line that is an address has a scheme; the load stamps begin with a digit.
bool hasScheme(QByteArrayView line)
{
    if (line.isEmpty() || !std::isalpha(static_cast<unsigned char>(line[0])))
        return false;
    for (qsizetype i = 1; i < line.size(); ++i) {
        const auto c = static_cast<unsigned char>(line[i]);
        if (c == ':')
            return true;
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.')
            return false;
    }
    return false;
}

// Where each match of the needle lies in the kept lines from..to, one per line, in line order.
template <typename Found>
void findIn(const QByteArray &folded, const std::vector<qsizetype> &starts, qsizetype from,
            qsizetype to, QByteArrayView needle, Found found)
{
    const char *data = folded.constData();
    qsizetype at = starts[from];
    const qsizetype end = to < qsizetype(starts.size()) ? starts[to] : folded.size();
    while (at < end) {
        const void *hit = memmem(data + at, size_t(end - at), needle.data(), size_t(needle.size()));
        if (!hit)
            break;
        const qsizetype position = static_cast<const char *>(hit) - data;
        const auto line =
            qsizetype(std::upper_bound(starts.begin(), starts.end(), position) - starts.begin()) -
            1;
        found(line);
        // On to the next line: one hit is enough for this one.
        at = line + 1 < qsizetype(starts.size()) ? starts[line + 1] : folded.size();
    }
}

} // namespace

SuggestionIndex &SuggestionIndex::shared()
{
    static SuggestionIndex index;
    return index;
}

SuggestionIndex::SuggestionIndex()
{
    m_favorites.fileName = Product::FavoritesFile;
    m_history.fileName = Product::HistoryFile;
    m_history.addressesOnly = true;
}

QList<SuggestionIndex::Suggestion> SuggestionIndex::suggest(const QString &text, int limit)
{
    QList<Suggestion> found;
    if (text.isEmpty() || limit <= 0)
        return found;
    m_favorites.refresh();
    m_history.refresh();
    // Text the code page cannot hold is in no list file.
    const QByteArray bytes = Windows1252::encode(text);
    if (Windows1252::decode(bytes) != text)
        return found;
    const QByteArray needle = fold(bytes);

    QSet<QByteArray> seen;
    const auto take = [&](const Source &source, qsizetype line, bool favourite) {
        const QByteArrayView original = source.original(line);
        if (seen.contains(original.toByteArray()))
            return;
        seen.insert(original.toByteArray());
        found.append({Windows1252::decode(original), favourite});
    };

    const qsizetype favourites = qsizetype(m_favorites.starts.size());
    if (favourites > 0) {
        findIn(m_favorites.folded, m_favorites.starts, 0, favourites, needle, [&](qsizetype line) {
            if (found.size() < limit)
                take(m_favorites, line, true);
        });
    }

    // Newest first: block by block from the end, each block's hits taken last to first.
    std::vector<qsizetype> hits;
    qsizetype to = qsizetype(m_history.starts.size());
    while (to > 0 && found.size() < limit) {
        const qsizetype end = to < qsizetype(m_history.starts.size()) ? m_history.starts[to]
                                                                      : m_history.folded.size();
        const auto first =
            std::lower_bound(m_history.starts.begin(), m_history.starts.begin() + to, end - Block);
        const qsizetype from = std::min(qsizetype(first - m_history.starts.begin()), to - 1);
        hits.clear();
        findIn(m_history.folded, m_history.starts, from, to, needle,
               [&](qsizetype line) { hits.push_back(line); });
        for (auto hit = hits.rbegin(); hit != hits.rend() && found.size() < limit; ++hit)
            take(m_history, *hit, false);
        to = from;
    }
    return found;
}

void SuggestionIndex::Source::reset()
{
    path.clear();
    device = inode = 0;
    offset = 0;
    lastRead.clear();
    hasTail = false;
    folded.clear();
    starts.clear();
    changed.clear();
    originals.clear();
}

void SuggestionIndex::Source::dropTail()
{
    if (!hasTail)
        return;
    hasTail = false;
    const qsizetype line = qsizetype(starts.size()) - 1;
    folded.truncate(starts.back());
    starts.pop_back();
    if (!changed.empty() && changed.back().first == line) {
        originals.truncate(changed.back().second);
        changed.pop_back();
    }
}

void SuggestionIndex::Source::add(QByteArrayView line)
{
    if (addressesOnly && !hasScheme(line))
        return;
    const QByteArray lower = fold(line);
    if (lower != line) {
        changed.emplace_back(qsizetype(starts.size()), originals.size());
        originals.append(line.data(), line.size());
        originals.append(CR);
    }
    starts.push_back(folded.size());
    folded.append(lower);
    folded.append(CR);
}

QByteArrayView SuggestionIndex::Source::original(qsizetype line) const
{
    const auto it =
        std::lower_bound(changed.begin(), changed.end(), std::pair<qsizetype, qsizetype>(line, 0));
    const QByteArray &bytes = it != changed.end() && it->first == line ? originals : folded;
    const qsizetype start = it != changed.end() && it->first == line ? it->second : starts[line];
    const qsizetype end = bytes.indexOf(CR, start);
    return QByteArrayView(bytes).sliced(start, end - start);
}

void SuggestionIndex::Source::refresh()
{
    // The working folder decides which file this is.
    const QString now = QDir::current().absoluteFilePath(fileName);
    struct stat status {};
    if (::stat(QFile::encodeName(now).constData(), &status) != 0 || !S_ISREG(status.st_mode)) {
        reset();
        return;
    }
    if (now != path || quint64(status.st_dev) != device || quint64(status.st_ino) != inode ||
        status.st_size < offset) {
        reset();
        path = now;
        device = quint64(status.st_dev);
        inode = quint64(status.st_ino);
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    // The bytes before the read end must still be those read: else the file was rewritten.
    const qint64 checkFrom = offset - lastRead.size();
    if (!file.seek(checkFrom))
        return;
    QByteArray bytes = file.readAll();
    if (!bytes.startsWith(lastRead)) {
        const QString kept = path;
        reset();
        path = kept;
        device = quint64(status.st_dev);
        inode = quint64(status.st_ino);
        if (!file.seek(0))
            return;
        bytes = file.readAll();
    } else {
        bytes.remove(0, lastRead.size());
    }
    dropTail();
    if (bytes.isEmpty())
        return;

    // Whole lines only move the read end: they end at CR or CR LF, and a CR that ends the bytes
    // may yet get its LF.
    qsizetype start = 0;
    qsizetype consumed = 0;
    while (start < bytes.size()) {
        const qsizetype cr = bytes.indexOf(CR, start);
        if (cr < 0 || cr + 1 == bytes.size())
            break;
        add(QByteArrayView(bytes).sliced(start, cr - start));
        start = cr + 1 + (bytes[cr + 1] == LF ? 1 : 0);
        consumed = start;
    }
    // Text after the last terminator is an entry too, read again with what follows it.
    if (consumed < bytes.size()) {
        const qsizetype before = qsizetype(starts.size());
        qsizetype end = bytes.indexOf(CR, consumed);
        if (end < 0)
            end = bytes.size();
        add(QByteArrayView(bytes).sliced(consumed, end - consumed));
        hasTail = qsizetype(starts.size()) > before;
    }
    const QByteArray whole = lastRead + bytes.left(consumed);
    lastRead = whole.right(RewriteCheck);
    offset += consumed;
}
