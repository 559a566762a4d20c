#include "items/AdditionRect.h"
#include "items/AddressRect.h"
#include "items/CorpRect.h"
#include "items/NameRect.h"
#include "support/RowName.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <memory>
#include <vector>

// The ink of every glyph a text item draws stays inside the item, whatever
// its text's length, its box and its writing: laid out on the faces the
// program prints with (their design metrics, HarfBuzz's vertical forms) at a
// printer's resolution, and the ink measured from the glyphs' own outlines
// where the recording puts them. Each row is one kind of text over every box
// and writing; a row's texts are the long, short and unspaced ones people
// type.

namespace {

QString u(const char16_t *s)
{
    return QString::fromUtf16(s);
}

// Where the glyphs of a recording put ink, in its dots.
QRectF glyphInk(const TMetaRect &Item)
{
    QRectF ink;
    for (const TTextOp *op : Item.GetMetafile().TextOps())
        for (const TGlyphRun &run : op->Runs)
            for (qsizetype g = 0; g < run.Glyphs.size(); ++g) {
                const QRectF outline = run.Font.boundingRect(run.Glyphs[g]).translated(run.Positions[g]);
                if (!outline.isEmpty())
                    ink |= run.Transform.mapRect(outline);
            }
    return ink;
}

// Frames of the default sets' proportions (96 dpi): a postcard's name and
// address columns, a label's rows, a narrow department frame, a short wide one.
const QList<QSize> &boxes()
{
    static const QList<QSize> b{{60, 360}, {48, 360}, {30, 200}, {300, 80}, {300, 40}, {150, 150}, {20, 60}, {80, 25}};
    return b;
}

// One layout of an item: its box, writing, turning, and the printer's resolution.
struct TLayout {
    QSize Box;
    bool Horizontal = false;
    bool Turned = false;
    int Dpi = 600;
    QString text() const
    {
        return QStringLiteral("%1x%2 %3%4 %5 dpi")
            .arg(Box.width())
            .arg(Box.height())
            .arg(Horizontal ? QStringLiteral("horizontal") : QStringLiteral("vertical"))
            .arg(Turned ? QStringLiteral(" turned") : QString())
            .arg(Dpi);
    }
};

// Lays Item out and checks its ink against its box; false when it drew nothing.
bool inkInside(TMetaRect &Item, const TLayout &L, const QString &What)
{
    Item.SetHorizontal(L.Horizontal);
    Item.SetRotate180(L.Turned);
    Item.SetReferenceDevice(TReferenceDevice::printer({L.Dpi, L.Dpi}));
    Item.SetRect({0, 0, L.Box.width(), L.Box.height()});
    Item.RescaleFont(TTenthMm(BasePaperLongSide));
    Item.Rebuild(true);
    const QRectF ink = glyphInk(Item);
    if (ink.isEmpty())
        return false;
    const QRectF box(0, 0, PageToDots(TPagePx(L.Box.width()), L.Dpi), PageToDots(TPagePx(L.Box.height()), L.Dpi));
    // Half a dot: the outlines' own rounding.
    const QRectF inside = box.adjusted(-0.5, -0.5, 0.5, 0.5);
    EXPECT_TRUE(inside.contains(ink)) << qPrintable(What + QLatin1String(" in ") + L.text())
                                      << ": ink " << ink.left() << "," << ink.top() << " - " << ink.right() << ","
                                      << ink.bottom() << " of " << box.width() << " x " << box.height() << " dots";
    return true;
}

// Makes one item for each text of the row (with a caption for the failure).
using TMaker = std::function<std::vector<std::pair<std::unique_ptr<TMetaRect>, QString>>()>;

struct InkCase {
    const char *name;
    TMaker Make;
};

void PrintTo(const InkCase &Case, std::ostream *Out)
{
    *Out << Case.name;
}

std::unique_ptr<TNameRect> company(const QString &Name, const QString &Post, const QString &Corp, const QString &Dptmnt,
                                   const QString &Honor, bool Break = false, bool AsIs = false)
{
    auto n = std::make_unique<TNameRect>();
    n->SetNameKind(2);
    n->SetNameAsIs(AsIs);
    n->SetCorpBreak(Break);
    n->SetName(Name);
    n->SetHonor(Honor);
    n->SetPost(Post);
    n->SetCorp(Corp);
    n->SetDptmnt(0, Dptmnt);
    return n;
}

std::vector<std::pair<std::unique_ptr<TMetaRect>, QString>> companies(const QStringList &Names, const QStringList &Posts,
                                                                      const QStringList &Corps, const QStringList &Dptmnts,
                                                                      bool AsIs = false)
{
    std::vector<std::pair<std::unique_ptr<TMetaRect>, QString>> out;
    for (const QString &name : Names)
        for (const QString &post : Posts)
            for (const QString &corp : Corps)
                for (const QString &dptmnt : Dptmnts)
                    for (bool brk : {false, true})
                        for (const QString &honor : {u(u"様"), u(u"御中")})
                            out.emplace_back(company(name, post, corp, dptmnt, honor, brk, AsIs),
                                             QStringList{name, post, corp, dptmnt, honor}.join(QLatin1Char('/')) +
                                                 (brk ? QStringLiteral(" (break)") : QString()));
    return out;
}

std::vector<std::pair<std::unique_ptr<TMetaRect>, QString>> addresses(const QList<QStringList> &Lines, int SizeIndex = 0)
{
    std::vector<std::pair<std::unique_ptr<TMetaRect>, QString>> out;
    for (const QStringList &lines : Lines) {
        auto a = std::make_unique<TAddressRect>();
        a->SetFontSizeIndex(SizeIndex);
        for (int i = 0; i < 3; ++i)
            a->SetAddressLine(i, lines.value(i));
        out.emplace_back(std::move(a), lines.join(QLatin1Char('/')));
    }
    return out;
}

const std::vector<InkCase> &inkCases()
{
    static const std::vector<InkCase> cases{
        // A person at a company whose name has no blank between family and
        // given name: the honorific after the last character, the title before.
        {"companyPersonWithoutBlank",
         [] {
             return companies({u(u"北村勝"), u(u"勝"), u(u"ジョンスミス")}, {QString(), u(u"係長"), u(u"代表取締役")},
                              {QString(), u(u"株式会社ピクス")}, {QString()});
         }},
        {"companyPersonWithBlank",
         [] {
             return companies({u(u"北村 勝"), u(u"長谷川部 五郎左衛門之助")}, {QString(), u(u"係長"), u(u"代表取締役社長")},
                              {QString(), u(u"株式会社ピクス")}, {QString()});
         }},
        // Company, department and long title lines lowered to the box's length,
        // each indented under the one before.
        {"companyLinesLoweredToTheBox",
         [] {
             return companies({QString(), u(u"北村 勝")}, {QString(), u(u"代表取締役社長兼最高経営責任者")},
                              {u(u"株式会社ピクス"), u(u"独立行政法人　国立研究開発法人　情報通信研究機構")},
                              {u(u"第一営業本部　東日本営業部　第三課")});
         }},
        // A name kept as typed (the sender block's), broken at its blanks.
        {"nameKeptAsTypedWithATitle",
         [] {
             return companies({u(u"山田　太郎"), u(u"株式会社ピクス　第一営業本部　東日本営業部　第三課")},
                              {QString(), u(u"係長"), u(u"代表取締役社")}, {QString(), u(u"株式会社ピクス")}, {QString()},
                              true);
         }},
        {"privateNamesWithJointNames",
         [] {
             std::vector<std::pair<std::unique_ptr<TMetaRect>, QString>> out;
             for (const QString &name : {u(u"北村勝"), u(u"長谷川部 五郎左衛門之助"), u(u"ｼﾞｮﾝ ｽﾐｽ"), u(u"𠮷田 太郎")})
                 for (const QString &honor : {u(u"様"), u(u"御中"), u(u"先生御机下")})
                     for (int joints : {0, 2, 5}) {
                         auto n = std::make_unique<TNameRect>();
                         n->SetNameKind(1);
                         n->SetName(name);
                         n->SetHonor(honor);
                         n->SetNote(u(u"（営業担当）"));
                         n->SetJointCount(joints);
                         for (int j = 0; j < joints; ++j) {
                             n->SetJointName(j, j % 2 ? u(u"花子") : u(u"五郎左衛門之助"));
                             n->SetJointHonor(j, honor);
                         }
                         out.emplace_back(std::move(n), QStringLiteral("%1%2 and %3 joint names").arg(name, honor).arg(joints));
                     }
             return out;
         }},
        {"companyLineItems",
         [] {
             std::vector<std::pair<std::unique_ptr<TMetaRect>, QString>> out;
             for (const QString &text : {u(u"部"), u(u"株式会社ピクス"), u(u"第一営業本部　東日本営業部　第三課"),
                                         u(u"ＡＢＣ　Ｃｏｒｐｏｒａｔｉｏｎ　Ｊａｐａｎ")})
                 for (const QString &honor : {QString(), u(u"御中")})
                     for (bool brk : {false, true}) {
                         auto c = std::make_unique<TCorpRect>();
                         c->SetCorpBreak(brk);
                         c->SetText(text);
                         c->SetHonor(honor);
                         out.emplace_back(std::move(c), text + honor);
                     }
             return out;
         }},
        // Numbers of up to four digits are set across a vertical column.
        {"addressNumbersSetAcross",
         [] {
             return addresses({{u(u"東京都千代田区永田町１２３４番地")},
                               {u(u"東京都"), u(u"グランドメゾン霞が関ビルディング　１２３４号室")},
                               {u(u"東京都千代田区永田町１２３４番地"), u(u"永田町ハイツ五〇一号室"), u(u"株式会社ピクス気付")},
                               {u(u"大阪府大阪市北区梅田3-1-3"), u(u"永田町ハイツ五〇一号室"), u(u"株式会社ピクス気付")},
                               {u(u"北海道札幌市中央区北一条西二丁目１２３４５－６７８")}});
         }},
        // A fixed size (the stored layouts' setting): the end is cut, never drawn past the box.
        {"addressAtAFixedSize",
         [] {
             auto out = addresses({{u(u"東京都千代田区永田町１２３４番地"), u(u"グランドメゾン霞が関ビルディング　１２３４号室"),
                                    u(u"株式会社ピクス気付")}},
                                  6);
             for (auto &more : addresses({{u(u"東京都千代田区永田町１２３４番地"), u(u"永田町ハイツ五〇一号室")}}, 12))
                 out.push_back(std::move(more));
             for (auto &more : addresses({{u(u"東京都千代田区永田町１２３４番地")}}, 18))
                 out.push_back(std::move(more));
             return out;
         }},
        {"additionalLines",
         [] {
             std::vector<std::pair<std::unique_ptr<TMetaRect>, QString>> out;
             for (const QString &text : {u(u"03-1234-5678"), u(u"ご担当者様へ　よろしくお願い申し上げます。")}) {
                 auto a = std::make_unique<TAdditionRect>();
                 a->SetCaption(u(u"TEL"));
                 a->SetContent(text);
                 out.emplace_back(std::move(a), text);
             }
             return out;
         }},
    };
    return cases;
}

class GlyphInkTest : public ::testing::TestWithParam<InkCase>
{
};

TEST_P(GlyphInkTest, everyGlyphStaysInsideItsItem)
{
    int drawn = 0;
    for (auto &[item, what] : GetParam().Make())
        for (QSize box : boxes())
            for (bool horizontal : {false, true})
                for (bool turned : {false, true})
                    for (int dpi : {300, 1200})
                        drawn += inkInside(*item, {box, horizontal, turned, dpi}, what) ? 1 : 0;
    // The row printed something: the check is not void.
    EXPECT_GT(drawn, 0);
}

INSTANTIATE_TEST_SUITE_P(TextItems, GlyphInkTest, ::testing::ValuesIn(inkCases()), rowName);

} // namespace
