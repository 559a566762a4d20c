// The small labels keep a name with its joint names and a long department
// readable: every character prints at two thirds of its width or more, the
// text taking the company, department and title frames the record leaves
// blank (and another line) before it narrows. One label printed through the
// print run to a PDF file and read back with pdftotext -bbox: each word's
// length along its line against its characters' count and height.
#include "EditorsFixture.h"
#include "FakeHost.h"
#include "LabelFormSteps.h"
#include "PdfWords.h"
#include "core/Env.h"
#include "editors/AdditionPlace.h"
#include "editors/LabelForm.h"
#include "editors/PrintLoop.h"
#include "editors/PrintedSizes.h"
#include "items/AdditionRect.h"
#include "items/MetaRect.h"
#include "items/NameRect.h"
#include "support/RowName.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QPrinter>

namespace {

struct WidthCase {
    const char *name;
    int paper;
    bool company;
};

TAddressText recordOf(const WidthCase &C)
{
    TAddressText r;
    r.Pos = QStringLiteral("2310023");
    r.Tdfkn = QStringLiteral("神奈川県");
    r.Adrs1 = QStringLiteral("横浜市中区山下町");
    r.Adrs2 = QStringLiteral("１２－３");
    if (C.company) {
        r.PrivCorp = false;
        r.CorpKanji = QStringLiteral("株式会社日本総合物産");
        // 35 characters, no blank to break at.
        r.Dptmnt = QStringLiteral("第二営業本部アジア太平洋地域営業推進部東南アジア営業課第一販売推進係長");
        r.NameKanji = QStringLiteral("山田 太郎");
        return r;
    }
    r.NameKanji = QStringLiteral("七海 結月");
    const QStringList joints{QStringLiteral("陽菜"), QStringLiteral("健太郎"), QStringLiteral("由美子"),
                             QStringLiteral("さくら"), QStringLiteral("大輔")};
    for (int i = 0; i < joints.size(); ++i) {
        r.Joint[size_t(i)] = joints[i];
        r.JointPrints[size_t(i)] = true;
    }
    r.JointPrint = true;
    return r;
}

// The characters whose width is measured: the name, its joint names and
// honorifics, or the department.
QString measured(const TAddressText &R, bool Company)
{
    if (Company)
        return R.Dptmnt;
    QString all = R.NameKanji + QStringLiteral("様");
    for (const QString &j : R.Joint)
        all += j;
    return all.remove(QLatin1Char(' '));
}

class NameWidth : public ::testing::TestWithParam<WidthCase>
{
};

TEST_P(NameWidth, everyCharacterKeepsTwoThirdsOfItsWidth)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext is not installed";
    const WidthCase &c = GetParam();
    TLayoutDocument d;
    d.Kind = TLayoutKind::Label;
    d.FormatIndex = c.paper;
    d.Format = catalogueFormat(c.paper, &d.Grid);
    d.Detail = true;
    d.BuildDefaultItems();
    const TAddressText record = recordOf(c);

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

    // A label on its side on the sheet runs its columns across the sheet.
    const QRect cell = d.CellRect(0);
    const bool onItsSide = cell.width() != d.PieceSize().width();
    const bool runsAcross = d.HorizontalWriting() != onItsSide;
    const QString chars = measured(record, c.company);
    QString printed;
    int words = 0;
    for (const TWord &w : pdfWords(pdf)) {
        const QString text = QString(w.Text).remove(QChar(0x3000));
        if (text.isEmpty() ||
            !std::all_of(text.begin(), text.end(), [&chars](QChar ch) { return chars.contains(ch); }))
            continue;
        printed += text;
        ++words;
        const double along = runsAcross ? w.Box.width() : w.Box.height();
        const double across = runsAcross ? w.Box.height() : w.Box.width();
        const double width = along / (CellCount(text) * across);
        EXPECT_GE(width, LeastWidthRatio - 0.02) << qPrintable(text) << ": " << width << " of its width";
        EXPECT_GE(across * 25.4 / 72, LeastTextMm - 0.05) << qPrintable(text) << ": " << across * 25.4 / 72 << " mm";
    }
    EXPECT_GT(words, 0);
    for (const QChar ch : chars)
        EXPECT_TRUE(printed.contains(ch)) << QString(ch).toStdString() << " is not printed: " << qPrintable(printed);
    // Nothing left narrowed for the wizard to name.
    MergeRecord(d, &record, nullptr);
    EXPECT_TRUE(SizeShortfalls(d).Squeezed.isEmpty());
}

// The additional lines see the room the name takes as taken: with TEL,
// E-Mail1, the first keyword and a text of the user's own shown on the
// 44-sheet detailed label, no line the piece prints stands on a name.
TEST(NameWidthBesideLines, additionalLinesKeepClearOfTheNamesInTheLentRoom)
{
    LabelFormOnBook on(22);
    TLabelForm &form = on.form;
    chooseDetailedFrames(form);
    ASSERT_TRUE(form.Document().Detail);
    chooseFourLines(form, QStringLiteral("会員番号 ABC-12345"));
    TLayoutDocument &d = form.Document();
    d.SetReferenceDevice(TReferenceDevice::printer({600, 600}));
    TAddressText record = recordOf({"jointNames", 22, false});
    record.Tel = QStringLiteral("045-123-4567");
    record.EMail1 = QStringLiteral("nanami@example.jp");
    record.Keyword[0] = QStringLiteral("友人");
    MergeRecord(d, &record, nullptr);
    const TRecordAdditionLines lines(d);
    std::vector<QRectF> names;
    bool lent = false;
    for (size_t i = 0; i < d.Items.size(); ++i)
        if (const auto *name = dynamic_cast<const TNameRect *>(d.Items[i].get())) {
            for (const QRectF &b : PrintedTextBoxes(*name)) {
                names.push_back(b);
                lent = lent || b.top() < name->GetRect().Top;
            }
        }
    EXPECT_TRUE(lent) << "the names stand in their frame alone: the case tests nothing";
    int printed = 0;
    for (size_t i = 0; i < d.Items.size(); ++i) {
        const auto *line = dynamic_cast<const TAdditionRect *>(d.Items[i].get());
        const std::vector<int> &out = lines.LeftOut();
        if (!line || line->GetContent().isEmpty() || std::find(out.begin(), out.end(), int(i)) != out.end())
            continue;
        ++printed;
        for (const QRectF &t : PrintedTextBoxes(*line))
            for (const QRectF &n : names)
                EXPECT_FALSE(t.intersects(n)) << qPrintable(line->PrintedText()) << " stands on a name";
    }
    EXPECT_GT(printed + int(lines.LeftOut().size()), 0);
}

INSTANTIATE_TEST_SUITE_P(Labels, NameWidth,
                         ::testing::Values(WidthCase{"jointNames44Detailed", 22, false},
                                           WidthCase{"jointNames44TurnedDetailed", 23, false},
                                           WidthCase{"longDepartment12Detailed", 14, true},
                                           WidthCase{"longDepartment12TurnedDetailed", 15, true}),
                         rowName);

} // namespace
