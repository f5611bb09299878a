#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <vector>

// The addresses the address box offers while the user types: the favourites, then the history's
// addresses, most recent first. One index serves every window; each question first reads what
// was appended to either file since the last one, and reads a file whole again only when it
// shrank, was replaced or was rewritten under the bytes already read.
class SuggestionIndex {
public:
    struct Suggestion {
        QString address;
        bool favourite = false;
    };

    static SuggestionIndex &shared();

    // Up to limit addresses holding the text anywhere, compared without case: the favourites in
    // their order, then the history's addresses (its lines with a scheme), newest first; each
    // address once. Empty text matches nothing.
    QList<Suggestion> suggest(const QString &text, int limit = 10);

private:
    // The entries of one list file as read so far: the lines kept, one after another, each
    // ended by CR, folded to lower case; the original text of the lines that folding changed.
    struct Source {
        QString fileName;
        bool addressesOnly = false;
        QString path;
        quint64 device = 0;
        quint64 inode = 0;
        qint64 offset = 0;    // bytes of the file read as whole lines
        QByteArray lastRead;  // the bytes just before offset, to notice a rewrite
        bool hasTail = false; // the last line kept is text after the last terminator
        QByteArray folded;
        std::vector<qsizetype> starts;
        // Line index and where its original text starts in originals, for lines folding changed.
        std::vector<std::pair<qsizetype, qsizetype>> changed;
        QByteArray originals;

        void reset();
        void refresh();
        void add(QByteArrayView line);
        void dropTail();
        QByteArrayView original(qsizetype line) const;
    };

    SuggestionIndex();

    Source m_favorites;
    Source m_history;
};
