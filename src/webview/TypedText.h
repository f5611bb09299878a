#pragma once

#include <QString>
#include <optional>

// Whether text typed into the address line names a page or is words to look up, as browsers
// decide it: an address has a scheme, is a file path, is localhost, or is one piece with a dot
// or a colon that reads as a host. Everything else is words, searched for on the web.
namespace TypedText {

bool isAddress(const QString &text);
// The words, surrounding blanks aside, when the text is words; nothing for an address or for
// text with nothing but blanks (that goes on as typed).
std::optional<QString> words(const QString &text);
// The web search's result page for the words, each byte of their UTF-8 percent-encoded.
QString searchAddress(const QString &words);

} // namespace TypedText
