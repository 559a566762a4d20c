// The detailed frames of postcards and envelopes, both writings, the way a
// user gets there: a person with four joint names (連名) and an address whose
// block number and building are typed into lines of their own, typed into
// the record form; 書式 → 詳細 with the automatic layout switched off; the
// record printed through the print wizard to a PDF file and read back with
// pdftotext -bbox. The joint names print in a frame of their own beside
// (below) the name's, yet stand as they do beside the name in one frame:
// each given name under the name's given name, character under character,
// and each honorific under the name's. The editor shows them so too. The
// building after the block number in the second address frame reads as a
// line of its own: it has one, or a blank stands before it where the two
// share one, on the 12-sheet label's detailed frames as well.
#include "UserRoad.h"
#include "items/NameRect.h"
#include "support/RowName.h"


#include <optional>
#include <vector>

namespace {

struct JointCase {
    const char *name;
    TPrintEditorKind kind;
    int paper;
    bool vertical;
    bool withJoints; // a postcard or envelope: its frame of joint names
};

// A character where it is printed: its middle along its line (down a
// column in vertical writing) and across it, in millimetres, and its size
// along the line.
struct TPlaced {
    QChar Char;
    double Along = 0;
    double Across = 0;
    double Size = 0;
};

constexpr double kPtMm = 25.4 / 72;

// The record as the tester typed it.
TTypedRecord suzuki()
{
    TTypedRecord r;
    r.Name = QStringLiteral("鈴木 一郎");
    r.Joints = {QStringLiteral("洋子"), QStringLiteral("健太"), QStringLiteral("美咲"), QStringLiteral("翔太")};
    r.Pos = QStringLiteral("1000005");
    r.Tdfkn = QStringLiteral("東京都");
    r.Adrs1 = QStringLiteral("千代田区");
    r.Adrs2 = QStringLiteral("丸の内2丁目7-3");
    r.Adrs3 = QStringLiteral("東京ビルディング12階");
    return r;
}

class DetailJointNames : public PdfRoadFixture, public ::testing::WithParamInterface<JointCase>
{
protected:
    void SetUp() override
    {
        PdfRoadFixture::SetUp();
        if (stopped())
            return;
        ASSERT_NO_FATAL_FAILURE(typeRecord(suzuki()));
        selectRows({0});
        const bool label = GetParam().kind == TPrintEditorKind::Label;
        editor = openEditor(label ? "actLabelPrint" : "actLayoutPrint", GetParam().kind, GetParam().paper);
        ASSERT_NE(editor, nullptr);
        ASSERT_NO_FATAL_FAILURE(switchToDetailedFrames(*editor));
        ASSERT_TRUE(runPrintWizard(*editor));
        readPrinted();
    }

    // Every character of the first piece: its middle along and across its
    // line, in millimetres.
    void readPrinted()
    {
        const bool vertical = GetParam().vertical;
        const bool label = GetParam().kind == TPrintEditorKind::Label;
        const QRectF piece = label ? firstLabel(*editor) : QRectF(0, 0, 2000, 2000);
        // A word runs along its longer side (a reader may take characters
        // standing side by side in columns for a word across them), its
        // characters em squares as wide as the word's shorter side, spaced
        // evenly from one end to the other.
        for (const TPdfWord &w : pdfWords(piece)) {
            const bool down = w.Box.height() > w.Box.width();
            const double em = down ? w.Box.width() : w.Box.height();
            const double length = down ? w.Box.height() : w.Box.width();
            const qsizetype n = w.Text.size();
            const double pitch = n > 1 ? (length - em) / double(n - 1) : 0;
            for (qsizetype i = 0; i < n; ++i) {
                const double size = n > 1 ? em : length;
                const QRectF box = down ? QRectF(w.Box.left(), w.Box.top() + i * pitch, w.Box.width(), size)
                                        : QRectF(w.Box.left() + i * pitch, w.Box.top(), size, w.Box.height());
                const QPointF mid = box.center() * kPtMm;
                printed.push_back({w.Text[i], vertical ? mid.y() : mid.x(), vertical ? mid.x() : mid.y(),
                                   (vertical ? box.height() : box.width()) * kPtMm});
            }
        }
    }

    // The character C on the line across At (within half a character), or
    // the first C anywhere without At.
    static std::optional<TPlaced> find(const std::vector<TPlaced> &Chars, QChar C, std::optional<double> At = {})
    {
        for (const TPlaced &p : Chars)
            if (p.Char == C && (!At || std::abs(p.Across - *At) < p.Size / 2))
                return p;
        return std::nullopt;
    }

