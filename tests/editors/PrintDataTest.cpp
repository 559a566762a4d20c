#include "editors/PrintData.h"
#include "EditorsFixture.h"
#include "FakeHost.h"
#include "editors/LayoutForm.h"
#include "editors/MergeFormat.h"
#include "editors/PageView.h"
#include "core/Env.h"
#include "dialogs/DataFormat.h"
#include "dialogs/PrtFiles.h"
#include "items/AdditionRect.h"
#include "items/BackImage.h"
#include "items/BarRect.h"
#include "items/FigureRect.h"
#include "items/IllustRect.h"
#include "items/NameRect.h"
#include "items/SenderRect.h"
#include "items/WordRect.h"
#include "platform/SafeFile.h"
#include "support/FileHelpers.h"
#include "support/ScriptedMessageBoxes.h"

#include <QAction>
#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QTest>
#include <QtEndian>

#include <array>
#include <functional>
#include <random>

namespace {

TLayoutDocument postcardLayout()
{
    TLayoutDocument document;
    loadLayout(document, 0, TLayoutKind::AddressSide);
    return document;
}

// A copied-items store a fuzzer found: one company item whose font size is
// 677485, and one byte after its record.
QByteArray foundStore()
{
    return QByteArray::fromHex("010000000400ffffffff38000000280000000a0000008c000000c80000000180000000090000007d937d8d"
                               "df69416d566d560a0000000000000000000000000000000000000000");
}

// The first differing byte, -1 when equal.
qsizetype firstDifference(const QByteArray &A, const QByteArray &B)
{
    for (qsizetype i = 0; i < std::min(A.size(), B.size()); ++i)
        if (A[i] != B[i])
            return i;
    return A.size() == B.size() ? -1 : std::min(A.size(), B.size());
}

TEST(PrintData, roundTripsByteForByte)
{
    TLayoutDocument document = postcardLayout();
    document.Items[2]->SetRect({100, 120, 150, 400});
    const QByteArray first = EncodePrintData(document);
    TLayoutDocument read;
    QString error;
    ASSERT_TRUE(DecodePrintData(first, read, &error)) << qPrintable(error);
    EXPECT_EQ(read.Items.size(), document.Items.size());
    EXPECT_EQ(read.Format, document.Format);
    EXPECT_EQ(read.Items[2]->GetRect(), (TPageRect{100, 120, 150, 400}));
    const QByteArray second = EncodePrintData(read);
    EXPECT_EQ(firstDifference(first, second), -1);
}

// Every class a file can hold, as sender and as addressee where it has
// both, on each editor kind (the design kind takes the second container
// version with its background), with a data format block whose honorifics
// and reserved tail are not the defaults.
struct RoundTripCase {
    const char *name;
    TLayoutKind kind;
    bool withFormat;
};

class PrintDataRoundTrip : public ::testing::TestWithParam<RoundTripCase>
{};

TLayoutDocument everyItemKind(TLayoutKind Kind, bool WithFormat)
{
    TLayoutDocument document = postcardLayout();
    document.Kind = Kind;
    for (const quint8 itemClass : {1, 2, 3, 4, 5, 6, 7, 8, 10, 11})
        for (const bool sender : {false, true}) {
            std::unique_ptr<TDrawRect> item = CreatePrintItem(itemClass, sender);
            if (!item)
                continue;
            item->SetRect({10 + itemClass, 20, 80 + itemClass, 90});
            if (auto *word = dynamic_cast<TWordRect *>(item.get())) {
                word->SetLineCount(2);
                word->SetLine(0, QStringLiteral("謹賀新年 𠮷"));
                word->SetLine(1, QStringLiteral(" 本年もよろしく "));
            }
            if (auto *addition = dynamic_cast<TAdditionRect *>(item.get())) {
                addition->SetAddKind(0);
                addition->SetContent(QStringLiteral("会員番号 １２３"));
            }
            document.Items.push_back(std::move(item));
            document.ItemRoles.push_back(-1);
        }
    if (WithFormat) {
        TDataFormat format;
        ApplyNewLayoutDefaults(format, TDataFormatEditor::dfeAddressSide, true);
        format.DefHonor = TDataFormat::HonorBytes(QStringLiteral("御一同様方"));
        format.CorpForm = 2;
        format.HiddenParts = hpAddress2 | (hpName << SenderPartShift);
        format.Reserved = {3, 4, 5, 6, 7};
        document.DataFormat = std::make_shared<const TDataFormat>(format);
    }
    return document;
}

TEST_P(PrintDataRoundTrip, readsBackAndWritesTheSameBytes)
{
    const TLayoutDocument document = everyItemKind(GetParam().kind, GetParam().withFormat);
    const QByteArray first = EncodePrintData(document);
    TLayoutDocument read;
    QString error;
    ASSERT_TRUE(DecodePrintData(first, read, &error)) << qPrintable(error);
    ASSERT_EQ(read.Items.size(), document.Items.size());
    for (size_t i = 0; i < read.Items.size(); ++i) {
        EXPECT_EQ(read.Items[i]->GetKind(), document.Items[i]->GetKind()) << "item " << i;
        EXPECT_EQ(PrintItemClass(*read.Items[i]), PrintItemClass(*document.Items[i])) << "item " << i;
        EXPECT_EQ(read.Items[i]->GetRect(), document.Items[i]->GetRect()) << "item " << i;
    }
    EXPECT_EQ(read.ItemRoles, document.ItemRoles);
    EXPECT_EQ(read.Kind, document.Kind);
    ASSERT_EQ(bool(read.DataFormat), GetParam().withFormat);
    if (read.DataFormat) {
        EXPECT_EQ(*read.DataFormat, *document.DataFormat);
    }
    EXPECT_EQ(firstDifference(first, EncodePrintData(read)), -1);
    // Every shorter file is refused whole.
    for (qsizetype size = 0; size < first.size(); ++size) {
        TLayoutDocument cut;
        EXPECT_FALSE(DecodePrintData(first.first(size), cut, nullptr)) << "size " << size;
        EXPECT_TRUE(cut.Items.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(PrintData, PrintDataRoundTrip,
                         ::testing::Values(RoundTripCase{"addressSide", TLayoutKind::AddressSide, false},
                                           RoundTripCase{"addressSideWithFormat", TLayoutKind::AddressSide, true},
                                           RoundTripCase{"label", TLayoutKind::Label, true},
                                           RoundTripCase{"card", TLayoutKind::Card, true},
                                           RoundTripCase{"design", TLayoutKind::Design, false},
                                           RoundTripCase{"designWithFormat", TLayoutKind::Design, true}),
                         [](const ::testing::TestParamInfo<RoundTripCase> &info) {
                             return std::string(info.param.name);
                         });

// Any single damaged byte, counts and lengths included, is either refused
// whole or read into a complete layout; never a crash or a huge allocation.
TEST(PrintData, everyDamagedByteIsRefusedOrReadWhole)
{
    const QByteArray bytes = EncodePrintData(everyItemKind(TLayoutKind::Design, true));
    int refused = 0;
    for (qsizetype at = 0; at < bytes.size(); ++at)
        for (const char value : {char(0xFF), char(0x7F)}) {
            if (bytes[at] == value)
                continue;
            QByteArray damaged = bytes;
            damaged[at] = value;
            TLayoutDocument read;
            QString error;
            if (DecodePrintData(damaged, read, &error)) {
                EXPECT_EQ(read.Items.size(), read.ItemRoles.size());
            } else {
                ++refused;
                EXPECT_FALSE(error.isEmpty());
                EXPECT_TRUE(read.Items.empty());
            }
        }
    EXPECT_GT(refused, 0);
}

// The same layout as the first two container versions wrote it: the common
// signature, the version, container version, kind, detail and format index,
// then the paper and grid, then the thumbnail, then the rest unchanged.
QByteArray legacyBytes(const TLayoutDocument &Document, qint32 Container)
{
    const QByteArray current = EncodePrintData(Document);
    const qsizetype signature = Document.Kind == TLayoutKind::Card ? 16 : Document.Kind == TLayoutKind::Label ? 17 : 18;
    const qsizetype header = Document.Kind == TLayoutKind::Design ? 32 : 28;
    const qsizetype thumbnailAt = signature + 4 + header;
    const qsizetype paperAt = thumbnailAt + 4;
    const qsizetype paperAndGrid = 4 + TLayoutFormat::Size + 4 + TLabelGrid::Size;
    QByteArray bytes("Murven PrintData");
    bytes += current.mid(signature, 4);
    bytes += QByteArray(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[20 + i] = char((quint32(Container) >> (8 * i)) & 0xFF);
    bytes += current.mid(signature + 8, 8);
    bytes += current.mid(paperAt, paperAndGrid);
    bytes += current.mid(thumbnailAt, 4);
    bytes += current.mid(paperAt + paperAndGrid);
    return bytes;
}

// Files of the first two container versions read into the same layout and
// are written back in the current one.
TEST(PrintData, readsTheFirstTwoContainerVersions)
{
    for (const auto &[kind, container] : {std::pair{TLayoutKind::AddressSide, 1}, std::pair{TLayoutKind::Label, 1},
                                          std::pair{TLayoutKind::Card, 1}, std::pair{TLayoutKind::Design, 2}}) {
        const TLayoutDocument document = everyItemKind(kind, true);
        TLayoutDocument read;
        QString error;
        ASSERT_TRUE(DecodePrintData(legacyBytes(document, container), read, &error))
            << int(kind) << " " << qPrintable(error);
        EXPECT_EQ(read.Kind, kind);
        EXPECT_EQ(EncodePrintData(read), EncodePrintData(document)) << int(kind);
    }
}

// A design written before it carried its background (the first container
// version) is still read, items and all.
TEST(PrintData, readsADesignOfTheFirstContainerVersion)
{
    TLayoutDocument document = everyItemKind(TLayoutKind::AddressSide, true);
    QByteArray bytes = legacyBytes(document, 1);
    bytes[24] = char(TLayoutKind::Design);
    TLayoutDocument read;
    QString error;
    ASSERT_TRUE(DecodePrintData(bytes, read, &error)) << qPrintable(error);
    EXPECT_EQ(read.Kind, TLayoutKind::Design);
    EXPECT_EQ(read.Items.size(), document.Items.size());
    EXPECT_EQ(read.Background.GetKind(), TBackImage::None);
}

// What the editors save is what the open and save dialogs list: each kind's
// file starts with that kind's signature, and the thumbnail the open dialog
// reads past the header is there (empty, so no picture) rather than bytes
// of the paper record taken for a length.
TEST(PrintDataFile, savedLayoutsAreListedByTheOpenDialogOfTheirKind)
{
    QTemporaryDir dir;
    const QString saved[4] = {LayoutPath, LabelPath, CardPath, DesignPath};
    LayoutPath = dir.filePath(QStringLiteral("Layout/"));
    LabelPath = dir.filePath(QStringLiteral("Label/"));
    CardPath = dir.filePath(QStringLiteral("Card/"));
    DesignPath = dir.filePath(QStringLiteral("Design/"));
    for (int kind = 0; kind <= 3; ++kind) {
        const TDocKindInfo info = *DocKindInfo(kind);
        ASSERT_TRUE(QDir().mkpath(info.Folder));
        const TLayoutDocument document = everyItemKind(TLayoutKind(kind), true);
        ASSERT_TRUE(SavePrintData(info.Folder + QStringLiteral("年賀") + info.Extension, document, nullptr));
        const QList<TPrintDataEntry> listed = ListPrintDataFiles(kind);
        ASSERT_EQ(listed.size(), 1) << kind;
        EXPECT_EQ(listed.first().Title, QStringLiteral("年賀"));
        const QByteArray bytes = fileBytes(info.Folder + QStringLiteral("年賀") + info.Extension);
        const qsizetype thumbnailAt = info.Signature.size() + 4 + info.HeaderSize;
        EXPECT_EQ(bytes.mid(thumbnailAt, 4), QByteArray(4, '\0')) << kind;
    }
    // Another kind's file put under a kind's extension is not listed there.
    for (int kind = 0; kind <= 3; ++kind) {
        const TDocKindInfo info = *DocKindInfo(kind), next = *DocKindInfo((kind + 1) % 4);
        ASSERT_TRUE(QFile::copy(info.Folder + QStringLiteral("年賀") + info.Extension,
                                next.Folder + QStringLiteral("他") + next.Extension));
    }
    for (int kind = 0; kind <= 3; ++kind) {
        const QList<TPrintDataEntry> listed = ListPrintDataFiles(kind);
        ASSERT_EQ(listed.size(), 1) << kind;
        EXPECT_EQ(listed.first().Title, QStringLiteral("年賀")) << kind;
    }
    LayoutPath = saved[0];
    LabelPath = saved[1];
    CardPath = saved[2];
    DesignPath = saved[3];
}

TEST(PrintData, keepsTheSenderItemsApart)
{
    TLayoutDocument read;
    ASSERT_TRUE(DecodePrintData(EncodePrintData(postcardLayout()), read, nullptr));
    int senders = 0;
    for (auto &item : read.Items)
        senders += item->GetKind() == TDrawRectKind::SenderName || item->GetKind() == TDrawRectKind::SenderAddress ||
                           item->GetKind() == TDrawRectKind::SenderPostcode
                       ? 1
                       : 0;
    EXPECT_EQ(senders, 3);
}

TEST(PrintData, refusesEveryTruncation)
{
    const QByteArray bytes = EncodePrintData(postcardLayout());
    for (qsizetype size = 0; size < bytes.size(); ++size) {
        TLayoutDocument read;
        EXPECT_FALSE(DecodePrintData(bytes.first(size), read, nullptr)) << "size " << size;
    }
}

struct DamageCase {
    const char *name;
    std::function<void(QByteArray &)> damage;
};

class PrintDataDamage : public ::testing::TestWithParam<DamageCase>
{};

void putInt32(QByteArray &Bytes, qsizetype At, qint32 Value)
{
    for (int i = 0; i < 4; ++i)
        Bytes[At + i] = char((quint32(Value) >> (8 * i)) & 0xFF);
}

qint32 getInt32(const QByteArray &Bytes, qsizetype At)
{
    quint32 v = 0;
    for (int i = 0; i < 4; ++i)
        v |= quint32(quint8(Bytes[At + i])) << (8 * i);
    return qint32(v);
}

// Offsets in an address-side file: the signature "Murven Layout File", the
// version, the 28-byte header, then the (empty) thumbnail, the paper, the
// grid and the item count.
constexpr qsizetype kVersionAt = 18;
constexpr qsizetype kContainerAt = kVersionAt + 4;
constexpr qsizetype kKindAt = kContainerAt + 4;
constexpr qsizetype kThumbnailAt = kVersionAt + 4 + 28;
constexpr qsizetype kPaperAt = kThumbnailAt + 4;
constexpr qsizetype kItemCountAt = kPaperAt + 4 + TLayoutFormat::Size + 4 + TLabelGrid::Size;
constexpr qsizetype kPaperSizeAt = kPaperAt;
constexpr qsizetype kGridAt = kPaperAt + 4 + TLayoutFormat::Size + 4;
// The first item record: class, sender, role, length, then its stream,
// which opens with the rectangle (left, top, right, bottom).
constexpr qsizetype kFirstItemRectAt = kItemCountAt + 4 + 1 + 1 + 4 + 4;

TEST_P(PrintDataDamage, isRefusedWithAReason)
{
    QByteArray bytes = EncodePrintData(postcardLayout());
    GetParam().damage(bytes);
    TLayoutDocument read;
    QString error;
    EXPECT_FALSE(DecodePrintData(bytes, read, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(read.Items.empty());
}

INSTANTIATE_TEST_SUITE_P(
    PrintData, PrintDataDamage,
    ::testing::Values(DamageCase{"foreignSignature", [](QByteArray &b) { b[0] = 'X'; }},
                      DamageCase{"newerVersion", [](QByteArray &b) { putInt32(b, kVersionAt, 601); }},
                      DamageCase{"otherContainer", [](QByteArray &b) { putInt32(b, kContainerAt, 3); }},
                      DamageCase{"unknownEditor", [](QByteArray &b) { b[kKindAt] = 9; }},
                      DamageCase{"kindOtherThanSignature", [](QByteArray &b) { b[kKindAt] = 1; }},
                      DamageCase{"paperRecordSize", [](QByteArray &b) { putInt32(b, kPaperAt, 655); }},
                      DamageCase{"hugeThumbnail", [](QByteArray &b) { putInt32(b, kThumbnailAt, 0x7FFFFFFF); }},
                      DamageCase{"negativeItemCount", [](QByteArray &b) { putInt32(b, kItemCountAt, -1); }},
                      DamageCase{"itemCountBeyondLimit", [](QByteArray &b) { putInt32(b, kItemCountAt, 100000); }},
                      DamageCase{"moreItemsThanStored",
                                 [](QByteArray &b) { putInt32(b, kItemCountAt, getInt32(b, kItemCountAt) + 1); }},
                      DamageCase{"unknownItemClass", [](QByteArray &b) { b[kItemCountAt + 4] = char(77); }},
                      DamageCase{"itemLongerThanFile",
                                 [](QByteArray &b) { putInt32(b, kItemCountAt + 4 + 6, 0x00FFFFFF); }},
                      DamageCase{"paperLongerThanTheLargest",
                                 [](QByteArray &b) { putInt32(b, kPaperAt + 4 + 64, MaxPaperTenthMm + 1); }},
                      DamageCase{"twoBillionCellGrid",
                                 [](QByteArray &b) {
                                     putInt32(b, kGridAt + 8, 46341);
                                     putInt32(b, kGridAt + 12, 46341);
                                 }},
                      DamageCase{"gridColumnsBeyondTheLimit",
                                 [](QByteArray &b) { putInt32(b, kGridAt + 8, PaperFmt::MaxGridCells + 1); }},
                      DamageCase{"gridSheetBeyondTheLargest",
                                 [](QByteArray &b) { putInt32(b, kGridAt + 4, MaxPaperTenthMm + 1); }},
                      DamageCase{"itemRectangleInsideOut", [](QByteArray &b) { putInt32(b, kFirstItemRectAt + 8, -5); }},
                      DamageCase{"itemRectangleOfGigapixels",
                                 [](QByteArray &b) {
                                     putInt32(b, kFirstItemRectAt + 8, 0x7FFF0000);
                                     putInt32(b, kFirstItemRectAt + 12, 0x7FFF0000);
                                 }},
                      DamageCase{"trailingBytes", [](QByteArray &b) { b.append('x'); }},
                      DamageCase{"lostEndMark", [](QByteArray &b) { b[b.size() - 1] = '!'; }}),
    [](const ::testing::TestParamInfo<DamageCase> &info) { return std::string(info.param.name); });

// Whatever the editor lets a user place is saved so that it opens again:
// a design of a few hundred figures and texts reads back whole, and a
// layout beyond what a file holds is refused at saving, the old file kept,
// rather than written unreadable.
TEST(PrintDataFile, aSavedLayoutAlwaysOpensAgain)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("many.gpd"));
    TLayoutDocument document = everyItemKind(TLayoutKind::Design, false);
    while (document.Items.size() < 300) {
        document.Items.push_back(CreatePrintItem(quint8(TItemClass::Figure), false));
        document.ItemRoles.push_back(-1);
    }
    QString error;
    ASSERT_TRUE(SavePrintData(path, document, &error)) << qPrintable(error);
    TLayoutDocument read;
    ASSERT_TRUE(LoadPrintData(path, read, &error)) << qPrintable(error);
    EXPECT_EQ(read.Items.size(), document.Items.size());

    const QByteArray before = fileBytes(path);
    while (document.Items.size() <= size_t(PrintDataMaxItems)) {
        document.Items.push_back(CreatePrintItem(quint8(TItemClass::Figure), false));
        document.ItemRoles.push_back(-1);
    }
    error.clear();
    EXPECT_FALSE(SavePrintData(path, document, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(fileBytes(path), before);
}

// The largest values a grid and a paper may hold are read back.
TEST(PrintData, readsAGridAndPaperAtTheirLimits)
{
    TLayoutDocument document = postcardLayout();
    document.Format.Width = MaxPaperTenthMm;
    document.Format.Height = MaxPaperTenthMm;
    document.Grid = {MaxPaperTenthMm, MaxPaperTenthMm, PaperFmt::MaxGridCells, PaperFmt::MaxGridCells,
                     MaxPaperTenthMm,  MaxPaperTenthMm, MaxPaperTenthMm,       MaxPaperTenthMm};
    TLayoutDocument read;
    QString error;
    ASSERT_TRUE(DecodePrintData(EncodePrintData(document), read, &error)) << qPrintable(error);
    EXPECT_EQ(read.Grid, document.Grid);
    EXPECT_EQ(read.Format.Height, MaxPaperTenthMm);
}

// What the reader would refuse is never written over a file that opens:
// the save reads back what it is about to write and refuses with a reason.
struct UnopenableCase {
    const char *name;
    std::function<void(TLayoutDocument &)> spoil;
};

class UnopenableSave : public ::testing::TestWithParam<UnopenableCase>
{};

TEST_P(UnopenableSave, isRefusedAndTheOldFileStays)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("card.gpl"));
    TLayoutDocument document = postcardLayout();
    ASSERT_TRUE(SavePrintData(path, document, nullptr));
    const QByteArray before = fileBytes(path);
    GetParam().spoil(document);
    QString error;
    EXPECT_FALSE(SavePrintData(path, document, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(fileBytes(path), before);
}

INSTANTIATE_TEST_SUITE_P(
    PrintData, UnopenableSave,
    ::testing::Values(UnopenableCase{"itemBeyondTheLargestPaper",
                                     [](TLayoutDocument &D) {
                                         D.Items[2]->SetRect({0, 0, MaxPaperPagePx + 1, 40});
                                     }},
                      UnopenableCase{"pictureTallerThanAPictureMayBe",
                                     [](TLayoutDocument &D) {
                                         auto illust = std::make_unique<TIllustRect>();
                                         QImage tall(10, 30001, QImage::Format_RGB888);
                                         tall.fill(Qt::white);
                                         illust->SetPicture(tall);
                                         illust->SetRect({0, 0, 100, 100});
                                         D.Items.push_back(std::move(illust));
                                         D.ItemRoles.push_back(-1);
                                     }}),
    [](const ::testing::TestParamInfo<UnopenableCase> &info) { return std::string(info.param.name); });

// A picture taken as it is (not a JPEG) is kept as a bitmap: a photo of a
// few megapixels makes a file of tens of megabytes, which opens again.
TEST(PrintDataFile, aLayoutWithALargePictureOpensAgain)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("photo.gpd"));
    TLayoutDocument document = everyItemKind(TLayoutKind::Design, false);
    auto illust = std::make_unique<TIllustRect>();
    QImage photo(2400, 2400, QImage::Format_RGB888);
    photo.fill(Qt::white);
    illust->SetPicture(photo);
    illust->SetRect({0, 0, 200, 200});
    document.Items.push_back(std::move(illust));
    document.ItemRoles.push_back(-1);
    QString error;
    ASSERT_TRUE(SavePrintData(path, document, &error)) << qPrintable(error);
    ASSERT_GT(QFileInfo(path).size(), 16 * 1024 * 1024);
    TLayoutDocument read;
    ASSERT_TRUE(LoadPrintData(path, read, &error)) << qPrintable(error);
    EXPECT_EQ(read.Items.size(), document.Items.size());
}

TEST(PrintDataFile, failedSaveLeavesTheOldFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("card.gpl"));
    TLayoutDocument document = postcardLayout();
    ASSERT_TRUE(SavePrintData(path, document, nullptr));
    const QByteArray before = fileBytes(path);
    document.Items.pop_back();
    SafeFile::setFailureHook([](SafeFile::Step Step) { return Step == SafeFile::Step::RenameTemporary; });
    QString error;
    EXPECT_FALSE(SavePrintData(path, document, &error));
    SafeFile::setFailureHook({});
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(fileBytes(path), before);
}

// A design whose background is a large photograph (kept as a bitmap, more
// than 16 MiB in the file) with every kind of new item: what was saved opens
// again and saves to the same bytes.
TEST(PrintDataFile, aDesignWithALargeBackgroundPictureOpensAgainByteForByte)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("design.mpd"));
    TLayoutDocument document;
    document.Kind = TLayoutKind::Design;
    document.Format = postcardLayout().Format;
    QImage photo(2500, 2300, QImage::Format_RGB888);
    photo.fill(QColor(30, 120, 200));
    document.Background.SetPicture(photo, {});
    QImage leaf(30, 20, QImage::Format_ARGB32);
    leaf.fill(QColor(0, 128, 0, 200));
    auto illust = std::make_unique<TIllustRect>();
    illust->SetPicture(leaf, {});
    illust->SetRect({10, 10, 70, 50});
    auto qr = std::make_unique<TQRCodeRect>();
    qr->SetText(QStringLiteral("漢字とABC"));
    qr->SetRect({100, 100, 150, 150});
    auto figure = std::make_unique<TFigureRect>();
    figure->SetFigureKind(TFigureRect::Ellipse);
    figure->SetRect({200, 30, 260, 90});
    auto sender = std::make_unique<TSenderRect>();
    sender->SetSenderTitle(QStringLiteral("自宅"));
    sender->SetRect({20, 200, 220, 360});
    auto add = [&document](std::unique_ptr<TDrawRect> Item) {
        document.Items.push_back(std::move(Item));
        document.ItemRoles.push_back(-1);
    };
    add(std::move(illust));
    add(std::move(qr));
    add(std::move(figure));
    add(std::move(sender));
    QString error;
    ASSERT_TRUE(SavePrintData(path, document, &error)) << qPrintable(error);
    const QByteArray saved = fileBytes(path);
    ASSERT_GT(saved.size(), 16 * 1024 * 1024);
    TLayoutDocument read;
    ASSERT_TRUE(LoadPrintData(path, read, &error)) << qPrintable(error);
    ASSERT_EQ(read.Items.size(), 4u);
    EXPECT_EQ(read.Background.Picture().size(), photo.size());
    EXPECT_EQ(read.Background.Picture().pixelColor(2499, 0), QColor(30, 120, 200));
    EXPECT_EQ(read.Background.Picture().pixelColor(2498, 0), QColor(30, 120, 200));
    EXPECT_EQ(read.Background.Picture().format(), photo.format());
    EXPECT_EQ(read.Background.GetResolution(), 72);
    const QByteArray again = EncodePrintData(read);
    const qsizetype at = firstDifference(again, saved);
    EXPECT_EQ(at, -1) << "of " << saved.size() << " / " << again.size() << ": "
                      << saved.mid(at - 8, 24).toHex(' ').constData() << " / "
                      << again.mid(at - 8, 24).toHex(' ').constData();
}

// JPEG pictures keep their own bytes with the mirror and turn codes, bitmaps
// are kept as turned; masked, see-through, turned picture items and a
// mirrored JPEG background read back to the same file.
TEST(PrintDataFile, turnedAndMaskedPicturesSaveOpenSaveToTheSameBytes)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("design.mpd"));
    QImage image(48, 32, QImage::Format_RGB32);
    image.fill(QColor(200, 40, 40));
    for (int x = 0; x < 24; ++x)
        for (int y = 0; y < 16; ++y)
            image.setPixelColor(x, y, QColor(20, 160, 60));
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    ASSERT_TRUE(buffer.open(QIODevice::WriteOnly));
    ASSERT_TRUE(image.save(&buffer, "JPG"));
    TLayoutDocument document;
    document.Kind = TLayoutKind::Design;
    document.Format = postcardLayout().Format;
    document.Background.SetPicture(image, jpeg);
    document.Background.SetKind(TBackImage::Tiled);
    document.Background.Mirror(false);
    document.Background.Rotate(1);
    document.Background.SetRotate180(true);
    auto illust = std::make_unique<TIllustRect>();
    illust->SetPicture(image, jpeg);
    illust->SetRect({10, 10, 58, 42});
    illust->Mirror(true);
    illust->Rotate(0);
    illust->SetMask(2);
    illust->SetTransparentColor(0x3CA014);
    document.Items.push_back(std::move(illust));
    document.ItemRoles.push_back(-1);
    auto bitmap = std::make_unique<TIllustRect>();
    bitmap->SetPicture(image);
    bitmap->SetRect({80, 10, 128, 42});
    bitmap->Mirror(false);
    bitmap->Rotate(1);
    bitmap->SetMask(1);
    document.Items.push_back(std::move(bitmap));
    document.ItemRoles.push_back(-1);
    QString error;
    ASSERT_TRUE(SavePrintData(path, document, &error)) << qPrintable(error);
    const QByteArray saved = fileBytes(path);
    TLayoutDocument read;
    ASSERT_TRUE(LoadPrintData(path, read, &error)) << qPrintable(error);
    ASSERT_TRUE(SavePrintData(path, read, &error)) << qPrintable(error);
    EXPECT_EQ(firstDifference(fileBytes(path), saved), -1);
}

