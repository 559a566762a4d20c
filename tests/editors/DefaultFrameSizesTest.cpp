// The default frames print their texts at sizes a person reads: a company
// addressee's title stands beside the name at the department's size.
// Records go through the merge as a print run merges them; the sizes are
// read from the items' recordings at a printer's resolution (what the
// printer plays 1:1).
#include "PrintedInk.h"
#include "PrintedTexts.h"
#include "editors/PrintLoop.h"
#include "support/RowName.h"
#include "support/Screenshot.h"

#include <QPainter>

#include <cmath>
#include <limits>
#include <optional>
#include <tuple>
#include <vector>

namespace {

constexpr int kDpi = 600;
// Character heights count as the same within a tenth of a millimetre: a
// frame edge falls on a 96-dpi pixel of its paper, which moves a fitted
// height by a few printer dots.
constexpr double kSame = 0.1;

struct RecordCase {
    const char *name;
    const char16_t *person;
    const char16_t *town;     // after the prefecture
    const char16_t *block;    // 住所２
    const char16_t *building; // 住所３
    int joints;
    const char16_t *company = u"";
    const char16_t *department = u"";
    const char16_t *title = u"";
};

const RecordCase kRecords[] = {
    {"shortAddress", u"山田 太郎", u"千代田区永田町", u"一丁目７番１号", u"", 0},
    {"oneJointName", u"山田 太郎", u"千代田区永田町", u"一丁目７番１号", u"", 1},
    {"twoJointNames", u"山田 太郎", u"千代田区永田町", u"一丁目７番１号", u"", 2},
    {"fiveJointNames", u"山田 太郎", u"千代田区永田町", u"一丁目７番１号", u"", 5},
    {"building", u"山田 太郎", u"千代田区永田町", u"一丁目７番１号", u"メゾン桜１０１号室", 0},
    {"longAddress", u"佐々木 由美子", u"札幌市中央区北一条西", u"二丁目１２番地３４号",
     u"グランドハイツ札幌北一条１２３４号室", 0},
    {"company", u"山田 太郎", u"大阪市北区梅田", u"三丁目１番３号", u"ピクスビル５階", 0, u"株式会社ピクス",
     u"営業部", u"部長"},
    {"longCompany", u"山田 太郎", u"大阪市北区梅田", u"三丁目１番３号", u"ピクスビル５階", 0,
     u"株式会社日本総合物産ホールディングス", u"第一営業本部　海外事業部", u"課長"},
    {"longTitle", u"山田 太郎", u"大阪市北区梅田", u"三丁目１番３号", u"ピクスビル５階", 0, u"株式会社ピクス", u"",
     u"代表取締役社長"},
};

TAddressText recordOf(const RecordCase &C)
{
    TAddressText r;
    r.Pos = QStringLiteral("1000014");
    r.Tdfkn = QStringLiteral("東京都");
    r.Adrs1 = QString::fromUtf16(C.town);
    r.Adrs2 = QString::fromUtf16(C.block);
    r.Adrs3 = QString::fromUtf16(C.building);
    r.NameKanji = QString::fromUtf16(C.person);
    const char16_t *given[] = {u"花子", u"一郎", u"美咲", u"健太", u"さくら"};
    for (int i = 0; i < C.joints; ++i) {
        r.Joint[size_t(i)] = QString::fromUtf16(given[i]);
        r.JointPrints[size_t(i)] = true;
    }
    r.JointPrint = C.joints > 0;
    r.CorpKanji = QString::fromUtf16(C.company);
    r.Dptmnt = QString::fromUtf16(C.department);
    r.Post = QString::fromUtf16(C.title);
    r.PrivCorp = r.CorpKanji.isEmpty();
    return r;
}

TAddressText sender()
{
    TAddressText r;
    r.Pos = QStringLiteral("1050011");
    r.Tdfkn = QStringLiteral("東京都");
    r.Adrs1 = QStringLiteral("港区芝公園");
    r.Adrs2 = QStringLiteral("四丁目２番８号");
    r.NameKanji = QStringLiteral("差出 一郎");
    return r;
}

// Papers of the catalogue by their record number.
constexpr int kPapers = 27;

TLayoutKind kindOf(int Paper)
{
    return Paper < 14 ? TLayoutKind::AddressSide : Paper < 24 ? TLayoutKind::Label : TLayoutKind::Card;
}

// A new layout of the paper with one of its frame sets, laid out for a
// 600-dpi printer.
void prepare(TLayoutDocument &D, int Paper, bool Detail)
{
    D.Kind = kindOf(Paper);
    D.FormatIndex = Paper;
    D.Format = catalogueFormat(Paper, &D.Grid);
    D.Detail = Detail;
    D.BuildDefaultItems();
    D.SetReferenceDevice(TReferenceDevice::printer({kDpi, kDpi}));
}

TPrintedTexts printed(int Paper, bool Detail, const RecordCase &C)
{
    TLayoutDocument d;
    prepare(d, Paper, Detail);
    const TAddressText s = sender();
    return PrintedTexts(d, recordOf(C), &s);
}

std::string paperName(int Paper)
{
    return "paper" + std::to_string(Paper);
}

// ---- The title beside the name --------------------------------------------------------------

// The distance between two boxes (0 when they touch or overlap).
double gap(const QRectF &A, const QRectF &B)
{
    const double dx = std::max({0.0, B.left() - A.right(), A.left() - B.right()});
    const double dy = std::max({0.0, B.top() - A.bottom(), A.top() - B.bottom()});
    return std::hypot(dx, dy);
}

class TitleSize : public ::testing::TestWithParam<std::tuple<int, bool>>
{
protected:
    // How far the title stands off the name, or off the department it
    // belongs to, beyond one character of the larger of the two.
    static double offBeyondACharacter(const TPrintedTexts &Texts)
    {
        const TPrintedText &title = Texts.at({TPrintedField::Post, 0});
        double nearest = std::numeric_limits<double>::max();
        for (const auto field : {TPrintedField::Name, TPrintedField::Department})
            if (const auto other = Texts.find({field, 0}); other != Texts.end())
                nearest = std::min(nearest, gap(title.Box, other->second.Box) - std::max(title.Em, other->second.Em));
        return nearest;
    }
};

// 部長 with its department and name: beside the name, at the share of the
// name's size the department takes (three fifths), not half of it.
TEST_P(TitleSize, shortTitleStandsBesideTheNameAtTheDepartmentsShare)
{
    const auto &[paper, detail] = GetParam();
    const TPrintedTexts texts = printed(paper, detail, kRecords[6]);
    ASSERT_TRUE(texts.count({TPrintedField::Post, 0}));
    ASSERT_TRUE(texts.count({TPrintedField::Name, 0}));
    EXPECT_LE(offBeyondACharacter(texts), 0.0);
    const double title = texts.at({TPrintedField::Post, 0}).Em;
    const double name = texts.at({TPrintedField::Name, 0}).Em;
    EXPECT_GE(title, name * 0.6 - kSame) << "title " << title << " mm beside a name of " << name << " mm";
}

INSTANTIATE_TEST_SUITE_P(EveryPaper, TitleSize, ::testing::Combine(::testing::Range(0, kPapers), ::testing::Bool()),
                         [](const auto &Info) {
                             return paperName(std::get<0>(Info.param)) +
                                    (std::get<1>(Info.param) ? "_detailed" : "_simple");
                         });

} // namespace