    // Each joint name's characters and honorific stand where the name's
    // given name and honorific do along the line, on a line of its own.
    static void expectLinedUp(const std::vector<TPlaced> &Chars, const char *Where)
    {
        const auto ichi = find(Chars, u'一');
        ASSERT_TRUE(ichi) << Where << ": the given name is not printed";
        const auto ro = find(Chars, u'郎', ichi->Across);
        const auto sama = find(Chars, u'様', ichi->Across);
        ASSERT_TRUE(ro && sama) << Where << ": the name's line lacks 郎 or 様";
        for (const char16_t *joint : {u"洋子", u"健太", u"美咲", u"翔太"}) {
            const auto first = find(Chars, joint[0]);
            ASSERT_TRUE(first) << Where << ": " << QString::fromUtf16(joint).toStdString() << " is not printed";
            const auto second = find(Chars, joint[1], first->Across);
            const auto honor = find(Chars, u'様', first->Across);
            ASSERT_TRUE(second && honor) << Where << ": the line of " << QString::fromUtf16(joint).toStdString()
                                         << " lacks a character or its honorific";
            EXPECT_GT(std::abs(first->Across - ichi->Across), ichi->Size / 2) << Where;
            EXPECT_NEAR(first->Along, ichi->Along, 0.5)
                << Where << ": " << QString::fromUtf16(joint).toStdString() << " does not start under 一";
            EXPECT_NEAR(second->Along, ro->Along, 0.5)
                << Where << ": " << QString::fromUtf16(joint).toStdString() << " does not end under 郎";
            EXPECT_NEAR(honor->Along, sama->Along, 0.5)
                << Where << ": the honorific of " << QString::fromUtf16(joint).toStdString()
                << " does not stand under the name's";
        }
    }

    TPrintEditor *editor = nullptr;
    std::vector<TPlaced> printed;
};

TEST_P(DetailJointNames, jointNamesLineUpWithTheGivenNameAndItsHonorific)
{
    if (!GetParam().withJoints)
        GTEST_SKIP() << "a label prints its joint names beside the name in one frame";
    expectLinedUp(printed, "printed");
}

// The editor's page after the run, at the screen's resolution: the texts of
// the addressee's name items as they are recorded to be drawn there.
TEST_P(DetailJointNames, theEditorShowsThemLinedUp)
{
    if (!GetParam().withJoints)
        GTEST_SKIP() << "a label prints its joint names beside the name in one frame";
    const bool vertical = GetParam().vertical;
    std::vector<TPlaced> shown;
    const double px = 25.4 / 96;
    // The page's paint lays the items out as the screen shows them.
    editor->grab();
    for (const auto &item : editor->Document().Items) {
        const auto *name = dynamic_cast<const TNameRect *>(item.get());
        if (!name || name->IsSender() || !name->IsVisible())
            continue;
        const double dot = 25.4 / name->GetMetafile().Dpi().y;
        const TPageRect r = name->GetRect();
        for (const TTextOp *op : name->GetMetafile().TextOps()) {
            const double em = std::abs(op->Font.Height) * dot;
            double along = (vertical ? op->Origin.y() : op->Origin.x()) * dot;
            const double across = (vertical ? r.Left * px + op->Origin.x() * dot : r.Top * px + op->Origin.y() * dot);
            for (qsizetype i = 0; i < op->Text.size(); ++i) {
                shown.push_back({op->Text[i], (vertical ? r.Top : r.Left) * px + along + em / 2, across, em});
                along += op->Advances.value(i) * dot;
            }
        }
    }
    expectLinedUp(shown, "in the editor");
}

// The building line after the block number: a line of its own (nothing
// before it on its line, or only what stands far off, as the postcode does
// above a vertical address), or on the block number's line after a blank of
// a third of a character at the least (a half-width blank down a column).
TEST_P(DetailJointNames, theBuildingLineStandsApartFromTheBlockNumber)
{
    const auto bi = find(printed, u'ビ');
    ASSERT_TRUE(bi) << "the building is not printed";
    // What stands nearest before Of on its line.
    auto before = [&](const TPlaced &Of) -> std::optional<TPlaced> {
        std::optional<TPlaced> best;
        for (const TPlaced &p : printed)
            if (std::abs(p.Across - Of.Across) < Of.Size / 2 && p.Along < Of.Along - Of.Size / 4 &&
                (!best || p.Along > best->Along))
                best = p;
        return best;
    };
    const auto kyo = before(*bi);
    ASSERT_TRUE(kyo && kyo->Char == u'京');
    const auto to = before(*kyo);
    ASSERT_TRUE(to && to->Char == u'東');
    const auto last = before(*to);
    const double gap = last ? (to->Along - to->Size / 2) - (last->Along + last->Size / 2) : 1e9;
    EXPECT_GE(gap, to->Size / 3) << "the building runs on from " << QString(last->Char).toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Papers, DetailJointNames,
    ::testing::Values(JointCase{"verticalPostcard", TPrintEditorKind::AddressSide, 0, true, true},
                      JointCase{"horizontalPostcard", TPrintEditorKind::AddressSide, 1, false, true},
                      JointCase{"verticalEnvelope", TPrintEditorKind::AddressSide, 2, true, true},
                      JointCase{"horizontalEnvelope", TPrintEditorKind::AddressSide, 3, false, true},
                      JointCase{"label12", TPrintEditorKind::Label, 14, false, false}),
    rowName);

} // namespace
