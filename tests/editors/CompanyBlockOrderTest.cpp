// A company's block reads company, department, title and honorific (or the
// person's name and honorific) in that order on every label with frames of
// their own for them, written across or down, whatever blank room a long
// department takes: one label printed through the print run to a PDF file,
// its words read back with pdftotext -bbox and put in the order a reader
// takes them (rows from the top, each from the left; columns from the right,
// each from the top).
#include "EditorsFixture.h"
#include "LabelFormSteps.h"
#include "PdfWords.h"
#include "editors/PrintLoop.h"
#include "items/MetaRect.h"
#include "support/RowName.h"

#include <QPrinter>

namespace {

struct OrderCase {
    const char *name;
    int paper;
    bool person;
    int from = -1; // the paper the layout was changed from (用紙の変更), or none
};

// The block's parts in reading order, no character shared between two.
const QString kCompany = QStringLiteral("株式会社ピクス");
// 35 characters, no blank to break at: two lines wherever it has room.
const QString kDepartment = QStringLiteral("第二営業本部アジア大洋州地域営業推進部東南アジア営業担当第一販売推進室");
const QString kTitle = QStringLiteral("課長代理");

TAddressText recordOf(bool Person)
{
    TAddressText r;
    r.Pos = QStringLiteral("2310023");
    r.Tdfkn = QStringLiteral("神奈川県");
    // No character of the block's in the address.
    r.Adrs1 = QStringLiteral("横浜市西区みなとみらい");
    r.Adrs2 = QStringLiteral("２－３－１");
    r.PrivCorp = false;
    r.CorpKanji = kCompany;
    r.Dptmnt = kDepartment;
    r.Post = kTitle;
    if (Person)
        r.NameKanji = QStringLiteral("山田 太郎");
    else
        r.Honor = QStringLiteral("御中");
    return r;
}

// The part of the block a character belongs to, -1 for none.
int partOf(QChar C, const QStringList &Parts)
{
    for (int i = 0; i < Parts.size(); ++i)
        if (Parts[i].contains(C))
            return i;
    return -1;
}

// Whether a reader takes A before B: rows from the top, each from the left
// (Across), or columns from the right, each from the top.
bool readsBefore(const QRectF &A, const QRectF &B, bool Across)
{
    constexpr double slack = 0.3; // mm
    if (Across)
        return A.center().y() < B.top() || (A.center().y() <= B.bottom() && A.right() <= B.left() + slack);
    return A.center().x() > B.right() || (A.center().x() >= B.left() && A.bottom() <= B.top() + slack);
}

class CompanyBlockOrder : public ::testing::TestWithParam<OrderCase>
{
};

TEST_P(CompanyBlockOrder, readsCompanyDepartmentTitleAndHonorificInOrder)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext is not installed";
    const OrderCase &c = GetParam();
    // The detailed frames chosen in the label editor, on the case's paper
    // or on another one changed to it.
    LabelFormOnBook on(c.from < 0 ? c.paper : c.from);
    chooseDetailedFrames(on.form);
    if (c.from >= 0) {
        TLabelGrid grid;
        const TLayoutFormat format = catalogueFormat(c.paper, &grid);
        on.form.ChangePaper(c.paper, format, grid);
    }
    TLayoutDocument &d = on.form.Document();
    ASSERT_EQ(d.FormatIndex, c.paper);
    ASSERT_TRUE(d.Detail);
    const TAddressText record = recordOf(c.person);

    QTemporaryDir out;
    const QString pdf = out.filePath(QStringLiteral("labels.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    printer.setFullPage(true);
    SetupPrinterPage(printer, d);
    TPrintLoop loop(d, TRecordSource([&record](qint32) -> std::optional<TAddressText> { return record; }));
    QString error;
    ASSERT_TRUE(loop.Run(printer, {1}, {}, &error)) << qPrintable(error);

    // A short title stands before the person's name on its line.
    const QStringList parts = c.person ? QStringList{kCompany, kDepartment, kTitle, QStringLiteral("山田太郎"),
                                                     QStringLiteral("様")}
                                       : QStringList{kCompany, kDepartment, kTitle, QStringLiteral("御中")};
    const bool across = d.HorizontalWriting();
    struct TPart {
        int First, Last;
        QRectF Box;
        QString Text;
    };
    std::vector<TPart> read;
    QString printed;
    for (const TWord &w : firstLabelWords(d, pdf)) {
        int first = -1, last = -1;
        for (const QChar ch : w.Text) {
            const int p = partOf(ch, parts);
            if (p < 0)
                continue;
            EXPECT_GE(p, last) << qPrintable(w.Text) << " reads its parts out of order";
            first = first < 0 ? p : first;
            last = p;
            printed += ch;
        }
        if (first < 0)
            continue;
        read.push_back({first, last, w.Box, w.Text});
        const double size = across ? w.Box.height() : w.Box.width();
        EXPECT_GE(size, LeastTextMm - 0.05) << qPrintable(w.Text) << ": " << size << " mm";
    }
    for (const QString &part : parts)
        for (const QChar ch : part)
            EXPECT_TRUE(printed.contains(ch)) << QString(ch).toStdString() << " is not printed: " << qPrintable(printed);
    for (const TPart &a : read)
        for (const TPart &b : read) {
            if (a.Last < b.First) {
                EXPECT_TRUE(readsBefore(a.Box, b.Box, across))
                    << qPrintable(b.Text) << " reads before " << qPrintable(a.Text);
            }
        }
}

// The detailed frames of every sheet of labels, wide and turned, a company
// addressed as itself and a person at it; the 12-sheet's after 用紙の変更 from
// the other direction and from another sheet.
INSTANTIATE_TEST_SUITE_P(Labels, CompanyBlockOrder,
                         ::testing::Values(OrderCase{"sheet12Company", 14, false},
                                           OrderCase{"sheet12Person", 14, true},
                                           OrderCase{"sheet12TurnedCompany", 15, false},
                                           OrderCase{"sheet12TurnedPerson", 15, true},
                                           OrderCase{"sheet10Company", 16, false},
                                           OrderCase{"sheet10Person", 16, true},
                                           OrderCase{"sheet10TurnedCompany", 17, false},
                                           OrderCase{"sheet10TurnedPerson", 17, true},
                                           OrderCase{"sheet21Company", 18, false},
                                           OrderCase{"sheet21Person", 18, true},
                                           OrderCase{"sheet21TurnedCompany", 19, false},
                                           OrderCase{"sheet21TurnedPerson", 19, true},
                                           OrderCase{"sheet24Company", 20, false},
                                           OrderCase{"sheet24Person", 20, true},
                                           OrderCase{"sheet24TurnedCompany", 21, false},
                                           OrderCase{"sheet24TurnedPerson", 21, true},
                                           OrderCase{"sheet44Company", 22, false},
                                           OrderCase{"sheet44Person", 22, true},
                                           OrderCase{"sheet44TurnedCompany", 23, false},
                                           OrderCase{"sheet44TurnedPerson", 23, true},
                                           OrderCase{"sheet12FromTurnedCompany", 14, false, 15},
                                           OrderCase{"sheet12TurnedFromWideCompany", 15, false, 14},
                                           OrderCase{"sheet12From44Company", 14, false, 22}),
                         rowName);

} // namespace
