// A long title or department on the small labels takes a blank frame or a
// further line before its characters close up below half their width, and
// the company block still reads in its order: address, company, department,
// title, name; rows from the top or columns from the right, no line of a
// text level with what stands after it but its last, no character on
// another, none below the least height. Each record is merged into the
// label's detailed frames as the print run merges it, at 600 dpi.
#include "EditorsFixture.h"
#include "editors/LayoutDoc.h"
#include "editors/PrintedSizes.h"
#include "items/MetaRect.h"
#include "support/RowName.h"

#include <cmath>

namespace {

struct RoomCase {
    const char *name;
    int paper;
    const char *department;
    const char *title;
    const char *person; // empty: the company addressed as itself
};

TAddressText recordOf(const RoomCase &C)
{
    TAddressText r;
    r.Pos = QStringLiteral("2310023");
    r.Tdfkn = QStringLiteral("神奈川県");
    r.Adrs1 = QStringLiteral("横浜市中区山下町");
    r.Adrs2 = QStringLiteral("１２－３");
    r.PrivCorp = false;
    r.CorpKanji = QStringLiteral("日本総合物産株式会社");
    r.Dptmnt = QString::fromUtf8(C.department);
    r.Post = QString::fromUtf8(C.title);
    r.NameKanji = QString::fromUtf8(C.person);
    r.Honor = r.NameKanji.isEmpty() ? QStringLiteral("御中") : QStringLiteral("様");
    return r;
}

struct TPrinted {
    QRectF Box;
    int Role;
    size_t Item;
};

// Whether a reader takes A before B: rows from the top, each from the left
// (Across), or columns from the right, each from the top.
bool readsBefore(const QRectF &A, const QRectF &B, bool Across, double Slack)
{
    if (Across)
        return A.center().y() < B.top() || (A.center().y() <= B.bottom() && A.right() <= B.left() + Slack);
    return A.center().x() > B.right() || (A.center().x() >= B.left() && A.bottom() <= B.top() + Slack);
}

class LabelFreeRoom : public ::testing::TestWithParam<RoomCase>
{
};

TEST_P(LabelFreeRoom, takesFreeRoomBeforeNarrowingBelowHalfAndReadsInOrder)
{
    const RoomCase &c = GetParam();
    TLayoutDocument d;
    loadLayout(d, c.paper, TLayoutKind::Label);
    d.Detail = true;
    d.BuildDefaultItems();
    d.SetReferenceDevice(TReferenceDevice::printer({600, 600}));
    const TAddressText record = recordOf(c);
    MergeRecord(d, &record, nullptr);
    (void)SizeShortfalls(d); // lays the texts out as the print run does
    const bool across = d.HorizontalWriting();
    const double px = 96 / 25.4; // page pixels a millimetre

    std::vector<TPrinted> printed;
    QString all;
    for (size_t i = 0; i < d.Items.size(); ++i) {
        const auto *text = dynamic_cast<const TMetaRect *>(d.Items[i].get());
        if (!text || !text->IsVisible() || !d.OnPrintedSide(i) || AddresseePartOf(d, i).isEmpty())
            continue;
        EXPECT_GE(text->Narrowest(), 0.5) << qPrintable(AddresseePartOf(d, i));
        const auto ops = text->GetMetafile().TextOps();
        const std::vector<QRectF> boxes = PrintedTextBoxes(*text);
        for (size_t k = 0; k < boxes.size(); ++k) {
            const TTextOp &op = *ops[qsizetype(k)];
            if (op.Text.trimmed().isEmpty())
                continue;
            all += op.Text;
            EXPECT_GE(std::abs(op.Font.Height) * 25.4 / text->GetMetafile().Dpi().y, LeastTextMm)
                << qPrintable(op.Text);
            printed.push_back({boxes[k], i < d.ItemRoles.size() ? d.ItemRoles[i] : -1, i});
        }
    }
    all.remove(QLatin1Char(' '));
    for (const QString &part : {record.Dptmnt, record.Post, QString(record.NameKanji).remove(QLatin1Char(' '))})
        EXPECT_TRUE(all.contains(part)) << qPrintable(part) << " is not printed whole: " << qPrintable(all);

    for (const TPrinted &a : printed)
        for (const TPrinted &b : printed) {
            if (a.Item == b.Item)
                continue;
            // A character cell holds blank above and below its ink.
            EXPECT_FALSE(a.Box.adjusted(0.3 * px, 0.3 * px, -0.3 * px, -0.3 * px)
                             .intersects(b.Box.adjusted(0.3 * px, 0.3 * px, -0.3 * px, -0.3 * px)))
                << "item " << a.Item << " prints on item " << b.Item;
            if (a.Role < 0 || b.Role <= a.Role)
                continue;
            EXPECT_TRUE(readsBefore(a.Box, b.Box, across, 0.3 * px))
                << "role " << b.Role << " reads before role " << a.Role;
            // Only a text's last line stands level with what is read after
            // it along its lines (no 「代表取 山田太郎様 締役社長」).
            double last = across ? a.Box.center().y() : a.Box.center().x();
            for (const TPrinted &o : printed)
                if (o.Item == a.Item)
                    last = across ? std::max(last, o.Box.center().y()) : std::min(last, o.Box.center().x());
            const double at = across ? a.Box.center().y() : a.Box.center().x();
            const bool beside = across ? b.Box.left() >= a.Box.right() - 0.3 * px
                                       : b.Box.top() >= a.Box.bottom() - 0.3 * px;
            const bool level = across ? at >= b.Box.top() && at <= b.Box.bottom()
                                      : at >= b.Box.left() && at <= b.Box.right();
            EXPECT_FALSE(beside && level && std::abs(at - last) > 1e-6)
                << "a line of role " << a.Role << " but its last stands level with role " << b.Role;
        }
}

// 35 characters, no blank to break at.
const char *const kLongDepartment = "第二営業本部アジア大洋州地域営業推進部東南アジア営業担当第一販売推進室";

// From the long end of the run: a company addressed as itself on the turned
// 44-sheet, whose long department takes its column whole while the title
// moves to the blank name frame after it; long titles that take the blank
// department frame (or the blank between frames) above them, beside the
// name, on wide and turned sheets.
INSTANTIATE_TEST_SUITE_P(
    Labels, LabelFreeRoom,
    ::testing::Values(RoomCase{"sheet44TurnedCompanyLongDepartment", 23, kLongDepartment, "代表", ""},
                      RoomCase{"sheet44TurnedCompanyLongDepartmentAndTitle", 23, kLongDepartment, "代表取締役社長兼最高",
                               ""},
                      RoomCase{"sheet44LongTitle", 22, "", "代表取締役社長兼最高経営責任者海外", "長谷川 五郎左衛門"},
                      RoomCase{"sheet10LongTitle", 16, "", "代表取締役社長兼最高経営責任者海外事業統括本部長",
                               "山田 太郎"},
                      RoomCase{"sheet24TurnedLongTitle", 21, "", "代表取締役社長兼最高経営責任者海外事業統括本部",
                               "林 一"}),
    rowName);

} // namespace
