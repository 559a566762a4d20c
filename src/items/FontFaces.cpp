#include "items/FontFaces.h"

#include "util/Font.h"

#include <QFont>
#include <QFontDatabase>
#include <QHash>
#include <QMutex>

namespace {

struct TFaceRow {
    QStringList names;
    QStringList families;
};

const QStringList &minchoFamilies()
{
    static const QStringList f{QStringLiteral("IPAexMincho"), QString::fromUtf16(u"IPAex明朝"),
                               QStringLiteral("Noto Serif CJK JP")};
    return f;
}

const QList<TFaceRow> &faceTable()
{
    static const QList<TFaceRow> rows = [] {
        const QStringList gothic{QStringLiteral("IPAexGothic"), QString::fromUtf16(u"IPAexゴシック"),
                                 QStringLiteral("Noto Sans CJK JP")};
        // The fixed-pitch Gothic keeps half-width Latin at half an em.
        const QStringList monoGothic{QStringLiteral("Noto Sans Mono CJK JP"), QStringLiteral("IPAexGothic"),
                                     QString::fromUtf16(u"IPAexゴシック")};
        const auto names = [](std::initializer_list<const char16_t *> list) {
            QStringList out;
            for (const char16_t *n : list)
                out.append(QString::fromUtf16(n));
            return out;
        };
        return QList<TFaceRow>{
            {names({u"ＭＳ 明朝", u"ＭＳ Ｐ明朝", u"MS Mincho", u"MS PMincho", u"HG明朝E", u"HGP明朝E",
                    u"HG明朝B", u"HGP明朝B", u"HGS明朝E", u"HGS明朝B"}),
             minchoFamilies()},
            {names({u"ＭＳ ゴシック", u"MS Gothic"}), monoGothic},
            {names({u"ＭＳ Ｐゴシック", u"MS PGothic", u"MS UI Gothic", u"メイリオ", u"Meiryo", u"Meiryo UI",
                    u"HGゴシックE", u"HGPゴシックE", u"HGゴシックM", u"HGPゴシックM", u"HG丸ｺﾞｼｯｸM-PRO"}),
             gothic},
        };
    }();
    return rows;
}

QString withoutVerticalMark(const QString &Face)
{
    return Face.startsWith(QLatin1Char('@')) ? Face.mid(1) : Face;
}

} // namespace

QStringList FaceCandidates(const QString &Face)
{
    const QString name = withoutVerticalMark(Face);
    for (const TFaceRow &row : faceTable())
        if (row.names.contains(name))
            return row.families;
    QStringList out;
    if (!name.isEmpty())
        out.append(name);
    out.append(minchoFamilies());
    return out;
}

TResolvedFace ResolveFontFace(const QString &Face)
{
    static QMutex mutex;
    static QHash<QString, QString> cache;
    const QString name = withoutVerticalMark(Face);
    const bool vertical = Face.startsWith(QLatin1Char('@'));
    QMutexLocker lock(&mutex);
    auto it = cache.constFind(name);
    if (it == cache.constEnd()) {
        const QStringList installed = QFontDatabase::families();
        QString family = minchoFamilies().constFirst();
        for (const QString &candidate : FaceCandidates(name))
            if (installed.contains(candidate)) {
                family = candidate;
                break;
            }
        it = cache.insert(name, family);
    }
    return {*it, vertical};
}

QRawFont LoadRawFont(const QString &Face, qreal PixelSize, int StyleBits)
{
    QFont font(ResolveFontFace(Face).family);
    font.setPixelSize(qMax(1, qRound(PixelSize)));
    font.setBold(StyleBits & fsBold);
    font.setItalic(StyleBits & fsItalic);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setStyleStrategy(QFont::NoFontMerging);
    QRawFont raw = QRawFont::fromFont(font);
    if (raw.isValid())
        raw.setPixelSize(PixelSize);
    return raw;
}
