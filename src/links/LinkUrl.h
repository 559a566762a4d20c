#pragma once

#include <QByteArray>
#include <QString>

#include <array>

// The web addresses the links build. The hosts and the partner code are the
// deployment's: they live here and nowhere else.

// Shift-JIS text byte by byte: a blank becomes "+", letters, digits and
// "*-.@_" stay, every other byte becomes "%" and two upper-case hexadecimal
// digits, both bytes of a double-byte character too (even a trail byte that
// looks like a letter).
[[nodiscard]] QByteArray EncodeSjisQuery(const QString &Text);
// UTF-8 text with every byte as a "%XX" group, letters and blanks too.
[[nodiscard]] QByteArray EncodeUtf8AllBytes(const QString &Text);

// The mobile map site's link to an address (the text trimmed first).
extern const QByteArray MapLinkHost;
[[nodiscard]] QByteArray MapLinkUrl(const QString &Address);

struct TWebSearchEngine
{
    QString Name;
    QByteArray Url; // up to and including the query key that takes the text
    bool Utf8;      // else Shift-JIS
};
inline constexpr int WebSearchEngineCount = 5;
extern const QByteArray WebSearchPartnerCode;
[[nodiscard]] const std::array<TWebSearchEngine, WebSearchEngineCount> &WebSearchEngines();
// The engine's search URL for the text (trimmed first).
[[nodiscard]] QByteArray WebSearchUrl(int Engine, const QString &Text);