// More items than a file may hold would be saved and then refused on
// opening: saving refuses with the reason and keeps the old file.
TEST(PrintDataFile, moreItemsThanAFileHoldsAreRefusedOnSavingAndTheOldFileStays)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("card.mpd"));
    TLayoutDocument document = postcardLayout();
    ASSERT_TRUE(SavePrintData(path, document, nullptr));
    const QByteArray before = fileBytes(path);
    while (document.Items.size() <= size_t(PrintDataMaxItems)) {
        auto figure = std::make_unique<TFigureRect>();
        figure->SetRect({10, 10, 40, 40});
        document.Items.push_back(std::move(figure));
        document.ItemRoles.push_back(-1);
    }
    QString error;
    EXPECT_FALSE(SavePrintData(path, document, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(fileBytes(path), before);
}

class PrintDataEditor : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TLabelGrid grid;
        form.SetLayout(0, catalogueFormat(0, &grid), grid);
    }
    void TearDown() override { FreeItemCopyStream(); }

    SampleBook book;
    FakeHost host{book.table};
    ScriptedMessageBoxes boxes;
    TLayoutForm form{nullptr, host};
    QTemporaryDir dir;
};

TEST_F(PrintDataEditor, savedLayoutOpensWithItsMovedItem)
{
    const QString path = dir.filePath(QStringLiteral("card.gpl"));
    form.Document().Items[2]->SetRect({60, 110, 120, 420});
    ASSERT_TRUE(form.SaveFile(path));
    TLayoutForm other(nullptr, host);
    ASSERT_TRUE(other.OpenFile(path));
    EXPECT_EQ(other.Document().Items[2]->GetRect(), (TPageRect{60, 110, 120, 420}));
    EXPECT_EQ(other.FileName(), path);
    // The current record is merged into the opened layout.
    EXPECT_EQ(dynamic_cast<TNameRect &>(*other.Document().Items[2]).GetName(), QStringLiteral("山田 太郎"));
}

