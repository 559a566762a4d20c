#include "dialogs/LytPrt.h"
#include "platform/IniFile.h"
#include "support/DataFolders.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/Screenshot.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPageLayout>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {

class Rows : public TPrintRowSource
{
public:
    std::vector<qint32> recNos;
    std::set<int> selected;
    int RowCount() const override { return static_cast<int>(recNos.size()); }
    bool IsRowSelected(int Row) const override { return selected.count(Row) > 0; }
    qint32 RowRecNo(int Row) const override { return recNos.at(static_cast<std::size_t>(Row)); }
    int FirstSelected() const override { return selected.empty() ? -1 : *selected.begin(); }
};

class NoMarks : public TPrintMarkSource
{
public:
    std::optional<qint32> PrintTarget(qint32 RecNo) override { return RecNo % 2 == 0 ? 1 : 0; }
};

template <typename T> T *child(QWidget &w, const char *name)
{
    T *c = w.findChild<T *>(QLatin1String(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
}

void leave(QWidget *w)
{
    QFocusEvent out(QEvent::FocusOut);
    QApplication::sendEvent(w, &out);
}

class PrintWizard : public ::testing::Test
{
protected:
    QTemporaryDir home;
    ScopedDataFolders folders{home.path()};
    Rows rows;
    NoMarks marks;
    QPrinter printer{QPrinter::HighResolution};
    ScriptedMessageBoxes boxes;

    void SetUp() override
    {
        QDir().mkpath(DataRoot);
        printer.setOutputFormat(QPrinter::PdfFormat);
        rows.recNos = {21, 22, 23, 24, 25, 26};
        rows.selected = {1, 2, 4};
    }
    void store(const QString &section, const QString &key, int value)
    {
        TMemIniFile ini(SettingsFileName());
        ini.WriteInteger(section, key, value);
        ASSERT_TRUE(ini.UpdateFile());
    }
    std::unique_ptr<TLayoutPrintDialog> open(TLayoutKind kind, int itemsPerSheet = 1, bool useData = true)
    {
        auto d = std::make_unique<TLayoutPrintDialog>(nullptr, rows, marks, printer);
        d->SetUseAddressData(useData);
        d->SetLayoutKind(kind);
        d->SetItemsPerSheet(itemsPerSheet);
        d->SetContentRect({100, 100, 300, 400});
        d->Prepare();
        return d;
    }
};

TEST_F(PrintWizard, SheetCountOfTheExample)
{
    store(QStringLiteral("LABEL PRINT"), QStringLiteral("Range"), 1);
    store(QStringLiteral("LABEL PRINT"), QStringLiteral("LabelStart"), 9);
    store(QStringLiteral("LABEL PRINT"), QStringLiteral("LabelCount"), 2);
    auto d = open(TLayoutKind::lkLabel, 10);
    child<QLineEdit>(*d, "edCopy")->setText(QStringLiteral("2"));
    leave(child<QLineEdit>(*d, "edCopy"));
    EXPECT_EQ(child<QLabel>(*d, "lblDataNum")->text(), QStringLiteral("3 件"));
    EXPECT_EQ(child<QLabel>(*d, "lblCopy")->text(), QStringLiteral("4 枚"));
    EXPECT_EQ(printer.copyCount(), 2);
    saveScreenshot(d.get(), QStringLiteral("LayoutPrintDialogData"));
}

TEST_F(PrintWizard, ShownRecordWithoutSelectionBlocksNext)
{
    rows.selected.clear();
    auto d = open(TLayoutKind::lkPostcard);
    EXPECT_TRUE(child<QRadioButton>(*d, "rbViewData")->isChecked());
    EXPECT_EQ(child<QLabel>(*d, "lblDataNum")->text(), QStringLiteral("0 件"));
    child<QPushButton>(*d, "btnNext")->click();
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("印刷するデータがありません  "));
    EXPECT_EQ(d->CurrentPage(), 0);
}

TEST_F(PrintWizard, ShownRecordWithLimitOpensWithPrintAll)
{
    store(QStringLiteral("LAYOUT PRINT"), QStringLiteral("Range"), 0);
    store(QStringLiteral("LAYOUT PRINT"), QStringLiteral("Limit"), 2);
    auto d = open(TLayoutKind::lkEnvelope);
    EXPECT_TRUE(child<QRadioButton>(*d, "rbNone")->isChecked());
    EXPECT_EQ(d->PrintRecNos, (QList<qint32>{22}));
}

TEST_F(PrintWizard, StoredBoundsOpenInsideTheRows)
{
    store(QStringLiteral("CARD PRINT"), QStringLiteral("Range"), 2);
    store(QStringLiteral("CARD PRINT"), QStringLiteral("StartRange"), 0);
    store(QStringLiteral("CARD PRINT"), QStringLiteral("EndRange"), 3);
    auto d = open(TLayoutKind::lkCard);
    EXPECT_EQ(child<QLineEdit>(*d, "edStartRange")->text(), QStringLiteral("1"));
    EXPECT_EQ(d->PrintRecNos, (QList<qint32>{21, 22, 23}));
    // leaving the start above the row count takes the end along
    child<QLineEdit>(*d, "edStartRange")->setText(QStringLiteral("40"));
    leave(child<QLineEdit>(*d, "edStartRange"));
    EXPECT_EQ(child<QLineEdit>(*d, "edStartRange")->text(), QStringLiteral("6"));
    EXPECT_EQ(child<QLineEdit>(*d, "edEndRange")->text(), QStringLiteral("6"));
    EXPECT_EQ(d->PrintRecNos, (QList<qint32>{26}));
    child<QLineEdit>(*d, "edEndRange")->setText(QStringLiteral("x"));
    leave(child<QLineEdit>(*d, "edEndRange"));
    EXPECT_EQ(child<QLineEdit>(*d, "edEndRange")->text(), QStringLiteral("6"));
}

// The range's arrows, pressed as a person does: up takes the bound to the
// next row, down to the one before; the start pushes the end along.
TEST_F(PrintWizard, theRangeArrowsStepEachBoundTheWayTheyPoint)
{
    auto d = open(TLayoutKind::lkPostcard);
    QTest::mouseClick(child<QRadioButton>(*d, "rbRange"), Qt::LeftButton);
    auto *start = child<QLineEdit>(*d, "edStartRange");
    auto *end = child<QLineEdit>(*d, "edEndRange");
    ASSERT_EQ(start->text() + QLatin1Char('-') + end->text(), QStringLiteral("1-6"));
    ASSERT_TRUE(child<QRadioButton>(*d, "rbRange")->isChecked());
    const auto arrow = [&d](const char *Bound, const char *Way) {
        QWidget *upDown = child<QWidget>(*d, Bound);
        auto *button = upDown ? upDown->findChild<QToolButton *>(QLatin1String(Way)) : nullptr;
        ASSERT_NE(button, nullptr) << Bound << " " << Way;
        QTest::mouseClick(button, Qt::LeftButton);
    };
    arrow("udStartRange", "up");
    for (int i = 0; i < 4; ++i)
        arrow("udEndRange", "down");
    EXPECT_EQ(start->text() + QLatin1Char('-') + end->text(), QStringLiteral("2-2"));
    EXPECT_EQ(d->PrintRecNos, (QList<qint32>{22}));
    arrow("udStartRange", "up");
    EXPECT_EQ(start->text() + QLatin1Char('-') + end->text(), QStringLiteral("3-3"));
    arrow("udStartRange", "down");
    arrow("udEndRange", "up");
    EXPECT_EQ(start->text() + QLatin1Char('-') + end->text(), QStringLiteral("2-4"));
    EXPECT_EQ(child<QLabel>(*d, "lblDataNum")->text(), QStringLiteral("3 件"));
    EXPECT_EQ(d->PrintRecNos, (QList<qint32>{22, 23, 24}));
}

// A range printed over the whole list of an earlier run, the list since
// grown: the wizard opens on the list as it is now, not on the old rows.
TEST_F(PrintWizard, aRangeOfAnEarlierRunOpensOnTheWholeListOnceTheListGrew)
{
    {
        auto d = open(TLayoutKind::lkPostcard);
        QTest::mouseClick(child<QRadioButton>(*d, "rbRange"), Qt::LeftButton);
        EXPECT_EQ(child<QLabel>(*d, "lblDataNum")->text(), QStringLiteral("6 件"));
        child<QPushButton>(*d, "btnNext")->click();
        boxes.enqueue(IDYES);
        child<QPushButton>(*d, "btnPrint")->click();
        ASSERT_EQ(d->result(), QDialog::Accepted);
    }
    rows.recNos = {21, 22, 23, 24, 25, 26, 27, 28, 29};
    auto d = open(TLayoutKind::lkPostcard);
    EXPECT_TRUE(child<QRadioButton>(*d, "rbRange")->isChecked());
    EXPECT_EQ(child<QLineEdit>(*d, "edStartRange")->text(), QStringLiteral("1"));
    EXPECT_EQ(child<QLineEdit>(*d, "edEndRange")->text(), QStringLiteral("9"));
    EXPECT_EQ(child<QLabel>(*d, "lblDataNum")->text(), QStringLiteral("9 件"));
}

// The sheets a run takes follow the copies and the first cell as each digit
// is typed, not only once the field is left.
TEST_F(PrintWizard, theSheetCountFollowsEachDigitTyped)
{
    store(QStringLiteral("LABEL PRINT"), QStringLiteral("Range"), 3);
    auto d = open(TLayoutKind::lkLabel, 10);
    child<QPushButton>(*d, "btnNext")->click();
    EXPECT_EQ(child<QLabel>(*d, "lblCopy")->text(), QStringLiteral("1 枚"));
    auto *copies = child<QLineEdit>(*d, "edCopy");
    copies->selectAll();
    QTest::keyClicks(copies, QStringLiteral("12"));
    EXPECT_EQ(child<QLabel>(*d, "lblCopy")->text(), QStringLiteral("12 枚"));
    EXPECT_EQ(printer.copyCount(), 12);
    auto *start = child<QLineEdit>(*d, "edLabelStart");
    start->selectAll();
    QTest::keyClicks(start, QStringLiteral("7"));
    EXPECT_EQ(child<QLabel>(*d, "lblCopy")->text(), QStringLiteral("24 枚"));
    EXPECT_EQ(copies->text(), QStringLiteral("12"));
}

// Copies of a sheet run from a first cell: the wizard says where the second
// copy starts, once there is one.
TEST_F(PrintWizard, copiesFromAFirstCellSayWhereTheNextCopyStarts)
{
    store(QStringLiteral("LABEL PRINT"), QStringLiteral("Range"), 3);
    auto d = open(TLayoutKind::lkLabel, 10);
    child<QPushButton>(*d, "btnNext")->click();
    d->show();
    auto *note = child<QLabel>(*d, "lblCopyStart");
    EXPECT_FALSE(note->isVisible());
    auto *copies = child<QLineEdit>(*d, "edCopy");
    copies->selectAll();
    QTest::keyClicks(copies, QStringLiteral("2"));
    EXPECT_TRUE(note->isVisible());
    EXPECT_EQ(note->text(), QStringLiteral("※2部目以降も、新しい用紙の印刷開始位置から印刷します"));
}

TEST_F(PrintWizard, EmptyListOpensBoundsAtZero)
{
    rows.recNos.clear();
    rows.selected.clear();
    store(QStringLiteral("CARD PRINT"), QStringLiteral("Range"), 2);
    store(QStringLiteral("CARD PRINT"), QStringLiteral("StartRange"), 5);
    auto d = open(TLayoutKind::lkCard);
    EXPECT_EQ(child<QLineEdit>(*d, "edStartRange")->text(), QStringLiteral("0"));
    EXPECT_TRUE(d->PrintRecNos.isEmpty());
}

TEST_F(PrintWizard, MarkFilterAppliesToSelectedRows)
{
    auto d = open(TLayoutKind::lkPostcard);
    child<QRadioButton>(*d, "rbSelect")->setChecked(true);
    child<QRadioButton>(*d, "rbPrint")->setChecked(true);
    EXPECT_EQ(d->PrintRecNos, (QList<qint32>{22}));
}

// A mark filter over a table that cannot be read chose nothing: the user
// hears why, not that there is nothing to print; without a filter the marks
// are never asked for and the step goes on.
TEST_F(PrintWizard, UnreadableMarksAreReportedNotTakenForNoData)
{
    QTemporaryDir none;
    TTablePrintMarks unreadable(none.filePath(QStringLiteral("Adrs.DB")), QByteArray("key"));
    auto d = std::make_unique<TLayoutPrintDialog>(nullptr, rows, unreadable, printer);
    d->SetUseAddressData(true);
    d->SetLayoutKind(TLayoutKind::lkPostcard);
    d->SetItemsPerSheet(1);
    d->Prepare();
    child<QRadioButton>(*d, "rbAll")->setChecked(true);
    child<QRadioButton>(*d, "rbPrint")->setChecked(true);
    child<QPushButton>(*d, "btnNext")->click();
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.startsWith(QStringLiteral("印刷マークを読み込めませんでした"))) << qPrintable(boxes.last().text);
    EXPECT_GT(boxes.last().text.size(), QStringLiteral("印刷マークを読み込めませんでした  \n").size());
    EXPECT_EQ(d->CurrentPage(), 0);
    child<QRadioButton>(*d, "rbNone")->setChecked(true);
    child<QPushButton>(*d, "btnNext")->click();
    EXPECT_EQ(boxes.count(), 1);
    EXPECT_EQ(d->CurrentPage(), 1);
}

