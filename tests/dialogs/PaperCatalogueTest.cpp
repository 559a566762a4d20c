#include "dialogs/PaperCatalogue.h"

#include "platform/Cp932.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>

namespace {

QString sourceText()
{
    QFile f(QStringLiteral(MURVEN_PAPER_SOURCE));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

QString built(const QString &name) { return QStringLiteral(MURVEN_PAPER_BUILD_DIR "/") + name; }

const TLayoutCatalogue &shipped()
{
    static const TLayoutCatalogue c = [] {
        TLayoutCatalogue c;
        QString error;
        EXPECT_TRUE(c.load(built(QStringLiteral("Lyt.fmt")), &error)) << error.toStdString();
        return c;
    }();
    return c;
}

const TDesignCatalogue &shippedDesigns()
{
    static const TDesignCatalogue c = [] {
        TDesignCatalogue c;
        QString error;
        EXPECT_TRUE(c.load(built(QStringLiteral("Dsn.fmt")), &error)) << error.toStdString();
        return c;
    }();
    return c;
}

bool fitsField(const QByteArray &bytes, int capacity)
{
    const QString text = Cp932::decode(bytes);
    return bytes.size() <= capacity && !text.contains(QChar(0xFFFD)) && Cp932::encode(text) == bytes;
}

} // namespace

TEST(ShippedCatalogue, isExactlyWhatTheAuthoredTextGenerates)
{
    TPaperSource source;
    QString error;
    ASSERT_TRUE(PaperCatalogue::parse(sourceText(), source, &error)) << error.toStdString();
    QFile lyt(built(QStringLiteral("Lyt.fmt"))), dsn(built(QStringLiteral("Dsn.fmt")));
    ASSERT_TRUE(lyt.open(QIODevice::ReadOnly));
    ASSERT_TRUE(dsn.open(QIODevice::ReadOnly));
    EXPECT_EQ(lyt.readAll(), source.Layouts.toBytes());
    EXPECT_EQ(dsn.readAll(), source.Designs.toBytes());
}

TEST(ShippedCatalogue, postcardsStartAtRecordZeroInOneCategory)
{
    const auto &r = shipped().Records;
    ASSERT_FALSE(r.isEmpty());
    int postcards = 0;
    while (postcards < r.size() && r.at(postcards).PaperKind() == TPaperKind::Postcard)
        ++postcards;
    ASSERT_GT(postcards, 0);
    for (int i = postcards; i < r.size(); ++i)
        EXPECT_NE(r.at(i).PaperKind(), TPaperKind::Postcard) << "record " << i;
    EXPECT_EQ(ListCategories(r, TPaperKind::Postcard).size(), 1);
}

// Saved layouts store these positions: they may never move.
struct PinnedRecord {
    int index;
    TPaperKind kind;
    const char *name;
    int direction;
};

class ShippedPositions : public testing::TestWithParam<PinnedRecord> {};

TEST_P(ShippedPositions, neverMove)
{
    const auto &r = shipped().Records;
    ASSERT_LT(GetParam().index, r.size());
    const TLayoutFormat &f = r.at(GetParam().index);
    EXPECT_EQ(f.PaperKind(), GetParam().kind);
    EXPECT_EQ(f.NameText(), QString::fromUtf8(GetParam().name));
    EXPECT_EQ(f.Direction, GetParam().direction);
}

INSTANTIATE_TEST_SUITE_P(Contract, ShippedPositions,
                         testing::Values(PinnedRecord{0, TPaperKind::Postcard, "通常はがき", 0},
                                         PinnedRecord{1, TPaperKind::Postcard, "通常はがき", 1},
                                         PinnedRecord{2, TPaperKind::Envelope, "長形３号", 0},
                                         PinnedRecord{5, TPaperKind::Envelope, "長形４号", 0},
                                         PinnedRecord{8, TPaperKind::Envelope, "洋形２号", 0},
                                         PinnedRecord{11, TPaperKind::Envelope, "角形２号", 0},
                                         PinnedRecord{14, TPaperKind::Label, "１２面　86.4×42.3", 0},
                                         PinnedRecord{16, TPaperKind::Label, "１０面　86.4×50.8", 0},
                                         PinnedRecord{18, TPaperKind::Label, "２１面　63.5×38.1", 0},
                                         PinnedRecord{20, TPaperKind::Label, "２４面　66.0×33.9", 0},
                                         PinnedRecord{22, TPaperKind::Label, "４４面　48.3×25.4", 0},
                                         PinnedRecord{24, TPaperKind::Card, "１０面　91×55", 0}));

TEST(ShippedCatalogue, everyNameHasItsVariantsInDirectionOrder)
{
    const auto &r = shipped().Records;
    for (TPaperKind kind : {TPaperKind::Postcard, TPaperKind::Envelope, TPaperKind::Label, TPaperKind::Card}) {
        const auto categories = ListCategories(r, kind);
        EXPECT_FALSE(categories.isEmpty());
        for (const TListEntry &category : categories) {
            for (const TListEntry &name : ListNames(r, category.First)) {
                const int n = PaperCatalogue::variantCount(kind);
                ASSERT_LE(name.First + n, r.size());
                for (int v = 0; v < n; ++v) {
                    const TLayoutFormat &f = r.at(name.First + v);
                    EXPECT_EQ(f.Name, r.at(name.First).Name) << "record " << name.First + v;
                    EXPECT_EQ(f.Direction, v) << "record " << name.First + v;
                }
                const int next = name.First + n;
                if (next < r.size()) {
                    EXPECT_FALSE(r.at(next).Name == r.at(name.First).Name && r.at(next).Kind == r.at(name.First).Kind)
                        << "record " << next << " is one variant too many";
                }
            }
        }
    }
}

TEST(ShippedCatalogue, variantCountsArePostcardTwoEnvelopeThreeLabelTwoCardThree)
{
    EXPECT_EQ(PaperCatalogue::variantCount(TPaperKind::Postcard), 2);
    EXPECT_EQ(PaperCatalogue::variantCount(TPaperKind::Envelope), 3);
    EXPECT_EQ(PaperCatalogue::variantCount(TPaperKind::Label), 2);
    EXPECT_EQ(PaperCatalogue::variantCount(TPaperKind::Card), 3);
}

TEST(ShippedCatalogue, everyRowFitsItsFieldsFramesAndGrid)
{
    const auto &c = shipped();
    for (int i = 0; i < c.Records.size(); ++i) {
        SCOPED_TRACE("record " + std::to_string(i));
        const TLayoutFormat &f = c.Records.at(i);
        EXPECT_TRUE(fitsField(f.Category, TLayoutFormat::CategoryCapacity));
        EXPECT_TRUE(fitsField(f.Name, TLayoutFormat::NameCapacity));
        EXPECT_TRUE(fitsField(f.Background, TLayoutFormat::BackgroundCapacity));
        EXPECT_FALSE(f.Name.isEmpty());
        EXPECT_LE(f.Simple.Count, kMaxFrames);
        EXPECT_LE(f.Detail.Count, kMaxFrames);
        const QRect piece(0, 0, PaperFmt::tenthsToPixels(f.Width), PaperFmt::tenthsToPixels(f.Height));
        for (const TFrameSet *set : {&f.Simple, &f.Detail}) {
            for (int k = 0; k < set->Count; ++k) {
                const TFrameRect &r = set->Rects[static_cast<size_t>(k)];
                EXPECT_GE(r.Right - r.Left, 10) << "frame " << k;
                EXPECT_GE(r.Bottom - r.Top, 10) << "frame " << k;
                EXPECT_TRUE(piece.adjusted(0, 0, 1, 1).contains(QRect(QPoint(r.Left, r.Top), QPoint(r.Right, r.Bottom))))
                    << "frame " << k << " leaves the piece";
            }
        }
        const bool sheet = f.PaperKind() == TPaperKind::Label || f.PaperKind() == TPaperKind::Card;
        EXPECT_EQ(f.Simple.Count, sheet ? 4 : 7);
        EXPECT_EQ(f.Detail.Count, sheet ? 8 : 12);
        EXPECT_LE(f.GridIndex, c.Grids.size());
        if (sheet) {
            ASSERT_GE(f.GridIndex, 1);
            const TLabelGrid g = c.gridOf(f);
            const QRect last = PaperFmt::cellRect(f, g, g.Columns - 1, g.Rows - 1);
            EXPECT_LE(last.x() + last.width(), g.SheetWidth);
            EXPECT_LE(last.y() + last.height(), g.SheetHeight);
        }
        if (!f.Background.isEmpty()) {
            EXPECT_FALSE(QImage(built(QStringLiteral("Format/") + f.BackgroundText())).isNull());
        }
    }
}

TEST(ShippedCatalogue, designPapersComeUprightThenTurned)
{
    const auto &r = shippedDesigns().Records;
    ASSERT_FALSE(r.isEmpty());
    ASSERT_EQ(r.size() % 2, 0);
    for (int i = 0; i < r.size(); i += 2) {
        SCOPED_TRACE("design " + std::to_string(i));
        EXPECT_EQ(r.at(i).Landscape, 0);
        EXPECT_NE(r.at(i + 1).Landscape, 0);
        EXPECT_EQ(r.at(i).Name, r.at(i + 1).Name);
        EXPECT_EQ(r.at(i).Kind, r.at(i + 1).Kind);
        EXPECT_EQ(r.at(i).Width, r.at(i + 1).Height);
        EXPECT_TRUE(fitsField(r.at(i).Name, TDesignFormat::NameCapacity));
    }
}

// ---- The parser refuses a catalogue that breaks a rule ---------------------

struct BadCatalogue {
    const char *name;
    const char *from;
    const char *to;
};
void PrintTo(const BadCatalogue &c, std::ostream *os) { *os << c.name; }

class CatalogueRule : public testing::TestWithParam<BadCatalogue> {};

TEST_P(CatalogueRule, breakingItIsRefusedWithTheLine)
{
    QString text = sourceText();
    const QString from = QString::fromUtf8(GetParam().from);
    ASSERT_TRUE(text.contains(from));
    text.replace(from, QString::fromUtf8(GetParam().to));
    TPaperSource source;
    QString error;
    EXPECT_FALSE(PaperCatalogue::parse(text, source, &error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("line "))) << error.toStdString();
    EXPECT_TRUE(source.Layouts.Records.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CatalogueRule,
    testing::Values(
        BadCatalogue{"renumberedRecord", "paper 3 kind", "paper 4 kind"},
        BadCatalogue{"lastNameMissingAVariant",
                     "paper 26 kind=card category=Ａ４名刺 name=１０面　91×55 dir=2 size=55x91 frames=card-tall-v grid=a4-card10\n",
                     ""},
        BadCatalogue{"variantsOutOfOrder", "name=長形３号 dir=1", "name=長形３号 dir=2"},
        BadCatalogue{"postcardAppendedAfterTheSheets", "\n\n# ---- Dsn.fmt",
                     "\npaper 27 kind=postcard category=はがき name=往復はがき dir=0 size=100x148 frames=postcard-v\n"
                     "\n# ---- Dsn.fmt"},
        BadCatalogue{"nameTooLongForItsField", "name=長形４号 dir=0", "name=長形４号あいうえおかきくけこさしすせ dir=0"},
        BadCatalogue{"characterWithoutShiftJis", "name=角形２号 dir=0", "name=角形２号🙂 dir=0"},
        BadCatalogue{"fourteenFrames", "simple sender-name 7.0 62.0 16.0 125.0\n",
                     "simple sender-name 7.0 62.0 16.0 125.0\nsimple x 1 1 2 2\nsimple x 1 1 2 2\nsimple x 1 1 2 2\n"
                     "simple x 1 1 2 2\nsimple x 1 1 2 2\nsimple x 1 1 2 2\nsimple x 1 1 2 2\n"},
        BadCatalogue{"framesInAnotherOrder", "simple address 80.0", "simple name 80.0"},
        BadCatalogue{"frameOffThePiece", "simple barcode 17.5 127.0 87.5 130.0", "simple barcode 17.5 127.0 101.5 130.0"},
        BadCatalogue{"labelWithoutGrid", "frames=label-wide grid=a4-12", "frames=label-wide"},
        BadCatalogue{"cellsOffTheSheet", "cells=4x11 margins=8.4,8.8", "cells=4x11 margins=18.4,8.8"},
        BadCatalogue{"turnedLabelNotTurned", "dir=1 size=42.3x86.4", "dir=1 size=42.3x80"},
        BadCatalogue{"twoDecimals", "margins=18.6,21.6", "margins=18.65,21.6"},
        BadCatalogue{"designLandscapeNotTurned", "landscape=1 size=297x210", "landscape=1 size=210x297"},
        BadCatalogue{"customCategoryTaken", "category=洋形封筒 name=洋形２号 dir=0", "category=カスタム name=洋形２号 dir=0"},
        BadCatalogue{"basedOnAnUnknownBlock", "90x205 from=envelope-h\n", "90x205 from=envelope-x\n"},
        BadCatalogue{"basedOnALaterBlock", "90x205 from=envelope-h\n", "90x205 from=envelope-l\n"},
        BadCatalogue{"replacingARoleTheBaseLacks", "simple barcode 14.0 104.0", "simple joint 14.0 104.0"},
        BadCatalogue{"replacingARoleTwice", "simple barcode 14.0 104.0 17.6 190.0\n",
                     "simple barcode 14.0 104.0 17.6 190.0\nsimple barcode 14.0 104.0 17.6 190.0\n"}),
    [](const auto &info) { return std::string(info.param.name); });

// ---- A block based on another ---------------------------------------------------

// The shipped text with `from` replaced by `to` (which must be there), parsed.
TLayoutFormat parsedRecord(int index, const QString &from = {}, const QString &to = {})
{
    QString text = sourceText();
    if (!from.isEmpty()) {
        EXPECT_TRUE(text.contains(from)) << from.toStdString();
        text.replace(from, to);
    }
    TPaperSource source;
    QString error;
    EXPECT_TRUE(PaperCatalogue::parse(text, source, &error)) << error.toStdString();
    return source.Layouts.Records.value(index);
}

constexpr int kNarrowEnvelope = 6; // 長形４号, horizontal writing: envelope-h-narrow
const QString kNarrowFrames = QStringLiteral("frames=envelope-h-narrow\n");

TEST(DerivedFrames, framesItDoesNotListAreTheBasesScaledToThePaper)
{
    const TLayoutFormat derived = parsedRecord(kNarrowEnvelope);
    const TLayoutFormat base = parsedRecord(kNarrowEnvelope, kNarrowFrames, QStringLiteral("frames=envelope-h\n"));
    const QStringList simple = PaperCatalogue::simpleRoles(TPaperKind::Envelope);
    const QStringList detail = PaperCatalogue::detailRoles(TPaperKind::Envelope);
    ASSERT_EQ(derived.Simple.Count, base.Simple.Count);
    ASSERT_EQ(derived.Detail.Count, base.Detail.Count);
    for (int k = 0; k < derived.Simple.Count; ++k) {
        if (simple.at(k) != QLatin1String("barcode")) {
            EXPECT_EQ(derived.Simple.Rects[size_t(k)], base.Simple.Rects[size_t(k)]) << simple.at(k).toStdString();
        }
    }
    for (int k = 0; k < derived.Detail.Count; ++k) {
        if (detail.at(k) != QLatin1String("barcode")) {
            EXPECT_EQ(derived.Detail.Rects[size_t(k)], base.Detail.Rects[size_t(k)]) << detail.at(k).toStdString();
        }
    }
}

TEST(DerivedFrames, aListedRowReplacesTheBasesRowOfItsRoleInItsSetOnly)
{
    const TLayoutFormat f = parsedRecord(kNarrowEnvelope, QStringLiteral("simple barcode 14.0 104.0 17.6 190.0"),
                                         QStringLiteral("simple barcode 20.0 100.0 23.6 180.0"));
    // Written for the paper's own size: millimetres straight to pixels, the
    // barcode frame keeping its own size.
    auto px = [](int Tenths) { return PaperFmt::tenthsToPixels(Tenths); };
    EXPECT_EQ(f.Simple.Rects[3], (TFrameRect{px(200), px(1000), px(200) + px(36), px(1000) + px(800)}));
    EXPECT_EQ(f.Detail.Rects[8], (TFrameRect{px(140), px(1220), px(140) + px(36), px(1220) + px(710)}));
}

// ---- The postcode boxes -------------------------------------------------------

TEST(PostcardPicture, boxesFollowThePublicPitchesAndEndEightMillimetresFromTheEdge)
{
    const QList<double> lefts = PaperCatalogue::postcodeBoxLefts();
    ASSERT_EQ(lefts.size(), 7);
    const double pitches[6] = {7.0, 7.0, 7.6, 6.8, 6.8, 6.8};
    for (int i = 0; i < 6; ++i)
        EXPECT_NEAR(lefts.at(i + 1) - lefts.at(i), pitches[i], 1e-9) << "pitch " << i;
    EXPECT_NEAR(lefts.last() + 5.7, 92.0, 1e-9);
}

TEST(PostcardPicture, drawsRedBoxLinesOnWhite)
{
    const TPaperPicture picture{QStringLiteral("PostCard.bmp"), 1000, 1480};
    const QImage image = PaperCatalogue::renderPicture(picture, 254); // 10 pixels per mm
    ASSERT_EQ(image.size(), QSize(1000, 1480));
    const int left = qRound(PaperCatalogue::postcodeBoxLefts().first() * 10);
    const QColor edge = image.pixelColor(left, 160);
    EXPECT_GT(edge.red(), 200);
    EXPECT_LT(edge.green(), 80);
    EXPECT_EQ(image.pixelColor(left + 28, 160), QColor(Qt::white)); // inside the box
    EXPECT_EQ(image.pixelColor(100, 700), QColor(Qt::white));
}

TEST(PostcardPicture, otherSizesGetNoBoxes)
{
    const QImage image = PaperCatalogue::renderPicture({QStringLiteral("x.bmp"), 1200, 2350}, 96);
    QImage white(image.size(), image.format());
    white.fill(Qt::white);
    EXPECT_EQ(image, white);
}