// A layout saved while it followed its kind's defaults (no format block)
// prints with those defaults however it is opened, never with the format of
// the layout the editor showed before. Disabled: the editor's open command
// keeps its previous record for such a file; to be enabled with its mending.
TEST_F(PrintDataEditor, fileWithoutFormatBlockOpensWithTheDefaultsNotThePreviousLayouts)
{
    const QString plain = dir.filePath(QStringLiteral("plain.mpd"));
    ASSERT_FALSE(form.Document().DataFormat);
    ASSERT_TRUE(form.SaveFile(plain));
    TDataFormat other;
    other.DefHonor = TDataFormat::HonorBytes(QStringLiteral("殿"));
    form.Document().DataFormat = std::make_shared<const TDataFormat>(other);
    ASSERT_TRUE(form.OpenFile(plain));
    const TDataFormat shown = EffectiveDataFormat(form.Document());
    EXPECT_EQ(TDataFormat::HonorText(shown.DefHonor), QStringLiteral("様"));
}

TEST_F(PrintDataEditor, damagedFileIsRefusedAndTheLayoutStays)
{
    const QString path = dir.filePath(QStringLiteral("broken.gpl"));
    QByteArray bytes = EncodePrintData(form.Document());
    bytes.truncate(bytes.size() / 2);
    writeBytes(path, bytes);
    const size_t items = form.Document().Items.size();
    EXPECT_FALSE(form.OpenFile(path));
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.contains(path));
    EXPECT_EQ(form.Document().Items.size(), items);
    EXPECT_TRUE(form.findChild<QAction *>(QStringLiteral("actPrint"))->isEnabled());
}

