#include "links/LinkUrl.h"

#include "platform/Cp932.h"

namespace {

const char kHex[] = "0123456789ABCDEF";

void appendPercent(QByteArray &out, unsigned char c)
{
    out += '%';
    out += kHex[c >> 4];
    out += kHex[c & 0x0F];
}

bool keptAsIs(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '*' || c == '-'
           || c == '.' || c == '@' || c == '_';
}

} // namespace

QByteArray EncodeSjisQuery(const QString &Text)
{
    QByteArray out;
    const QByteArray bytes = Cp932::encode(Text);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        // A trail byte may look like a letter ("都" is 93 73, "s"); both
        // bytes of a double-byte character are escaped all the same.
        if (Cp932::isLeadByte(c) && i + 1 < bytes.size()) {
            appendPercent(out, c);
            appendPercent(out, static_cast<unsigned char>(bytes[++i]));
        } else if (c == ' ')
            out += '+';
        else if (keptAsIs(c))
            out += char(c);
        else
            appendPercent(out, c);
    }
    return out;
}

QByteArray EncodeUtf8AllBytes(const QString &Text)
{
    QByteArray out;
    for (const char ch : Text.toUtf8())
        appendPercent(out, static_cast<unsigned char>(ch));
    return out;
}

const QByteArray MapLinkHost = QByteArrayLiteral("http://i.mapfan.com");

QByteArray MapLinkUrl(const QString &Address)
{
    return MapLinkHost + QByteArrayLiteral("/link.cgi?W=D&ZM=11&ADDR=") + EncodeSjisQuery(Address.trimmed());
}

const QByteArray WebSearchPartnerCode = QByteArrayLiteral("murven");

const std::array<TWebSearchEngine, WebSearchEngineCount> &WebSearchEngines()
{
    static const std::array<TWebSearchEngine, WebSearchEngineCount> engines = {{
        {QStringLiteral("goo"),
         QByteArrayLiteral("https://search.goo.ne.jp/web.jsp?from=") + WebSearchPartnerCode + QByteArrayLiteral("&PT=")
             + WebSearchPartnerCode + QByteArrayLiteral("&IE=SJIS&MT="),
         false},
        {QStringLiteral("Yahoo! JAPAN"), QByteArrayLiteral("https://search.yahoo.co.jp/search?ei=SJIS&p="), false},
        {QStringLiteral("Excite"),
         QByteArrayLiteral("https://www.excite.co.jp/"
                           "search.gw?target=combined&look=excite_jp&lang=jp&search="),
         false},
        {QStringLiteral("インフォシーク"),
         QByteArrayLiteral("https://search.www.infoseek.co.jp/Web?col=OW&svx=101102&qt="), true},
        {QStringLiteral("フレッシュアイ"), QByteArrayLiteral("https://search.fresheye.com/?kw="), false},
    }};
    return engines;
}

QByteArray WebSearchUrl(int Engine, const QString &Text)
{
    const TWebSearchEngine &engine = WebSearchEngines()[size_t(qBound(0, Engine, WebSearchEngineCount - 1))];
    const QString text = Text.trimmed();
    return engine.Url + (engine.Utf8 ? EncodeUtf8AllBytes(text) : EncodeSjisQuery(text));
}