TEST_F(PrintWizard, FlapTextIsReadInTenths)
{
    auto d = open(TLayoutKind::lkEnvelope);
    auto *flap = child<QLineEdit>(*d, "edFlap");
    flap->setText(QStringLiteral("12.5"));
    leave(flap);
    EXPECT_EQ(d->GetFlap(), 125);
    EXPECT_EQ(flap->text(), QStringLiteral("12.5"));
    flap->setText(QStringLiteral("1.2.3"));
    leave(flap);
    EXPECT_EQ(d->GetFlap(), 125);
    EXPECT_EQ(flap->text(), QStringLiteral("12.5"));
    flap->setText(QStringLiteral("99"));
    leave(flap);
    EXPECT_EQ(flap->text(), QStringLiteral("50.0"));
}

TEST_F(PrintWizard, PrintAsksAndSavesOnlyOnYes)
{
    auto d = open(TLayoutKind::lkLabel);
    child<QRadioButton>(*d, "rbAll")->setChecked(true);
    child<QPushButton>(*d, "btnNext")->click();
    EXPECT_EQ(d->CurrentPage(), 1);
    saveScreenshot(d.get(), QStringLiteral("LayoutPrintDialogPrint"));
    boxes.enqueue(IDNO);
    child<QPushButton>(*d, "btnPrint")->click();
    EXPECT_EQ(boxes.last().text, QStringLiteral("ラベルレイアウトを印刷します  \nよろしいですか？"));
    EXPECT_EQ(d->result(), 0);
    EXPECT_EQ(TMemIniFile(SettingsFileName()).ReadInteger(QStringLiteral("LABEL PRINT"), QStringLiteral("Range"), -1), -1);
    boxes.enqueue(IDYES);
    child<QPushButton>(*d, "btnPrint")->click();
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_EQ(d->PrintRecNos.size(), 6);
    EXPECT_EQ(TMemIniFile(SettingsFileName()).ReadInteger(QStringLiteral("LABEL PRINT"), QStringLiteral("Range"), -1), 3);
}