// As many items as a print-data file holds: the editor saves them and opens
// them again, every one where it was put. One more is refused by the save,
// which names the limit, and the editor keeps its layout and the old file.
TEST_F(PrintDataEditor, aLayoutOfAsManyItemsAsAFileHoldsOpensAgainWholeAndOneMoreIsRefused)
{
    const QString path = dir.filePath(QStringLiteral("full.gpl"));
    std::vector<std::unique_ptr<TDrawRect>> &items = form.Document().Items;
    size_t stored = 0;
    for (const auto &item : items)
        stored += PrintItemClass(*item) != 0 ? 1 : 0;
    const auto addFigure = [&] {
        const int n = int(items.size());
        auto figure = std::make_unique<TFigureRect>();
        figure->SetRect({10 + n % 64, 10 + n / 64, 40 + n % 64, 40 + n / 64});
        items.push_back(std::move(figure));
        form.Document().ItemRoles.push_back(-1);
    };
    while (stored < size_t(PrintDataMaxItems)) {
        addFigure();
        ++stored;
    }
    ASSERT_TRUE(form.SaveFile(path)) << qPrintable(boxes.count() ? boxes.last().text : QString());
    EXPECT_EQ(boxes.count(), 0);

    TLayoutForm other(nullptr, host);
    TLabelGrid grid;
    other.SetLayout(0, catalogueFormat(0, &grid), grid);
    ASSERT_TRUE(other.OpenFile(path)) << qPrintable(boxes.count() ? boxes.last().text : QString());
    ASSERT_EQ(other.Document().Items.size(), items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(PrintItemClass(*other.Document().Items[i]), PrintItemClass(*items[i])) << i;
        EXPECT_EQ(other.Document().Items[i]->GetRect(), items[i]->GetRect()) << i;
    }

    const QByteArray saved = fileBytes(path);
    addFigure();
    EXPECT_FALSE(form.SaveFile(path));
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("印刷データを保存できませんでした\r\n項目が多すぎるため保存できません（%1個まで）")
                                     .arg(PrintDataMaxItems));
    EXPECT_EQ(form.Document().Items.size(), other.Document().Items.size() + 1);
    EXPECT_TRUE(sameBytes(saved, fileBytes(path)));
}

