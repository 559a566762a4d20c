#include "TextItemSupport.h"
#include "items/AddressRect.h"
#include "items/NameRect.h"

#include <gtest/gtest.h>

// Names and addresses in fit mode, whatever their length and the box: every
// character is drawn (none dropped to make room) and every line ends inside
// the item, so nothing is cut where the user does not look.

namespace {

QString u(const char16_t *s)
{
    return QString::fromUtf16(s);
}

// The characters of Text other than blanks and digits (digit runs of an
// address are drawn in half width).
QString letters(const QString &Text)
{
    QString out;
    for (QChar c : Text)
        if (!c.isSpace() && !c.isDigit())
            out += c;
    std::sort(out.begin(), out.end());
    return out;
}

// Every recorded line lies inside Size along its direction: the last
// character's cell ends before the far edge. The layouts' halvings may put a
// cell edge one unit over, where a glyph has its side bearing, not ink.
void expectLinesInside(const TMetaRect &Item, QSize Size, const QString &What)
{
    for (const TTextOp *op : textOps(Item)) {
        if (op->Advances.isEmpty())
            continue;
        int length = std::min(op->Advances.last(), op->CellHeight);
        for (qsizetype k = 0; k + 1 < op->Advances.size(); ++k)
            length += op->Advances[k];
        const bool vertical = op->Font.Escapement == 2700;
        const int from = vertical ? op->Origin.y() : op->Origin.x();
        const int room = vertical ? Size.height() : Size.width();
        EXPECT_GE(from, -1) << qPrintable(What + QLatin1Char(' ') + op->Text);
        EXPECT_LE(from + length, room + 1) << qPrintable(What + QLatin1Char(' ') + op->Text);
    }
}

QString drawn(const TMetaRect &Item)
{
    QString all;
    for (const TTextOp *op : textOps(Item))
        all += op->Text;
    return all;
}

const QList<QSize> &boxes()
{
    static const QList<QSize> b{{100, 300}, {60, 200}, {40, 400}, {300, 100}, {200, 60}};
    return b;
}

TEST(TextFitTest, everyCharacterOfLongNamesAndJointNamesIsDrawnInsideTheBox)
{
    const QStringList names{u(u"山田 太郎"), u(u"長谷川部 五郎左衛門之助"), u(u"ジョンスミス")};
    for (bool horizontal : {false, true})
        for (const QString &name : names)
            for (QSize box : boxes())
                for (int joints = 0; joints <= 2; ++joints) {
                    TNameRect n;
                    n.SetNameKind(1);
                    n.SetHorizontal(horizontal);
                    n.SetName(name);
                    n.SetHonor(u(u"様"));
                    n.SetJointCount(joints);
                    QString expected = name + u(u"様");
                    for (int i = 0; i < joints; ++i) {
                        n.SetJointName(i, u(u"花子次郎"));
                        n.SetJointHonor(i, u(u"様"));
                        expected += u(u"花子次郎様");
                    }
                    layOut(n, {0, 0, box.width(), box.height()});
                    const QString what =
                        QStringLiteral("%1 %2x%3 %4 joints %5").arg(name).arg(box.width()).arg(box.height()).arg(horizontal).arg(joints);
                    EXPECT_EQ(letters(drawn(n)), letters(expected)) << qPrintable(what);
                    expectLinesInside(n, box, what);
                }
}

TEST(TextFitTest, everyLineOfACompanyNameIsDrawnInsideTheBox)
{
    for (bool horizontal : {false, true})
        for (QSize box : boxes()) {
            TNameRect n;
            n.SetNameKind(2);
            n.SetHorizontal(horizontal);
            n.SetCorp(u(u"株式会社　山田商事ホールディングス　東日本支社"));
            n.SetDptmnt(0, u(u"営業本部　第一営業部"));
            n.SetPost(u(u"代表取締役社長"));
            n.SetName(u(u"山田 太郎"));
            n.SetHonor(u(u"様"));
            layOut(n, {0, 0, box.width(), box.height()});
            const QString what = QStringLiteral("%1x%2 %3").arg(box.width()).arg(box.height()).arg(horizontal);
            EXPECT_EQ(letters(drawn(n)),
                      letters(u(u"株式会社山田商事ホールディングス東日本支社営業本部第一営業部代表取締役社長山田太郎様")))
                << qPrintable(what);
            expectLinesInside(n, box, what);
        }
}

TEST(TextFitTest, everyCharacterOfALongAddressIsDrawnInsideTheBox)
{
    const QList<QStringList> addresses{
        {u(u"東京都千代田区永田町"), u(u"一丁目７番１号"), u(u"国会前ビル１２階")},
        {u(u"北海道"), u(u"札幌市中央区南四条西二十九丁目１５２４－２３"), u(u"第２郵便ハウス５０１号室")},
        {u(u"東京都千代田区永田町一丁目７番１号国会前ビル１２階１２３４号室"), QString(), QString()}};
    for (bool horizontal : {false, true})
        for (const QStringList &lines : addresses)
            for (QSize box : boxes()) {
                TAddressRect a;
                a.SetHorizontal(horizontal);
                for (int i = 0; i < 3; ++i)
                    a.SetAddressLine(i, lines[i]);
                layOut(a, {0, 0, box.width(), box.height()});
                const QString what = QStringLiteral("%1 %2x%3 %4").arg(lines[0]).arg(box.width()).arg(box.height()).arg(horizontal);
                // A column draws the hyphen between two numbers (１５２４－２３)
                // as the vertical hyphen.
                QString expected = lines.join(QString());
                if (!horizontal)
                    expected.replace(QChar(u'－'), QChar(u'ー'));
                EXPECT_EQ(letters(drawn(a)), letters(expected)) << qPrintable(what);
                expectLinesInside(a, box, what);
            }
}

} // namespace