TEST_F(PrintWizard, WithoutAddressDataRangeKeysAreNeverWritten)
{
    auto d = open(TLayoutKind::lkPostcard, 1, false);
    EXPECT_EQ(d->CurrentPage(), 1);
    EXPECT_TRUE(child<QPushButton>(*d, "btnBack")->isHidden());
    EXPECT_EQ(child<QLabel>(*d, "lblCopy")->text(), QStringLiteral("1 枚"));
    boxes.enqueue(IDYES);
    child<QPushButton>(*d, "btnPrint")->click();
    const TMemIniFile ini(SettingsFileName());
    EXPECT_FALSE(ini.ValueExists(QStringLiteral("LAYOUT PRINT"), QStringLiteral("Range")));
    EXPECT_TRUE(ini.ValueExists(QStringLiteral("LAYOUT PRINT"), QStringLiteral("OffsetX")));
}

TEST_F(PrintWizard, PrinterSetUpTakesTheCopiesAndIsReported)
{
    auto d = open(TLayoutKind::lkPostcard);
    d->RunPrinterSetup = [](QPrinter &p, QWidget *) {
        p.setCopyCount(3);
        return true;
    };
    child<QPushButton>(*d, "bbtnPrinters")->click();
    EXPECT_TRUE(d->PrinterChanged);
    EXPECT_EQ(d->GetCopies(), 3);
    EXPECT_EQ(child<QLabel>(*d, "lblCopy")->text(), QStringLiteral("3 枚"));
}