// A file claiming one item more than a file holds (written by something else
// than this editor) is refused as damaged, and the editor keeps its layout.
TEST_F(PrintDataEditor, aFileOfOneItemMoreThanAFileHoldsIsRefusedAsDamaged)
{
    TLayoutDocument document = postcardLayout();
    size_t stored = 0;
    for (const auto &item : document.Items)
        stored += PrintItemClass(*item) != 0 ? 1 : 0;
    while (stored <= size_t(PrintDataMaxItems)) {
        auto figure = std::make_unique<TFigureRect>();
        figure->SetRect({10, 10, 40, 40});
        document.Items.push_back(std::move(figure));
        document.ItemRoles.push_back(-1);
        ++stored;
    }
    const QString path = dir.filePath(QStringLiteral("over.gpl"));
    writeBytes(path, EncodePrintData(document));
    const size_t items = form.Document().Items.size();
    EXPECT_FALSE(form.OpenFile(path));
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.contains(QStringLiteral("壊れている"))) << qPrintable(boxes.last().text);
    EXPECT_TRUE(boxes.last().text.contains(path));
    EXPECT_EQ(form.Document().Items.size(), items);
}

TEST_F(PrintDataEditor, copiedItemPastesMovedIntoAnotherEditor)
{
    form.PageView()->SetSelected(2);
    form.CopySelected();
    ASSERT_NE(ItemCopyStream, nullptr);
    TLayoutForm other(nullptr, host);
    TLabelGrid grid;
    other.SetLayout(0, catalogueFormat(0, &grid), grid);
    const size_t before = other.Document().Items.size();
    ASSERT_TRUE(other.Paste());
    ASSERT_EQ(other.Document().Items.size(), before + 1);
    const TPageRect source = form.Document().Items[2]->GetRect();
    const TPageRect pasted = other.Document().Items.back()->GetRect();
    EXPECT_EQ(pasted.Left, source.Left + 8);
    EXPECT_EQ(pasted.Top, source.Top + 8);
    EXPECT_EQ(other.PageView()->Selected(), int(before));
}

