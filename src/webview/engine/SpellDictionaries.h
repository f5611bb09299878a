#pragma once

#include <QString>
#include <QStringList>

class QWebEnginePage;

// The spelling dictionaries of the user's languages, in the engine's own format. Debian keeps
// hunspell dictionaries in /usr/share/hunspell, which the engine cannot read: they are converted
// once into the cache folder, off the start-up path (after the first page, on a worker thread),
// and found there from the next start on. Words the user adds go to a word list in the config
// folder, from which a personal dictionary is made the same way. Without the converter or a
// dictionary there is no checking, and nothing else changes.
namespace SpellDictionaries {
// The personal dictionary's name beside the languages'.
inline const QString PersonalName = QStringLiteral("zarvo-personal");

// The engine's names ("en-US") of the locale's languages: LANGUAGE's list first, then LANG.
QStringList localeLanguages(const QString &language, const QString &lang);
// Where the converted dictionaries are kept.
QString folder();
// The personal word list, one word a line.
QString wordListPath();
QString converterPath();

// Before the engine starts: tells it where its dictionaries are, and notes which it will find.
void beforeEngine();
// The dictionaries to check with (the personal one included), as found by beforeEngine.
QStringList languages();
// Adds the word to the personal word list; it counts from the next start. False when the list
// could not be written.
bool addWord(const QString &word);
// Converts what is missing or out of date into the folder: the locale's dictionaries and the
// personal word list. Blocks; for a worker thread. Returns the names it made.
QStringList prepare(const QStringList &languages);
// Once, when the page has loaded its first document: prepare() on a worker thread.
void prepareAfterFirstPage(QWebEnginePage *page);
} // namespace SpellDictionaries