TEST_F(PrintWizard, ShiftOutsideThePageShowsTheWarning)
{
    auto d = open(TLayoutKind::lkPostcard);
    EXPECT_FALSE(d->RangeWarningShown());
    d->SetContentRect({-50, 10, 300, 400});
    EXPECT_TRUE(d->RangeWarningShown());
}

// The warning measures the content against the edges the printer cannot
// reach (its driver's minimum margins), not against the whole sheet: 20
// page pixels (5.3 mm) from the edge pass a printer that reaches to 3 mm
// and not one that stops at 6 mm.
struct MarginCase {
    const char *name;
    double marginMm;
    bool warns;
};

class PrinterMargins : public PrintWizard, public ::testing::WithParamInterface<MarginCase>
{
};

TEST_P(PrinterMargins, WarningUsesThePrintersUnprintableEdges)
{
    QPageLayout layout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(), QPageLayout::Millimeter);
    layout.setMinimumMargins(QMarginsF(GetParam().marginMm, GetParam().marginMm, GetParam().marginMm,
                                       GetParam().marginMm));
    printer.setFullPage(true);
    ASSERT_TRUE(printer.setPageLayout(layout));
    auto d = open(TLayoutKind::lkPostcard);
    d->SetContentRect({20, 20, 300, 400});
    EXPECT_EQ(d->RangeWarningShown(), GetParam().warns);
}