// The copied items' stores a paste meets: real copies of every item kind a
// file holds (addressee and sender, a picture among them), each with one to
// three bytes changed, half of them moved to the bounds' far corner, and a
// store found so: a company item with a font size out of all reason and a
// byte after its record.
std::vector<QByteArray> mutatedCopyStores(int Count)
{
    // The store's count, then the record's class, sender flag, role and
    // length before the item's own stream, which starts with its rectangle.
    constexpr qsizetype kRecordHeader = 4 + 1 + 1 + 4 + 4;
    TLayoutDocument source = everyItemKind(TLayoutKind::AddressSide, false);
    QImage image(6, 4, QImage::Format_RGB32);
    image.fill(QColor(200, 40, 40));
    auto illust = std::make_unique<TIllustRect>();
    illust->SetPicture(image);
    illust->SetRect({10, 10, 58, 42});
    source.Items.push_back(std::move(illust));
    source.ItemRoles.push_back(-1);
    std::vector<QByteArray> seeds;
    for (size_t i = 0; i < source.Items.size(); ++i) {
        if (PrintItemClass(*source.Items[i]) == 0)
            continue;
        CopyPrintItems(source, {int(i)});
        seeds.push_back(ItemCopyStream->Bytes);
    }
    FreeItemCopyStream();
    std::vector<QByteArray> stores{foundStore()};
    std::mt19937 random(73);
    while (int(stores.size()) < Count) {
        QByteArray store = seeds[stores.size() % seeds.size()];
        for (int c = 0, changes = 1 + int(random() % 3); c < changes; ++c)
            store[qsizetype(random() % quint32(store.size()))] = char(random() % 256);
        // Half of them with the item's rectangle at the far corner of the
        // bounds an item may stand in: a code there grows past them as it
        // is built.
        if (random() % 2) {
            const qint32 near = MaxPaperPagePx - qint32(random() % 64);
            const std::array<qint32, 4> corner = {near, near, MaxPaperPagePx, MaxPaperPagePx};
            for (size_t side = 0; side < corner.size(); ++side)
                qToLittleEndian(corner[side], store.data() + kRecordHeader + 4 * side);
        }
        stores.push_back(store);
    }
    return stores;
}