INSTANTIATE_TEST_SUITE_P(Edges, PrinterMargins,
                         ::testing::Values(MarginCase{"reachesTheContent", 3.0, false},
                                           MarginCase{"stopsShortOfIt", 6.0, true}),
                         [](const ::testing::TestParamInfo<MarginCase> &Info) { return std::string(Info.param.name); });

} // namespace

namespace {

// Japan Post reads the customer barcode only 10 mm and more inside the
// edges of the postcard or envelope: bars nearer are named on the print
// page, and printing asks first. The limit on both sides, and no bars.
struct BarsEdgeCase {
    const char *name;
    int tenthMm;
    bool warns;
};

class BarsNearEdge : public PrintWizard, public ::testing::WithParamInterface<BarsEdgeCase>
{
};

TEST_P(BarsNearEdge, printPageWarnsOnlyInsideTenMillimetres)
{
    auto d = open(TLayoutKind::lkPostcard);
    d->SetBarsFromEdge(GetParam().tenthMm);
    EXPECT_EQ(d->BarsWarningShown(), GetParam().warns);
    EXPECT_EQ(child<QLabel>(*d, "lblBarcodeInfo")->text(),
              QStringLiteral("※※ カスタマバーコードが郵便物の端から10mm以内にあります ※※"));
}

TEST_P(BarsNearEdge, printAsksFirstOnlyInsideTenMillimetres)
{
    auto d = open(TLayoutKind::lkPostcard);
    d->SetBarsFromEdge(GetParam().tenthMm);
    child<QPushButton>(*d, "btnNext")->click();
    boxes.enqueue(IDYES);
    boxes.enqueue(IDYES);
    child<QPushButton>(*d, "btnPrint")->click();
    EXPECT_EQ(d->result(), QDialog::Accepted);
    ASSERT_EQ(boxes.count(), GetParam().warns ? 2 : 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("宛名レイアウトを印刷します  \nよろしいですか？"));
}

INSTANTIATE_TEST_SUITE_P(Limits, BarsNearEdge,
                         ::testing::Values(BarsEdgeCase{"noBars", -1, false}, BarsEdgeCase{"onTheEdge", 0, true},
                                           BarsEdgeCase{"justInside", 99, true},
                                           BarsEdgeCase{"tenMillimetres", 100, false},
                                           BarsEdgeCase{"farInside", 135, false}),
                         [](const ::testing::TestParamInfo<BarsEdgeCase> &Info) { return std::string(Info.param.name); });

// The question names the distance and warns; No keeps the wizard open and
// asks nothing more, so nothing is printed; the settings stay unsaved.
TEST_F(PrintWizard, barsNearAnEdgeAskedNoKeepsTheWizardOpen)
{
    auto d = open(TLayoutKind::lkEnvelope);
    d->SetBarsFromEdge(76);
    child<QPushButton>(*d, "btnNext")->click();
    boxes.enqueue(IDNO);
    child<QPushButton>(*d, "btnPrint")->click();
    ASSERT_EQ(boxes.count(), 1);
    const TMessageBoxRequest &asked = boxes.last();
    EXPECT_EQ(asked.text, QStringLiteral("カスタマバーコードが郵便物の端から 7.6 mm の所に印刷されます  \n"
                                         "端から10mm以内のバーコードは日本郵便で読み取られない場合があります  \n\n"
                                         "このまま印刷しますか？  "));
    EXPECT_EQ(asked.flags & 0xF, unsigned(MB_YESNO));
    EXPECT_EQ(asked.flags & 0xF0, unsigned(MB_ICONWARNING));
    // Enter chooses No.
    EXPECT_EQ(ScriptedMessageBoxes::defaultAnswer(asked.flags), IDNO);
    EXPECT_NE(d->result(), QDialog::Accepted);
    EXPECT_EQ(d->CurrentPage(), 1);
    EXPECT_FALSE(TMemIniFile(SettingsFileName()).ValueExists(QStringLiteral("LAYOUT PRINT"), QStringLiteral("OffsetX")));
}

} // namespace