// Whatever the editor's paste takes of a store, the layout holding it saves
// and opens again with every item; what it does not take adds nothing.
TEST_F(PrintDataEditor, everyPastedItemSavesAndOpensAgain)
{
    int taken = 0;
    for (const QByteArray &store : mutatedCopyStores(3000)) {
        if (!ItemCopyStream)
            ItemCopyStream = new TItemCopyStream;
        ItemCopyStream->Bytes = store;
        TLayoutDocument &document = form.Document();
        const size_t before = document.Items.size();
        if (!form.Paste()) {
            ASSERT_EQ(document.Items.size(), before);
            continue;
        }
        ++taken;
        TLayoutDocument read;
        QString error;
        ASSERT_TRUE(DecodePrintData(EncodePrintData(document), read, &error))
            << qPrintable(error) << " after pasting " << store.toHex().constData();
        ASSERT_EQ(read.Items.size(), document.Items.size());
        document.Items.resize(before);
        document.ItemRoles.resize(before);
    }
    EXPECT_GT(taken, 300) << "the stores test too little of what a paste takes";
}

// The store found so, pasted and saved through the editor's own commands.
TEST_F(PrintDataEditor, theFoundStoreLeavesALayoutThatSavesAndOpens)
{
    ItemCopyStream = new TItemCopyStream;
    ItemCopyStream->Bytes = foundStore();
    const size_t before = form.Document().Items.size();
    const bool pasted = form.Paste();
    const QString path = dir.filePath(QStringLiteral("pasted.gpl"));
    ASSERT_TRUE(form.SaveFile(path)) << qPrintable(boxes.count() ? boxes.last().text : QString());
    TLayoutForm other(nullptr, host);
    ASSERT_TRUE(other.OpenFile(path)) << qPrintable(boxes.count() ? boxes.last().text : QString());
    EXPECT_EQ(other.Document().Items.size(), before + (pasted ? 1 : 0));
}

TEST_F(PrintDataEditor, pasteWithNothingCopiedAddsNothing)
{
    const size_t before = form.Document().Items.size();
    EXPECT_FALSE(form.Paste());
    EXPECT_EQ(form.Document().Items.size(), before);
}

} // namespace
