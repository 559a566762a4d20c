#include "addressbook/AdrsListModel.h"
#include "addressbook/AdrsListView.h"
#include "addressbook/BookFixture.h"
#include "addressbook/ListColumns.h"
#include "addressbook/TableBook.h"
#include "core/Env.h"
#include "core/OwnFiles.h"
#include "core/PdfOutFile.h"
#include "core/QtJapanese.h"
#include "exchange/ListPrt.h"
#include "exchange/ListPrtText.h"
#include "platform/IniFile.h"
#include "platform/SafeFile.h"
#include "support/FailingDisk.h"
#include "support/FileHelpers.h"
#include "support/KeyInput.h"
#include "support/OrdinaryUser.h"
#include "support/OtherHandle.h"
#include "support/Screenshot.h"
#include "support/UnreadableNotices.h"
#include "util/SubUnit.h"

#include "exchange/ListPrtPreview.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QFontDatabase>
#include <QLocale>
#include <QPainter>
#include <QColorDialog>
#include <QTimer>
#include <QToolButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTest>
#include <QTreeWidget>

namespace {

class ListPrintWindowTest : public BookFixture
{
protected:
    void SetUp() override
    {
        BookFixture::SetUp();
        DMMurven19->CreateDatabase();
        DMMurven19->Connect();
        DMMurven19->CreateAdrsTable(QStringLiteral("Book1"));
        ASSERT_TRUE(DMMurven19->OpenAdrs());
        TTable &table = *DMMurven19->AdrsTable();
        table.BeginBatch();
        for (int i = 1; i <= 250; ++i)
            appendRecord(table, {{"CustomCode", Cp932::encode(QStringLiteral("C%1").arg(i, 4, 10, QLatin1Char('0')))}});
        table.EndBatch();
        saved = ListPrintOpener;
        RegisterListPrint();
    }
    void TearDown() override
    {
        delete window.data();
        ListPrintOpener = saved;
        BookFixture::TearDown();
    }
    TListPrint *open()
    {
        openList();
        QAction *command = action("actListPrint");
        EXPECT_NE(command, nullptr);
        EXPECT_TRUE(command->isEnabled());
        command->trigger();
        window = list->findChild<TListPrint *>();
        return window;
    }
    // Selects the source row of item and sets it at the end of the columns.
    static void setItem(TListPrint *w, int item)
    {
        for (int row = 0; row < w->lbxSrc->count(); ++row)
            if (w->lbxSrc->item(row)->data(Qt::UserRole).toInt() == item)
                w->lbxSrc->setCurrentRow(row);
        ASSERT_EQ(w->lbxSrc->currentItem()->data(Qt::UserRole).toInt(), item);
        w->lbxDest->setCurrentRow(w->lbxDest->count() - 1);
        w->bbtnSet->click();
    }
    TListPrintOpener saved;
    QPointer<TListPrint> window;
};

// A draw call as it reaches the paper, shifted back by offset.
struct TCall {
    TListDrawCall::TKind Kind;
    QRect Box;
    QString Text;
    int FontPixels;
    QRgb PenColor;
    int Pen;
    QRgb BrushColor;
    int Brush;
    friend bool operator==(const TCall &, const TCall &) = default;
};

TCall callOf(const TListDrawCall &call, QPoint offset)
{
    QRectF box = call.Rect;
    if (call.Kind == TListDrawCall::TKind::Line)
        box = QRectF(call.Line.p1(), call.Line.p2());
    else if (call.Kind == TListDrawCall::TKind::Path)
        box = call.Path.boundingRect();
    return {call.Kind,
            box.translated(-QPointF(offset)).toRect(),
            call.Text,
            call.Kind == TListDrawCall::TKind::Text ? call.Font.pixelSize() : 0,
            call.Pen.color().rgb(),
            static_cast<int>(call.Pen.style()),
            call.Brush.color().rgb(),
            static_cast<int>(call.Brush.style())};
}

// The main list's columns as the built-in layout takes them: the same items
// and alignments in the same order, none wider than its item's width.
::testing::AssertionResult listLayoutOf(const TListPrintColumns &columns, const std::vector<int> &shown)
{
    const TListPrintColumns full = ListLayoutColumns(shown);
    if (columns.size() != full.size())
        return ::testing::AssertionFailure() << columns.size() << " columns, not " << full.size();
    for (std::size_t i = 0; i < full.size(); ++i)
        if (columns[i].ItemNo != full[i].ItemNo || columns[i].ItemAlign != full[i].ItemAlign ||
            columns[i].ItemSize > full[i].ItemSize || columns[i].ItemSize < 1)
            return ::testing::AssertionFailure()
                   << "column " << i << ": item " << columns[i].ItemNo << " width " << columns[i].ItemSize;
    return ::testing::AssertionSuccess();
}

} // namespace

TEST_F(ListPrintWindowTest, theMainListCommandOpensOneWindow)
{
    TListPrint *first = open();
    ASSERT_NE(first, nullptr);
    action("actListPrint")->trigger();
    EXPECT_EQ(list->findChildren<TListPrint *>().size(), 1);
    // Every item stands in one of the two lists; the blank in the source list always.
    int blanks = 0;
    for (const TListPrintColumn &c : first->ColumnEditor().Columns())
        blanks += c.ItemNo == 0 ? 1 : 0;
    EXPECT_EQ(first->lbxSrc->count() + first->lbxDest->count() - 1 - blanks, 45);
}

// The date the list prints is shown the Japanese way under any system
// locale (a container's C locale showed "7 Dec 2026").
TEST_F(ListPrintWindowTest, theDateToPrintIsShownTheJapaneseWayUnderTheCLocale)
{
    const QLocale saved;
    QLocale::setDefault(QLocale::c());
    {
        const TQtJapanese japanese(QtTranslationsFolder());
        TListPrint *w = open();
        ASSERT_NE(w, nullptr);
        w->dtpViewDate->setDate(QDate(2026, 12, 7));
        EXPECT_EQ(w->dtpViewDate->text(), QStringLiteral("2026/12/07"));
    }
    QLocale::setDefault(saved);
}

TEST_F(ListPrintWindowTest, columnsAreAddedOnceMovedAndPrintWaitsForThem)
{
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    w->rbAll->setChecked(true);
    w->bbtnAllDelete->click();
    EXPECT_FALSE(w->btnPrint->isEnabled());
    EXPECT_FALSE(w->btnSave->isEnabled());
    for (int item : {3, 0, 0, 1})
        setItem(w, item);
    // 顧客コード has left the source list; the blank stays and stands twice.
    ASSERT_EQ(w->lbxDest->count(), 5);
    EXPECT_EQ(w->lbxSrc->count(), 43);
    EXPECT_EQ(w->CollectLayout().Columns.back().ItemNo, 1);
    w->lbxDest->setCurrentRow(3);
    EXPECT_FALSE(w->bbtnDown->isEnabled());
    w->bbtnUp->click();
    EXPECT_EQ(w->CollectLayout().Columns[2].ItemNo, 1);
    EXPECT_EQ(w->lbxDest->currentRow(), 2);
    EXPECT_TRUE(w->btnPrint->isEnabled());
}

TEST_F(ListPrintWindowTest, aRangeAndTheRowsPerPageGiveTheSheetCount)
{
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    w->rbRange->setChecked(true);
    w->edtRangeBegin->setValue(5);
    w->edtRangeEnd->setValue(20);
    EXPECT_EQ(w->DataCount(), 16);
    w->edtRangeBegin->setValue(30);
    EXPECT_EQ(w->edtRangeEnd->value(), 30);
    const int one = w->RecordsPerPage();
    w->cbxRows->setCurrentIndex(2);
    w->UpdatePageCapacity();
    EXPECT_LT(w->RecordsPerPage(), one);
    w->rbAll->setChecked(true);
    EXPECT_EQ(w->PageCount(), ListPageCount(250, w->RecordsPerPage()));
    EXPECT_EQ(w->lblPaperCount->text(), QStringLiteral("%1 枚").arg(w->PageCount()));
}

TEST_F(ListPrintWindowTest, typingARangeEndMovesTheBeginOnlyByTheNumberTyped)
{
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    w->ShowPage(3);
    w->rbRange->setChecked(true);
    w->edtRangeEnd->setValue(200);
    w->edtRangeBegin->setValue(50);
    // "100" typed over the end: its first digit is not the end the user means.
    w->edtRangeEnd->setFocus();
    w->edtRangeEnd->selectAll();
    QTest::keyClicks(w->edtRangeEnd, QStringLiteral("100"));
    QTest::keyClick(w->edtRangeEnd, Qt::Key_Return);
    EXPECT_EQ(w->edtRangeBegin->value(), 50);
    EXPECT_EQ(w->edtRangeEnd->value(), 100);
    EXPECT_EQ(w->DataCount(), 51);
    // A begin typed over the old one is taken whole.
    w->edtRangeBegin->setFocus();
    w->edtRangeBegin->selectAll();
    QTest::keyClicks(w->edtRangeBegin, QStringLiteral("70"));
    QTest::keyClick(w->edtRangeBegin, Qt::Key_Return);
    EXPECT_EQ(w->edtRangeBegin->value(), 70);
    EXPECT_EQ(w->edtRangeEnd->value(), 100);
}

TEST_F(ListPrintWindowTest, aSavedFontThisMachineLacksIsKeptUntilTheUserChoosesAnother)
{
    const QString lacking = QStringLiteral("ＭＳ ゴシック");
    {
        TMemIniFile ini(SettingsFileName());
        ini.WriteString(QStringLiteral("LIST PRINT LAYOUT"), QStringLiteral("FontName"), lacking);
        ASSERT_TRUE(ini.UpdateFile());
    }
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(w->lbxFontName->findItems(lacking, Qt::MatchExactly).isEmpty());
    ASSERT_TRUE(w->SaveSettings());
    auto saved = [] {
        const TMemIniFile ini(SettingsFileName());
        return ini.ReadString(QStringLiteral("LIST PRINT LAYOUT"), QStringLiteral("FontName"), {});
    };
    EXPECT_EQ(saved(), lacking) << "the stand-in face is not the user's choice";

    const int other = w->lbxFontName->currentRow() == 0 ? 1 : 0;
    w->lbxFontName->setCurrentRow(other);
    ASSERT_TRUE(w->SaveSettings());
    EXPECT_EQ(saved(), w->lbxFontName->item(other)->text());
}

TEST_F(ListPrintWindowTest, theFormatPageShowsASampleOfTheChosenFaceAndItsCharacterSet)
{
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    auto *sample = w->findChild<QLabel *>(QStringLiteral("pnlSample"));
    auto *charset = w->findChild<QLabel *>(QStringLiteral("pnlCharset"));
    ASSERT_TRUE(sample && charset);
    // A Japanese face and a Latin one, as the machine has them.
    int japanese = -1;
    int latin = -1;
    for (int row = 0; row < w->lbxFontName->count(); ++row) {
        const bool hasJapanese =
            QFontDatabase::writingSystems(w->lbxFontName->item(row)->text()).contains(QFontDatabase::Japanese);
        int &kind = hasJapanese ? japanese : latin;
        if (kind < 0)
            kind = row;
    }
    ASSERT_GE(japanese, 0);
    w->lbxFontName->setCurrentRow(japanese);
    EXPECT_EQ(sample->text(), QStringLiteral("ピルカノス2014"));
    EXPECT_EQ(charset->text(), QStringLiteral("日本語"));
    EXPECT_EQ(sample->font().family(), w->lbxFontName->item(japanese)->text());
    w->cbxFontSize->setCurrentIndex(23);
    w->chkBold->setChecked(true);
    EXPECT_EQ(sample->font().pointSize(), 30);
    EXPECT_TRUE(sample->font().bold());
    EXPECT_EQ(w->CollectLayout().Layout.FontCharset, 128);
    w->ShowPage(1);
    saveScreenshot(w, QStringLiteral("ListPrint-fontSample"));
    if (latin >= 0) {
        w->lbxFontName->setCurrentRow(latin);
        EXPECT_EQ(sample->text(), QStringLiteral("Pyx Corp."));
        EXPECT_EQ(charset->text(), QStringLiteral("欧文"));
        EXPECT_EQ(w->CollectLayout().Layout.FontCharset, 0);
    }
}

TEST_F(ListPrintWindowTest, aSavedRangeKeepsEachEndThatStillLiesInTheList)
{
    // Saved range, then what the window shows with 250 rows.
    const std::vector<std::pair<std::pair<int, int>, std::pair<int, int>>> cases{
        {{5, 300}, {5, 250}},  // the end beyond the list is cut to it; the begin stays
        {{260, 300}, {1, 250}}, // both beyond
        {{0, 20}, {1, 20}},     // no begin: the first row, the end stays
        {{30, 20}, {1, 20}},    // a begin above the end
        {{7, 40}, {7, 40}},
    };
    for (const auto &[saved, shown] : cases) {
        {
            TMemIniFile ini(SettingsFileName());
            ini.WriteInteger(QStringLiteral("LIST PRINT"), QStringLiteral("DataSelect"), 1);
            ini.WriteInteger(QStringLiteral("LIST PRINT"), QStringLiteral("BeginPos"), saved.first);
            ini.WriteInteger(QStringLiteral("LIST PRINT"), QStringLiteral("EndPos"), saved.second);
            ASSERT_TRUE(ini.UpdateFile());
        }
        TListPrint *w = open();
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->edtRangeBegin->value(), shown.first) << saved.first << ".." << saved.second;
        EXPECT_EQ(w->edtRangeEnd->value(), shown.second) << saved.first << ".." << saved.second;
        EXPECT_EQ(w->DataCount(), shown.second - shown.first + 1);
        delete window.data();
    }
}

TEST_F(ListPrintWindowTest, theSelectedRowsAreCountedAgainWhenTheMainListsSelectionChanges)
{
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    list->SelectRow(4, true, false);
    w->rbAll->setChecked(true);
    w->rbList->setChecked(true);
    ASSERT_EQ(w->DataCount(), 1);
    ASSERT_TRUE(w->btnPrint->isEnabled());

    selectRows({2, 7, 40});
    EXPECT_EQ(w->DataCount(), 3);
    EXPECT_EQ(w->lblDataCount->text(), QStringLiteral("3 件"));

    list->View()->clearSelection();
    EXPECT_EQ(w->DataCount(), 0);
    EXPECT_FALSE(w->btnPrint->isEnabled()) << "nothing would be printed";
}

TEST_F(ListPrintWindowTest, printingToPdfWritesTheCountedPagesAndKeepsTheSettings)
{
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    const QString pdf = DataPath + QStringLiteral("list.pdf");
    w->PrinterInfo().SelectPdf(pdf);
    w->rbAll->setChecked(true);
    w->bbtnAllDelete->click();
    for (int item : {1, 3})
        setItem(w, item);
    w->UpdatePageCapacity();
    const int pages = w->PageCount();
    ASSERT_GT(pages, 1);
    EXPECT_TRUE(w->PrintList());
    const QString text = QString::fromLatin1(fileBytes(pdf));
    EXPECT_EQ(text.count(QRegularExpression(QStringLiteral("/Type\\s*/Page(?!s)"))), pages);
    const TMemIniFile ini(SettingsFileName());
    EXPECT_EQ(ini.ReadString(QStringLiteral("LIST PRINT LAYOUT"), QStringLiteral("ItemNo"), {}), QStringLiteral("1,3"));
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("LIST PRINT"), QStringLiteral("DataSelect"), -1), 2);
    EXPECT_TRUE(QFile::exists(DataRoot + QStringLiteral("LstPrint.pi")));
}

// A box the run shows when it failed waits for the user as long as they
// like: the book is not held for reading meanwhile, so another program
// saving while it is up is not refused.
TEST_F(ListPrintWindowTest, aFailedRunsBoxLetsAnotherProgramSaveWhileItIsUp)
{
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    w->PrinterInfo().SelectPdf(DataPath + QStringLiteral("failed.pdf"));
    w->rbAll->setChecked(true);
    w->bbtnAllDelete->click();
    setItem(w, 1);
    OtherHandle handle(*DMMurven19->AdrsTable());
    TTable &other = handle.table;
    struct SavingBoxes : TMessageBoxSink {
        TTable *Other = nullptr;
        QStringList Texts;
        QString Refused;
        TMessageBoxSink *Previous = SetMessageBoxSink(this);
        ~SavingBoxes() override { SetMessageBoxSink(Previous); }
        int answer(const TMessageBoxRequest &Request) override
        {
            Texts << Request.text;
            try {
                if (Other->FindKey({QVariant(1)})) {
                    Other->Edit();
                    Other->FieldByName(QStringLiteral("Adrs2")).SetAsString(QStringLiteral("saved meanwhile"));
                    Other->Post();
                }
            } catch (const ETableError &e) {
                Refused = e.Message();
                Other->Cancel();
            }
            return IDOK;
        }
    } sink;
    sink.Other = &other;
    SafeFile::setFailureHook([](SafeFile::Step Step) { return Step == SafeFile::Step::RenameTemporary; });
    const bool printed = w->PrintList();
    SafeFile::setFailureHook({});
    EXPECT_FALSE(printed);
    ASSERT_EQ(sink.Texts.size(), 1);
    EXPECT_TRUE(sink.Texts.first().startsWith(QStringLiteral("PDFファイルを保存できませんでした"))) << qPrintable(sink.Texts.first());
    EXPECT_EQ(sink.Refused, QString()) << "the save made while the box was up was refused";
    TTable &mine = *DMMurven19->AdrsTable();
    ASSERT_TRUE(mine.FindKey({QVariant(1)}));
    EXPECT_EQ(mine.FieldByName(QStringLiteral("Adrs2")).AsString(), QStringLiteral("saved meanwhile"));
}

TEST_F(ListPrintWindowTest, aPageTooSmallForOneRecordRefusesToPrint)
{
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    w->PrinterInfo().SelectPdf(DataPath + QStringLiteral("none.pdf"));
    w->PrinterInfo().Printer().setPageSize(QPageSize(QPageSize::A7));
    w->rbAll->setChecked(true);
    setItem(w, 3);
    w->cbxFontSize->setCurrentIndex(23);
    w->cbxRows->setCurrentIndex(2);
    w->edtOffsetY->setText(QStringLiteral("50"));
    emit w->edtOffsetY->editingFinished();
    EXPECT_EQ(w->edtOffsetY->text(), QStringLiteral("50.0"));
    EXPECT_FALSE(w->PrintList());
    EXPECT_LE(w->RecordsPerPage(), 0);
    EXPECT_FALSE(QFile::exists(DataPath + QStringLiteral("none.pdf")));
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, ListPrintNoRoomMessage);
}

TEST_F(ListPrintWindowTest, selectedRowsAreTakenInListOrderAndARangeIsCutToTheList)
{
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    selectRows({2, 7, 40});
    w->rbAll->setChecked(true);
    w->rbList->setChecked(true);
    EXPECT_EQ(w->DataCount(), 3);
    const std::vector<qint32> selected = TakeListPrintRecords(*list, 0, 0, 0);
    EXPECT_EQ(selected, (std::vector<qint32>{list->GetRowRecNo(2), list->GetRowRecNo(7), list->GetRowRecNo(40)}));
    EXPECT_EQ(TakeListPrintRecords(*list, 1, 249, 300).size(), 2U);
    EXPECT_TRUE(TakeListPrintRecords(*list, 1, 0, 0).empty());
    EXPECT_EQ(TakeListPrintRecords(*list, 2, 0, 0).size(), 250U);
}

// ---- Column details ----------------------------------------------------------

TEST_F(ListPrintWindowTest, widthAndAlignmentFollowTheSelectedColumnAndTheEndRowHasNone)
{
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    w->bbtnAllDelete->click();
    setItem(w, 19);
    setItem(w, 11);
    w->lbxDest->setCurrentRow(1);
    EXPECT_EQ(w->edtSize->value(), 50);
    w->edtSize->setValue(33);
    w->cbxAlign->setCurrentIndex(2);
    emit w->cbxAlign->activated(2);
    EXPECT_EQ(w->CollectLayout().Columns[1], (TListPrintColumn{11, 33, 2}));
    EXPECT_EQ(w->CollectLayout().Columns[0], (TListPrintColumn{19, 14, 0}));
    w->lbxDest->setCurrentRow(2); // the end row
    EXPECT_FALSE(w->edtSize->isEnabled());
    EXPECT_EQ(w->edtSize->value(), 0);
    EXPECT_FALSE(w->cbxAlign->isEnabled());
}

TEST_F(ListPrintWindowTest, deletingTheLastColumnDisablesTheCommandsAndFocusesTheSourceList)
{
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    w->rbAll->setChecked(true);
    w->bbtnAllDelete->click();
    setItem(w, 4);
    EXPECT_TRUE(w->btnPrint->isEnabled());
    w->activateWindow();
    w->lbxDest->setCurrentRow(1); // the end row deletes the last column
    w->bbtnDelete->click();
    EXPECT_TRUE(w->ColumnEditor().Columns().empty());
    for (QPushButton *b : {w->bbtnDelete, w->bbtnAllDelete, w->btnSave, w->btnPrint, w->btnTemplateSave})
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
    EXPECT_EQ(w->lbxSrc->count(), 45);
}

TEST_F(ListPrintWindowTest, printingWithoutColumnsAsksForThem)
{
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    w->bbtnAllDelete->click();
    w->btnPrint->setEnabled(true); // as if the button were pressed by its key
    w->btnPrint->click();
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("印刷する項目をセットしてください  "));
}

// ---- Lines and colours ---------------------------------------------------------

TEST_F(ListPrintWindowTest, ruleButtonsTakeTheSelectedLineTypeIntoTheLayout)
{
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    w->ShowPage(2);
    w->dgLineType->setCurrentRow(3);
    w->sbtnLine[7]->click(); // 外枠
    TListPrintLayout l = w->CollectLayout().Layout;
    EXPECT_EQ(l.Lines, (std::array<bool, 6>{true, false, true, true, false, true}));
    EXPECT_EQ(l.LineTypes[0], 3);
    EXPECT_TRUE(w->sbtnLine[5]->isChecked());
    w->dgLineType->setCurrentRow(0);
    w->sbtnLine[0]->click(); // on with another type: stays on, solid now
    l = w->CollectLayout().Layout;
    EXPECT_TRUE(l.Lines[0]);
    EXPECT_EQ(l.LineTypes[0], 0);
    EXPECT_TRUE(w->sbtnLine[0]->isChecked());
    w->sbtnLine[6]->click(); // なし
    EXPECT_FALSE(w->sbtnLine[0]->isChecked());
    EXPECT_EQ(w->CollectLayout().Layout.Lines, (std::array<bool, 6>{}));
}

TEST_F(ListPrintWindowTest, thickerBottomRuleIsCountedInTheCapacity)
{
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    w->rbAll->setChecked(true);
    w->cbxFontSize->setCurrentIndex(0);
    const int before = w->RecordsPerPage();
    // Many rows a page: a much thicker bottom rule must cost room somewhere in
    // the page, never ink below it; the capacity is recomputed on the click.
    w->dgLineType->setCurrentRow(2);
    w->sbtnLine[2]->click();
    const TListPrintJob job = w->CollectLayout();
    EXPECT_EQ(w->RecordsPerPage(), ListPageCapacity(job, MeasureListPage(job.Layout, w->PrinterInfo())));
    EXPECT_LE(w->RecordsPerPage(), before);
}

TEST_F(ListPrintWindowTest, headerColourGoesThroughTheColourDialogAndKeepsCustomColoursInBgrOrder)
{
    {
        TMemIniFile ini(DataRoot + QStringLiteral("CstmClr.ini"));
        ini.WriteString(QStringLiteral("COMMON"), QStringLiteral("2"), QStringLiteral("0000FF")); // red
        ASSERT_TRUE(ini.UpdateFile());
    }
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    w->ShowPage(2);
    QColor custom2;
    QTimer::singleShot(0, w, [&] {
        auto *picker = w->findChild<QColorDialog *>(QStringLiteral("ColorDialog"));
        ASSERT_NE(picker, nullptr);
        custom2 = QColorDialog::customColor(2);
        QColorDialog::setCustomColor(7, QColor(0x12, 0x34, 0x56));
        picker->setCurrentColor(QColor(10, 20, 30));
        picker->accept();
    });
    QTest::mouseClick(w->bbtnHeaderColor, Qt::LeftButton);
    EXPECT_EQ(custom2, QColor(255, 0, 0));
    const TListPrintLayout l = w->CollectLayout().Layout;
    EXPECT_TRUE(l.HeaderColorExists);
    EXPECT_EQ(l.HeaderColor, 10U | (20U << 8) | (30U << 16));
    EXPECT_TRUE(w->pnlHeaderColor->text().isEmpty());
    const TMemIniFile ini(DataRoot + QStringLiteral("CstmClr.ini"));
    EXPECT_EQ(ini.ReadSection(QStringLiteral("COMMON")).size(), 16);
    EXPECT_EQ(ini.ReadString(QStringLiteral("COMMON"), QStringLiteral("2"), QString()), QStringLiteral("0000FF"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("COMMON"), QStringLiteral("7"), QString()), QStringLiteral("563412"));

    w->bbtnClearHeaderColor->click();
    EXPECT_FALSE(w->CollectLayout().Layout.HeaderColorExists);
    EXPECT_EQ(w->pnlHeaderColor->text(), QStringLiteral("なし"));
}

TEST_F(ListPrintWindowTest, aCancelledColourDialogChangesNeitherColoursNorTheFile)
{
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    QTimer::singleShot(0, w, [&] {
        auto *picker = w->findChild<QColorDialog *>(QStringLiteral("ColorDialog"));
        ASSERT_NE(picker, nullptr);
        picker->reject();
    });
    QTest::mouseClick(w->bbtnDataColor, Qt::LeftButton);
    EXPECT_TRUE(w->CollectLayout().Layout.Colors.empty());
    EXPECT_FALSE(QFile::exists(DataRoot + QStringLiteral("CstmClr.ini")));
}

TEST_F(ListPrintWindowTest, dataColoursInsertAfterTheSelectionAndSwapWhenDragged)
{
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    w->ShowPage(2);
    TColor next = 1;
    w->ChooseColor = [&](QWidget *, const QColor &) -> std::optional<QColor> { return ColorToQColor(next++); };
    for (int i = 0; i < 3; ++i)
        w->bbtnDataColor->click();
    w->lbxColor->setCurrentRow(0);
    w->bbtnDataColor->click(); // after the first row
    EXPECT_EQ(w->CollectLayout().Layout.Colors, (std::vector<TColor>{1, 4, 2, 3}));
    EXPECT_EQ(w->lbxColor->currentRow(), 1);

    // Colour 1 dragged onto colour 3.
    w->show();
    QWidget *viewport = w->lbxColor->viewport();
    const QPoint from = w->lbxColor->visualItemRect(w->lbxColor->item(0)).center();
    const QPoint to = w->lbxColor->visualItemRect(w->lbxColor->item(2)).center();
    QTest::mousePress(viewport, Qt::LeftButton, {}, from);
    QTest::mouseMove(viewport, from + QPoint(0, QApplication::startDragDistance() + 1));
    QTest::mouseMove(viewport, to);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, to);
    EXPECT_EQ(w->CollectLayout().Layout.Colors, (std::vector<TColor>{2, 4, 1, 3}));

    for (int i = 0; i < 10; ++i)
        w->bbtnDataColor->click();
    EXPECT_EQ(w->CollectLayout().Layout.Colors.size(), 10U);
}

// ---- Templates -----------------------------------------------------------------

TEST_F(ListPrintWindowTest, firstUseAppliesTheMainListsColumns)
{
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->cbxTemplateType->currentText(), QStringLiteral("カスタム"));
    EXPECT_EQ(w->cbxTemplateName->currentText(), QStringLiteral("アドレス帳一覧のレイアウト"));
    std::vector<int> shown;
    for (int i = 0; i < list->GetColumnCount(); ++i)
        shown.push_back(list->GetColumnDefIndex(i));
    EXPECT_TRUE(listLayoutOf(w->ColumnEditor().Columns(), shown));
    EXPECT_FALSE(w->ColumnEditor().Columns().empty());
    EXPECT_FALSE(w->btnTemplateDelete->isEnabled());
}

TEST_F(ListPrintWindowTest, savedColumnsComeBackAsThePreviousLayout)
{
    {
        TMemIniFile ini(SettingsFileName());
        TListPrintSettings settings;
        settings.Columns = {DefaultListPrintColumn(1), DefaultListPrintColumn(3)};
        SaveListPrintLayout(ini, settings);
        ASSERT_TRUE(ini.UpdateFile());
    }
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    ASSERT_GE(w->CustomTemplates().size(), 2U);
    EXPECT_EQ(w->CustomTemplates()[0].Name, QStringLiteral("前回のレイアウト"));
    EXPECT_EQ(w->CustomTemplates()[1].Name, QStringLiteral("アドレス帳一覧のレイアウト"));
    EXPECT_EQ(w->cbxTemplateName->currentText(), QStringLiteral("前回のレイアウト"));
    EXPECT_EQ(w->ColumnEditor().Columns(), (TListPrintColumns{DefaultListPrintColumn(1), DefaultListPrintColumn(3)}));
}

TEST_F(ListPrintWindowTest, aTemplateIsSavedTrimmedAndReservedOrTakenNamesAreRefused)
{
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    w->bbtnAllDelete->click();
    setItem(w, 19);
    w->cbxTemplateName->setEditText(QStringLiteral("  名簿  "));
    w->btnTemplateSave->click();
    EXPECT_EQ(boxes.count(), 0);
    TListPrintTemplates stored;
    ASSERT_EQ(ReadTemplateFile(DataPath + QStringLiteral("LPCustom.tpl"), stored), TTemplateRead::Read);
    ASSERT_EQ(stored.size(), 1U);
    EXPECT_EQ(stored[0], (TListPrintTemplate{QStringLiteral("名簿"), {DefaultListPrintColumn(19)}}));
    EXPECT_EQ(w->cbxTemplateName->currentText(), QStringLiteral("名簿"));
    EXPECT_TRUE(w->btnTemplateDelete->isEnabled());

    // The applied template is overwritten without a question.
    setItem(w, 4);
    w->btnTemplateSave->click();
    EXPECT_EQ(boxes.count(), 0);
    stored.clear();
    ASSERT_EQ(ReadTemplateFile(DataPath + QStringLiteral("LPCustom.tpl"), stored), TTemplateRead::Read);
    EXPECT_EQ(stored.at(0).Columns.size(), 2U);

    w->cbxTemplateName->setEditText(QStringLiteral("アドレス帳一覧のレイアウト"));
    w->btnTemplateSave->click();
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text,
              QStringLiteral("その名称はアプリケーションで使われています  \r\n別の名称で保存してください  "));

    // Another template's name, while the list layout is applied.
    w->cbxTemplateName->setCurrentIndex(0);
    emit w->cbxTemplateName->activated(0);
    w->cbxTemplateName->setEditText(QStringLiteral("名簿"));
    w->btnTemplateSave->click();
    ASSERT_EQ(boxes.count(), 2);
    EXPECT_EQ(boxes.last().text,
              QStringLiteral("同じ名称のカスタムテンプレートが保存されています  \r\n別の名称で保存してください  "));

    w->cbxTemplateName->setEditText(QStringLiteral("   "));
    w->btnTemplateSave->click();
    EXPECT_EQ(boxes.last().text, QStringLiteral("保存するにはテンプレート名をつけてください  "));
}

TEST_F(ListPrintWindowTest, templatesSetAsideByAKilledSaveComeBackAndSurviveTheNextSave)
{
    const QString file = DataPath + QStringLiteral("LPCustom.tpl");
    writeBytes(file, TemplateFileBytes({{QStringLiteral("得意先"), {DefaultListPrintColumn(3)}}}));
    // The save was killed between its two renames: the old file is aside, the new one not yet in place.
    ASSERT_TRUE(QFile::rename(file, SafeReplaceBackupPath(file)));
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    w->bbtnAllDelete->click();
    setItem(w, 19);
    w->cbxTemplateName->setEditText(QStringLiteral("名簿"));
    w->btnTemplateSave->click();
    EXPECT_EQ(boxes.count(), 0);
    TListPrintTemplates stored;
    ASSERT_EQ(ReadTemplateFile(file, stored), TTemplateRead::Read);
    ASSERT_EQ(stored.size(), 2U);
    EXPECT_EQ(stored[0].Name, QStringLiteral("得意先"));
    EXPECT_EQ(stored[1].Name, QStringLiteral("名簿"));
}

TEST_F(ListPrintWindowTest, aDamagedCustomTemplateFileIsKeptAsideAndNamedNotOverwritten)
{
    // A byte that is no Shift-JIS character: the user's templates cannot be read.
    const QByteArray damaged = TemplateFileBytes({{QStringLiteral("得意先"), {DefaultListPrintColumn(3)}}}) + "\x81\x20";
    const QString file = DataPath + QStringLiteral("LPCustom.tpl");
    writeBytes(file, damaged);
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(boxes.count(), 1);
    QString copy;
    ASSERT_TRUE(keptAsideAndNamed(file, damaged, boxes.last().text, &copy));

    w->bbtnAllDelete->click();
    setItem(w, 19);
    w->cbxTemplateName->setEditText(QStringLiteral("名簿"));
    w->btnTemplateSave->click();
    EXPECT_EQ(boxes.count(), 1);
    EXPECT_EQ(fileBytes(copy), damaged) << "the copy is never written";
    TListPrintTemplates stored;
    ASSERT_EQ(ReadTemplateFile(file, stored), TTemplateRead::Read);
    ASSERT_EQ(stored.size(), 1U);
    EXPECT_EQ(stored[0].Name, QStringLiteral("名簿"));
}

TEST_F(ListPrintWindowTest, aDamagedCustomTemplateFileThatCannotBeMovedIsNeverWrittenOver)
{
    const QByteArray damaged = QByteArrayLiteral("[A]\r\nItemNo=3\r\nItemSize=20\r\nItemAlign=0\r\n\x81\x20");
    const QString file = DataPath + QStringLiteral("LPCustom.tpl");
    writeBytes(file, damaged);
    RefusedMovesAside refused;
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(boxes.count(), 1);
    w->bbtnAllDelete->click();
    setItem(w, 19);
    w->cbxTemplateName->setEditText(QStringLiteral("名簿"));
    w->btnTemplateSave->click();
    ASSERT_EQ(boxes.count(), 2);
    EXPECT_TRUE(boxes.last().text.contains(QStringLiteral("テンプレートを保存できませんでした")));
    EXPECT_EQ(fileBytes(file), damaged);
}

TEST_F(ListPrintWindowTest, templatesTheWindowCouldNotTakeWholeAreKeptAsideBeforeTheFileIsRewritten)
{
    // B's lists disagree; C names a width no column can have; both are left
    // out of the window, not out of the user's file.
    const QByteArray file = TemplateFileBytes({{QStringLiteral("A"), {DefaultListPrintColumn(3)}}}) +
                            "[B]\r\nItemNo=1,19\r\nItemSize=4\r\nItemAlign=0,0\r\n\r\n"
                            "[C]\r\nItemNo=1,19\r\nItemSize=4,1000\r\nItemAlign=0,0\r\n\r\n";
    const QString path = DataPath + QStringLiteral("LPCustom.tpl");
    writeBytes(path, file);
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    // B and C follow the last template the program summed: another hand
    // wrote them, so the window names them when it opens and keeps the file
    // as it was before anything can be written over it.
    ASSERT_EQ(boxes.count(), 1);
    const QStringList damagedCopies =
        QDir(DataPath).entryList({QStringLiteral("LPCustom.tpl.damaged-*")}, QDir::Files);
    ASSERT_EQ(damagedCopies.size(), 1);
    EXPECT_EQ(fileBytes(DataPath + damagedCopies[0]), file);
    EXPECT_TRUE(boxes.last().text.contains(damagedCopies[0])) << qPrintable(boxes.last().text);
    ASSERT_EQ(w->CustomTemplates().back().Name, QStringLiteral("C"));

    w->bbtnAllDelete->click();
    setItem(w, 19);
    w->cbxTemplateName->setEditText(QStringLiteral("名簿"));
    w->btnTemplateSave->click();
    // The copy kept when the window opened still holds B and C as they were.
    EXPECT_EQ(boxes.count(), 1);
    EXPECT_EQ(fileBytes(DataPath + damagedCopies[0]), file);
    TListPrintTemplates stored;
    ASSERT_EQ(ReadTemplateFile(path, stored), TTemplateRead::Read);
    ASSERT_EQ(stored.size(), 3U);
    EXPECT_EQ(stored[0].Name, QStringLiteral("A"));
    EXPECT_EQ(stored[2].Name, QStringLiteral("名簿"));

    // The file now holds what the window holds: the next save keeps no copy.
    w->btnTemplateSave->click();
    EXPECT_EQ(boxes.count(), 1);
    EXPECT_EQ(QDir(DataPath).entryList({QStringLiteral("LPCustom.tpl.damaged-*")}, QDir::Files).size(), 1);
    EXPECT_TRUE(keptAsideCopies(path).isEmpty());
}

TEST_F(ListPrintWindowTest, aTemplateNameReadsBackAsTheBoxShowedIt)
{
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    w->bbtnAllDelete->click();
    setItem(w, 19);
    w->cbxTemplateName->setFocus();
    w->cbxTemplateName->lineEdit()->selectAll();
    // 𠮷 and the emoji have no Shift-JIS form; ① and ～ have.
    TypeCharacters(w->cbxTemplateName->lineEdit(), QStringLiteral("吉𠮷田①～😀名簿"));
    const QString shown = w->cbxTemplateName->currentText();
    EXPECT_EQ(shown, QStringLiteral("吉田①～名簿"));
    w->btnTemplateSave->click();
    TListPrintTemplates stored;
    ASSERT_EQ(ReadTemplateFile(DataPath + QStringLiteral("LPCustom.tpl"), stored), TTemplateRead::Read);
    ASSERT_EQ(stored.size(), 1U);
    EXPECT_EQ(stored[0].Name, shown);
    EXPECT_EQ(stored[0].Name, w->CustomTemplates().back().Name);
}

TEST_F(ListPrintWindowTest, aTitleKeepsItsIdeographicSpacesWhenPrintedAndReadBack)
{
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    // Half-width blanks around it go; the full-width ones belong to the title.
    w->edtTitle->setText(QStringLiteral(" 　会員名簿　 "));
    EXPECT_EQ(w->CollectLayout().Layout.Title, QStringLiteral("　会員名簿　"));
    ASSERT_TRUE(w->SaveSettings());
    delete window.data();
    TListPrint *again = open();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->edtTitle->text(), QStringLiteral("　会員名簿　"));
    EXPECT_EQ(again->CollectLayout().Layout.Title, QStringLiteral("　会員名簿　"));
}

TEST_F(ListPrintWindowTest, aTitleReadsBackAsTheFieldShowedIt)
{
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    w->edtTitle->setFocus();
    // 120 full-width characters: 240 bytes of Shift-JIS.
    TypeCharacters(w->edtTitle, QString(120, QChar(0x540D)));
    TypeCharacters(w->edtTitle, QStringLiteral("𠮷"));
    const QString shown = w->edtTitle->text();
    EXPECT_EQ(shown, QString(100, QChar(0x540D))) << "what does not fit is refused as it is typed";
    ASSERT_TRUE(w->SaveSettings());
    w->close();
    delete window.data();
    TListPrint *again = open();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->edtTitle->text(), shown);
    EXPECT_EQ(again->CollectLayout().Layout.Title, shown);
}

TEST_F(ListPrintWindowTest, deletingATemplateAsksAndAppliesTheFirstCustomTemplate)
{
    writeBytes(DataPath + QStringLiteral("LPCustom.tpl"),
               TemplateFileBytes({{QStringLiteral("A"), {DefaultListPrintColumn(3)}},
                                  {QStringLiteral("B"), {DefaultListPrintColumn(4)}}}));
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    w->cbxTemplateName->setCurrentIndex(2);
    emit w->cbxTemplateName->activated(2);
    ASSERT_EQ(w->ColumnEditor().Columns(), (TListPrintColumns{DefaultListPrintColumn(4)}));
    boxes.enqueue(IDNO);
    w->btnTemplateDelete->click();
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("「B」  \r\n\r\nこのテンプレートを削除してもよろしいですか？  "));
    EXPECT_EQ(w->CustomTemplates().size(), 3U);
    boxes.enqueue(IDYES);
    w->btnTemplateDelete->click();
    EXPECT_EQ(w->CustomTemplates().size(), 2U);
    TListPrintTemplates stored;
    ASSERT_EQ(ReadTemplateFile(DataPath + QStringLiteral("LPCustom.tpl"), stored), TTemplateRead::Read);
    EXPECT_EQ(stored, (TListPrintTemplates{{QStringLiteral("A"), {DefaultListPrintColumn(3)}}}));
    EXPECT_EQ(w->cbxTemplateName->currentText(), QStringLiteral("アドレス帳一覧のレイアウト"));
    EXPECT_EQ(w->ColumnEditor().Columns(), w->CustomTemplates()[0].Columns);

    // A built-in's name typed while a user template is applied.
    w->cbxTemplateName->setCurrentIndex(1);
    emit w->cbxTemplateName->activated(1);
    w->cbxTemplateName->setEditText(QStringLiteral("アドレス帳一覧のレイアウト"));
    w->btnTemplateDelete->click();
    EXPECT_EQ(boxes.last().text, QStringLiteral("その名称はアプリケーションで使われているため  \r\n削除できません  "));
}

TEST_F(ListPrintWindowTest, choosingTheAppliedTemplateAgainKeepsTheEditedColumns)
{
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    setItem(w, 0);
    const TListPrintColumns edited = w->ColumnEditor().Columns();
    emit w->cbxTemplateName->activated(w->cbxTemplateName->currentIndex());
    EXPECT_EQ(w->ColumnEditor().Columns(), edited);
}

// ---- Preview and commands ------------------------------------------------------

TEST_F(ListPrintWindowTest, previewButtonOpensAndClosesThePreview)
{
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    w->PrinterInfo().SelectPdf(DataPath + QStringLiteral("p.pdf"));
    w->rbAll->setChecked(true);
    w->btnPreview->click();
    TListPrintPreview *preview = w->Preview();
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(w->btnPreview->text(), QStringLiteral("プレビューを閉じる"));
    EXPECT_EQ(preview->PreviewPageNo(), 1);
    EXPECT_EQ(preview->PreviewPageCount(), w->PageCount());
    EXPECT_FALSE(preview->sbtnFirst->isEnabled());
    EXPECT_TRUE(preview->sbtnLast->isEnabled());
    // The page is painted: text and rules show as dark pixels on the paper.
    const QImage shown = preview->pnlImage->grab().toImage();
    EXPECT_FALSE(saveScreenshot(preview->grab().toImage(), QStringLiteral("ListPrtPreview")).isEmpty());
    int dark = 0;
    for (int y = 2; y < shown.height() - 2; ++y)
        for (int x = 2; x < shown.width() - 2; ++x)
            dark += qGray(shown.pixel(x, y)) < 192 ? 1 : 0;
    EXPECT_GT(dark, 100);
    preview->sbtnLast->click();
    EXPECT_EQ(preview->PreviewPageNo(), w->PageCount());
    EXPECT_FALSE(preview->sbtnNext->isEnabled());
    // A change in the window renders page 1 again.
    w->cbxRows->setCurrentIndex(2);
    EXPECT_EQ(preview->PreviewPageNo(), 1);
    EXPECT_EQ(preview->PreviewPageCount(), w->PageCount());
    w->btnPreview->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(w->Preview(), nullptr);
    EXPECT_EQ(w->btnPreview->text(), QStringLiteral("プレビューを開く"));
}

// The preview page and the printed page send the same calls to their
// devices, the preview's shifted by the printable area's offset and framed.
TEST_F(ListPrintWindowTest, previewAndPrintMakeTheSameDrawCalls)
{
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    TListPrinterInfo &printer = w->PrinterInfo();
    printer.SelectPdf(DataPath + QStringLiteral("same.pdf"));
    printer.Printer().setResolution(150);
    w->rbAll->setChecked(true);
    w->edtTitle->setText(QStringLiteral("会員名簿"));
    w->dgLineType->setCurrentRow(1);
    w->sbtnLine[7]->click();
    w->sbtnLine[8]->click();
    w->ChooseColor = [](QWidget *, const QColor &) -> std::optional<QColor> { return QColor(200, 220, 240); };
    w->bbtnDataColor->click();
    w->bbtnHeaderColor->click();
    w->UpdatePageCapacity();
    w->btnPreview->click();
    TListPrintPreview *preview = w->Preview();
    ASSERT_NE(preview, nullptr);
    ASSERT_GE(preview->PreviewPageCount(), 2);
    preview->ShowPreviewPage(2);

    TListDisplayList printDevice(printer.PrintableSize(), printer.DpiX(), printer.DpiY());
    std::vector<std::size_t> pageStarts{0};
    {
        const TListPrintJob job = w->CollectLayout();
        QPainter p(&printDevice);
        const TListPrintResult result = PaintListJob(
            p,
            [&] {
                pageStarts.push_back(printDevice.Calls().size());
                return true;
            },
            job, MeasureListPage(job.Layout, printer), w->RecordsPerPage(), w->TakeRecords(),
            [&](qint32 recNo) { return w->FetchRow(job, recNo); });
        ASSERT_TRUE(result.Error.isEmpty());
    }
    pageStarts.push_back(printDevice.Calls().size());
    ASSERT_GE(pageStarts.size(), 3U);
    // The second printed page.
    std::vector<TCall> printed;
    for (std::size_t i = pageStarts[1]; i < pageStarts[2]; ++i)
        printed.push_back(callOf(printDevice.Calls()[i], {}));
    std::vector<TCall> previewed;
    for (const TListDrawCall &call : preview->PreviewPage().Calls())
        previewed.push_back(callOf(call, preview->PrintableRect().topLeft()));
    ASSERT_FALSE(previewed.empty());
    // The first call of the preview is its dotted frame of the printable area.
    EXPECT_EQ(previewed.front().Box.translated(preview->PrintableRect().topLeft()),
              preview->PrintableRect().adjusted(0, 0, -1, -1));
    EXPECT_EQ(previewed.front().Pen, static_cast<int>(Qt::DotLine));
    previewed.erase(previewed.begin());
    ASSERT_EQ(previewed.size(), printed.size());
    for (std::size_t i = 0; i < previewed.size(); ++i)
        ASSERT_EQ(previewed[i], printed[i]) << "call " << i << " kind " << static_cast<int>(previewed[i].Kind)
                                            << " text " << previewed[i].Text.toStdString();
}

TEST_F(ListPrintWindowTest, printCommandAsksFirstAndReportsTheEnd)
{
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    const QString pdf = DataPath + QStringLiteral("asked.pdf");
    w->PrinterInfo().SelectPdf(pdf);
    w->rbAll->setChecked(true);
    w->bbtnAllDelete->click();
    for (int item : {1, 3})
        setItem(w, item);
    boxes.enqueue(IDNO);
    w->btnPrint->click();
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("アドレス帳の一覧表を印刷します  \r\nよろしいですか？  "));
    EXPECT_FALSE(QFile::exists(pdf));
    boxes.enqueue(IDYES);
    w->btnPrint->click();
    ASSERT_EQ(boxes.count(), 3);
    EXPECT_EQ(boxes.last().text, QStringLiteral("一覧表の印刷が完了しました  "));
    EXPECT_TRUE(QFile::exists(pdf));
}

// The main list's first columns at their items' full widths are wider than
// an A4 sheet: the column cut at the edge and those left out are named
// apart before anything is printed and in the preview, and a layout that
// fits names none.
TEST_F(ListPrintWindowTest, columnsPastTheSheetAreNamedBeforePrintingAndInThePreview)
{
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    const QString pdf = DataPath + QStringLiteral("cut.pdf");
    w->PrinterInfo().SelectPdf(pdf);
    w->PrinterInfo().Printer().setPageSize(QPageSize(QPageSize::A4));
    w->PrinterInfo().Printer().setPageOrientation(QPageLayout::Portrait);
    w->rbAll->setChecked(true);
    w->bbtnAllDelete->click();
    for (int item : {1, 2, 4, 5, 11, 15, 19, 29})
        setItem(w, item);
    const std::vector<TListPrintItem> items = MakeListPrintItems(KeywordNames);
    const QString company = items[15].Caption;
    const QString name = items[19].Caption;
    const QString keyword = items[29].Caption;
    const QString address = items[11].Caption;

    boxes.enqueue(IDNO);
    w->btnPrint->click();
    ASSERT_EQ(boxes.count(), 1);
    const QString warning = boxes.last().text;
    EXPECT_TRUE(warning.contains(QStringLiteral("途中で切れる列：") + company + QStringLiteral("  \r\n")))
        << warning.toStdString();
    EXPECT_TRUE(warning.contains(QStringLiteral("印刷されない列：") + name + QStringLiteral("、") + keyword +
                                 QStringLiteral("  \r\n")))
        << warning.toStdString();
    EXPECT_FALSE(warning.contains(address)) << "a column that fits is not named";
    EXPECT_FALSE(QFile::exists(pdf)) << "refused: nothing printed";

    w->btnPreview->click();
    ASSERT_NE(w->Preview(), nullptr);
    const QString shown = w->Preview()->lblCutColumns->text();
    EXPECT_TRUE(shown.contains(QStringLiteral("途中で切れる列：") + company)) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QStringLiteral("印刷されない列：") + name + QStringLiteral("、") + keyword))
        << shown.toStdString();
    EXPECT_FALSE(saveScreenshot(w->Preview()->grab().toImage(), QStringLiteral("ListPrtPreviewCutColumns")).isEmpty());

    // Accepted, the print goes on to its usual question.
    boxes.clear();
    boxes.enqueue(IDYES);
    boxes.enqueue(IDNO);
    w->btnPrint->click();
    ASSERT_EQ(boxes.count(), 2);
    EXPECT_EQ(boxes.last().text, QStringLiteral("アドレス帳の一覧表を印刷します  \r\nよろしいですか？  "));

    // Columns that fit: no warning, and the preview names nothing.
    w->bbtnAllDelete->click();
    for (int item : {1, 19, 29})
        setItem(w, item);
    EXPECT_TRUE(w->Preview()->lblCutColumns->text().isEmpty());
    boxes.clear();
    boxes.enqueue(IDNO);
    w->btnPrint->click();
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("アドレス帳の一覧表を印刷します  \r\nよろしいですか？  "));
}

TEST_F(ListPrintWindowTest, copiesMultiplyTheSheetCount)
{
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    w->rbAll->setChecked(true);
    ASSERT_GT(w->PageCount(), 1);
    w->edtCopies->setValue(3);
    EXPECT_EQ(w->lblPaperCount->text(), QStringLiteral("%1 枚").arg(3 * w->PageCount()));
    w->edtCopies->setValue(150);
    EXPECT_EQ(w->edtCopies->value(), 100);
    EXPECT_EQ(w->CollectLayout().Layout.Copies, 100);
}

// 150 typed into 印刷部数 stays 150 while it is typed, and leaving the box
// tells the range and gives back the copies in force, not a silent 15.
TEST_F(ListPrintWindowTest, copiesTypedAboveTheMaximumAreTypedWholeAndTheRangeIsTold)
{
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    w->ShowPage(3);
    w->edtCopies->setValue(2);
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    w->edtCopies->setFocus();
    w->edtCopies->selectAll();
    QTest::keyClicks(w->edtCopies, QStringLiteral("150"));
    EXPECT_EQ(w->edtCopies->text(), QStringLiteral("150"));
    const int shown = boxes.count();
    QTest::keyClick(w->edtCopies, Qt::Key_Return);
    ASSERT_EQ(boxes.count(), shown + 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("印刷部数は 1 ～ 100 部で指定してください  "));
    EXPECT_EQ(w->edtCopies->value(), 2);
    EXPECT_EQ(w->edtCopies->text(), QStringLiteral("2"));
    EXPECT_EQ(w->CollectLayout().Layout.Copies, 2);
    // The maximum itself is taken without a word.
    w->edtCopies->selectAll();
    QTest::keyClicks(w->edtCopies, QStringLiteral("100"));
    QTest::keyClick(w->edtCopies, Qt::Key_Return);
    EXPECT_EQ(boxes.count(), shown + 1);
    EXPECT_EQ(w->edtCopies->value(), 100);
}

// 用紙枚数 follows the copies as each digit is typed, before the box is
// left; a number beyond the range shows the copies in force.
TEST_F(ListPrintWindowTest, theSheetCountFollowsEachDigitOfTheCopiesTyped)
{
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    w->rbAll->setChecked(true);
    const int pages = w->PageCount();
    ASSERT_GT(pages, 1);
    w->ShowPage(3);
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    w->edtCopies->setFocus();
    w->edtCopies->selectAll();
    QTest::keyClicks(w->edtCopies, QStringLiteral("3"));
    EXPECT_EQ(w->lblPaperCount->text(), QStringLiteral("%1 枚").arg(3 * pages));
    QTest::keyClicks(w->edtCopies, QStringLiteral("5"));
    EXPECT_EQ(w->lblPaperCount->text(), QStringLiteral("%1 枚").arg(35 * pages));
    QTest::keyClicks(w->edtCopies, QStringLiteral("0"));
    EXPECT_EQ(w->edtCopies->text(), QStringLiteral("350"));
    EXPECT_EQ(w->lblPaperCount->text(), QStringLiteral("%1 枚").arg(w->edtCopies->value() * pages));
}

TEST_F(ListPrintWindowTest, pageButtonsShowTheirPageAndFocusItsFirstControl)
{
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    w->show();
    w->activateWindow();
    const std::array<QToolButton *, 4> buttons{w->sbtnContents, w->sbtnFormat, w->sbtnLines, w->sbtnRange};
    const std::array<QWidget *, 4> first{w->lbxSrc, w->lbxFontName, w->dgLineType, w->rbAll};
    w->rbAll->setChecked(true);
    for (int page : {1, 2, 3, 0}) {
        buttons[static_cast<std::size_t>(page)]->click();
        EXPECT_EQ(w->pgcPages->currentIndex(), page);
        EXPECT_TRUE(buttons[static_cast<std::size_t>(page)]->isChecked());
        EXPECT_EQ(w->focusWidget(), first[static_cast<std::size_t>(page)]) << page;
        EXPECT_FALSE(saveScreenshot(w->grab().toImage(), QStringLiteral("ListPrtPage%1").arg(page)).isEmpty());
    }
    buttons[0]->click(); // the shown page's button stays pressed
    EXPECT_TRUE(buttons[0]->isChecked());
}

TEST_F(ListPrintWindowTest, anItemDroppedOnAChosenRowIsSetBeforeIt)
{
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    w->bbtnAllDelete->click();
    setItem(w, 19);
    setItem(w, 11);
    w->resize(900, 700);
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    int row = -1;
    for (int r = 0; r < w->lbxSrc->count(); ++r)
        if (w->lbxSrc->item(r)->data(Qt::UserRole).toInt() == 4)
            row = r;
    ASSERT_GE(row, 0);
    w->lbxSrc->scrollToItem(w->lbxSrc->item(row));
    QWidget *source = w->lbxSrc->viewport();
    const QPoint from = w->lbxSrc->visualItemRect(w->lbxSrc->item(row)).center();
    const QPoint onto = w->lbxDest->viewport()->mapTo(source->window(),
                                                      w->lbxDest->visualItemRect(w->lbxDest->item(1)).center());
    const QPoint to = source->mapFrom(source->window(), onto);
    QTest::mousePress(source, Qt::LeftButton, {}, from);
    QTest::mouseMove(source, from + QPoint(QApplication::startDragDistance() + 2, 0));
    QTest::mouseMove(source, to);
    QTest::mouseRelease(source, Qt::LeftButton, {}, to);
    EXPECT_EQ(w->ColumnEditor().Columns(),
              (TListPrintColumns{DefaultListPrintColumn(19), DefaultListPrintColumn(4), DefaultListPrintColumn(11)}));
}

TEST_F(ListPrintWindowTest, theMainListsKeywordNamesRenameTheKeywordColumns)
{
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    w->bbtnAllDelete->click();
    setItem(w, 31);
    w->lbxDest->setCurrentRow(0);
    w->edtSize->setValue(12);
    const QString before = KeywordNames[3];
    KeywordNames[3] = QStringLiteral("趣味");
    NotifyRowWindows("UpdateKeywordNames");
    KeywordNames[3] = before;
    EXPECT_EQ(w->lbxDest->item(0)->text(), QStringLiteral("趣味"));
    EXPECT_EQ(w->CollectLayout().Columns[0], (TListPrintColumn{31, 12, 0}));
}

TEST_F(ListPrintWindowTest, newMainListColumnsReachTheAppliedListLayoutButNotAUserTemplate)
{
    writeBytes(DataPath + QStringLiteral("LPCustom.tpl"),
               TemplateFileBytes({{QStringLiteral("A"), {DefaultListPrintColumn(3)}}}));
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(w->cbxTemplateName->currentText(), QStringLiteral("アドレス帳一覧のレイアウト"));
    const std::size_t before = w->ColumnEditor().Columns().size();
    // Every column of the main list shown.
    for (TColumnRecord &record : list->Model()->ColumnRecords())
        record.Shown = true;
    list->RefreshList(true, false, true);
    NotifyRowWindows("UpdateListLayoutTemplate");
    std::vector<int> shown;
    for (int i = 0; i < list->GetColumnCount(); ++i)
        shown.push_back(list->GetColumnDefIndex(i));
    EXPECT_GT(w->ColumnEditor().Columns().size(), before);
    EXPECT_TRUE(listLayoutOf(w->ColumnEditor().Columns(), shown));

    w->cbxTemplateName->setCurrentIndex(1);
    emit w->cbxTemplateName->activated(1);
    for (TColumnRecord &record : list->Model()->ColumnRecords())
        record.Shown = record.DefIndex < 3;
    list->RefreshList(true, false, true);
    NotifyRowWindows("UpdateListLayoutTemplate");
    EXPECT_EQ(w->ColumnEditor().Columns(), (TListPrintColumns{DefaultListPrintColumn(3)}));
    shown.clear();
    for (int i = 0; i < list->GetColumnCount(); ++i)
        shown.push_back(list->GetColumnDefIndex(i));
    EXPECT_TRUE(listLayoutOf(w->CustomTemplates()[0].Columns, shown));
}

TEST_F(ListPrintWindowTest, savingOverAnOriginalTemplatesNameWritesOnlyTheUsersFile)
{
    const QString kept = AppPath;
    AppPath = home.programFolder() + QLatin1Char('/');
    QDir().mkpath(AppPath + QStringLiteral("Common"));
    const QString original = AppPath + QStringLiteral("Common/LstPrint.tpl");
    const QByteArray bytes = TemplateFileBytes({{QStringLiteral("名簿"), {DefaultListPrintColumn(1)}}});
    writeBytes(original, bytes);
    TListPrint *w = open();
    AppPath = kept;
    ASSERT_NE(w, nullptr);
    w->cbxTemplateType->setCurrentIndex(0);
    emit w->cbxTemplateType->activated(0);
    setItem(w, 19);
    w->btnTemplateSave->click();
    EXPECT_EQ(boxes.count(), 0);
    EXPECT_EQ(fileBytes(original), bytes);
    TListPrintTemplates stored;
    ASSERT_EQ(ReadTemplateFile(DataPath + QStringLiteral("LPCustom.tpl"), stored), TTemplateRead::Read);
    EXPECT_EQ(stored, (TListPrintTemplates{{QStringLiteral("名簿"), {DefaultListPrintColumn(1), DefaultListPrintColumn(19)}}}));
    EXPECT_EQ(w->StandardTemplates().front().Columns, TListPrintColumns{DefaultListPrintColumn(1)});
}

TEST_F(ListPrintWindowTest, aDamagedOriginalTemplateFileIsOnlyLeftUnread)
{
    const QString kept = AppPath;
    AppPath = home.programFolder() + QLatin1Char('/');
    QDir().mkpath(AppPath + QStringLiteral("Common"));
    const QString original = AppPath + QStringLiteral("Common/LstPrint.tpl");
    const QByteArray damaged = QByteArrayLiteral("[A]\r\nItemNo=1\r\n\x81\x20");
    writeBytes(original, damaged);
    TListPrint *w = open();
    AppPath = kept;
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->StandardTemplates().empty());
    EXPECT_EQ(boxes.count(), 0);
    EXPECT_EQ(fileBytes(original), damaged) << "the program's own file is never moved";
}

TEST_F(ListPrintWindowTest, theOriginalTemplatesComeFromTheProgramsCommonFolder)
{
    const QString kept = AppPath;
    AppPath = home.programFolder() + QLatin1Char('/');
    QDir().mkpath(AppPath + QStringLiteral("Common"));
    writeBytes(AppPath + QStringLiteral("Common/LstPrint.tpl"),
               TemplateFileBytes({{QStringLiteral("名簿"), {DefaultListPrintColumn(1), DefaultListPrintColumn(19)}},
                                  {QStringLiteral("電話帳"), {DefaultListPrintColumn(19), DefaultListPrintColumn(4)}}}));
    TListPrint *w = open();
    AppPath = kept;
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(w->StandardTemplates().size(), 2U);
    w->cbxTemplateType->setCurrentIndex(0);
    emit w->cbxTemplateType->activated(0);
    EXPECT_EQ(w->cbxTemplateName->currentText(), QStringLiteral("名簿"));
    EXPECT_EQ(w->ColumnEditor().Columns(), (TListPrintColumns{DefaultListPrintColumn(1), DefaultListPrintColumn(19)}));
    EXPECT_FALSE(w->btnTemplateDelete->isEnabled());
    w->cbxTemplateName->setCurrentIndex(1);
    emit w->cbxTemplateName->activated(1);
    EXPECT_EQ(w->ColumnEditor().Columns(), (TListPrintColumns{DefaultListPrintColumn(19), DefaultListPrintColumn(4)}));
    // The program's file is only read.
    EXPECT_EQ(fileBytes(home.programFolder() + QStringLiteral("/Common/LstPrint.tpl")),
              TemplateFileBytes({{QStringLiteral("名簿"), {DefaultListPrintColumn(1), DefaultListPrintColumn(19)}},
                                 {QStringLiteral("電話帳"), {DefaultListPrintColumn(19), DefaultListPrintColumn(4)}}}));
}

TEST_F(ListPrintWindowTest, previewZoomSizesThePaperAndIsKeptForTheNextPreview)
{
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    w->PrinterInfo().SelectPdf(DataPath + QStringLiteral("z.pdf"));
    w->btnPreview->click();
    TListPrintPreview *preview = w->Preview();
    ASSERT_NE(preview, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(preview));
    const QSize paper = w->PrinterInfo().GetPaperSize();
    preview->cbxZoom->setCurrentIndex(7); // 50%
    emit preview->cbxZoom->activated(7);
    EXPECT_EQ(preview->pnlImage->size(), QSize((paper.width() + 1) / 2, (paper.height() + 1) / 2));
    EXPECT_EQ(preview->lblZoom->text(), QStringLiteral("  表示： 50%"));
    preview->SetZoom(5); // 100%
    EXPECT_EQ(preview->pnlImage->size(), paper);
    // Centred in the view, but never nearer its edge than 20: taller than
    // the view, the page begins 20 below its top.
    const int viewWidth = preview->sbxPreview->viewport()->width();
    EXPECT_EQ(preview->pnlImage->pos(),
              QPoint(std::max(20, static_cast<int>(RoundHalfAway((viewWidth - paper.width()) / 2.0))), 20));
    preview->close();
    QCoreApplication::processEvents();
    const TMemIniFile ini(SettingsFileName());
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("LIST PRINT PREVIEW"), QStringLiteral("Zoom"), -1), 5);
    w->btnPreview->click();
    ASSERT_NE(w->Preview(), nullptr);
    EXPECT_EQ(w->Preview()->cbxZoom->currentIndex(), 5);
    EXPECT_EQ(w->Preview()->PreviewPageNo(), 1);
}

namespace {

int pdfPages(const QString &file)
{
    return static_cast<int>(QString::fromLatin1(fileBytes(file)).count(QRegularExpression(QStringLiteral("/Type\\s*/Page(?!s)"))));
}

} // namespace

TEST_F(ListPrintWindowTest, aPdfTargetWithoutAFileAsksForOneOnceAndTheNextWindowKeepsIt)
{
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    w->PrinterInfo().SelectPdf(QString()); // as on a machine without printers, before any file was named
    w->rbAll->setChecked(true);
    const QString chosen = DataPath + QStringLiteral("chosen.pdf");
    QStringList asked;
    w->ChoosePdfFile = [&](QWidget *, const QString &suggested) {
        asked << suggested;
        return chosen;
    };
    ASSERT_TRUE(w->PrintList());
    ASSERT_EQ(asked.size(), 1);
    EXPECT_TRUE(asked.front().endsWith(QStringLiteral("一覧表データ.pdf")));
    EXPECT_EQ(pdfPages(chosen), w->PageCount());
    EXPECT_TRUE(QFile::remove(chosen));
    ASSERT_TRUE(w->PrintList());
    EXPECT_EQ(asked.size(), 1) << "the file named once is used again";
    EXPECT_TRUE(QFile::exists(chosen));
    EXPECT_TRUE(QFile::remove(chosen));

    delete window.data();
    w = open();
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(w->PrinterInfo().IsPdf());
    EXPECT_EQ(w->PrinterInfo().Printer().outputFileName(), chosen);
    w->ChoosePdfFile = [&](QWidget *, const QString &suggested) {
        asked << suggested;
        return QString();
    };
    w->rbAll->setChecked(true);
    ASSERT_TRUE(w->PrintList());
    EXPECT_EQ(asked.size(), 1);
    EXPECT_TRUE(QFile::exists(chosen));
}

TEST_F(ListPrintWindowTest, aCancelledPdfFileDialogPrintsNothingAndSaysNothing)
{
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    w->PrinterInfo().SelectPdf(QString());
    w->rbAll->setChecked(true);
    int asked = 0;
    w->ChoosePdfFile = [&](QWidget *, const QString &) {
        ++asked;
        return QString();
    };
    const int shown = boxes.count();
    EXPECT_FALSE(w->PrintList());
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(boxes.count(), shown) << "no failure to report: the user chose not to print";
    EXPECT_TRUE(w->PrinterInfo().NeedsOutputFile());
    EXPECT_FALSE(QFile::exists(DataRoot + QStringLiteral("LstPrint.pi")));
}

TEST_F(ListPrintWindowTest, theEarlierPrinterFilesOutputFileOutlivesItsConversion)
{
    const QString earlier = DataPath + QStringLiteral("earlier.pdf");
    writeBytes(DataRoot + QStringLiteral("LstPrint.pi"),
               "[PRINTER INFO]\r\nDevice=PDF\r\nPaper=A4\r\nOrientation=1\r\nCopies=1\r\nOutputFile=" +
                   earlier.toUtf8() + "\r\n");
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    setItem(w, 3);
    w->btnSave->click();
    ASSERT_TRUE(fileBytes(DataRoot + QStringLiteral("LstPrint.pi")).startsWith("MVPI"));
    EXPECT_EQ(TMemIniFile(SettingsFileName()).ReadString(QStringLiteral("LIST PRINT"), QStringLiteral("OutputFile"), {}),
              earlier);

    delete window.data();
    w = open();
    ASSERT_NE(w, nullptr);
    int asked = 0;
    w->ChoosePdfFile = [&](QWidget *, const QString &) {
        ++asked;
        return QString();
    };
    w->rbAll->setChecked(true);
    ASSERT_TRUE(w->PrintList());
    EXPECT_EQ(asked, 0);
    EXPECT_GT(pdfPages(earlier), 0);
}

TEST_F(ListPrintWindowTest, aPdfHoldsEveryCopyTheSheetCountShows)
{
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    const QString pdf = DataPath + QStringLiteral("copies.pdf");
    w->PrinterInfo().SelectPdf(pdf);
    w->rbAll->setChecked(true);
    w->edtCopies->setValue(3);
    const int pages = w->PageCount();
    ASSERT_GT(pages, 1);
    ASSERT_EQ(w->lblPaperCount->text(), QStringLiteral("%1 枚").arg(3 * pages));
    ASSERT_TRUE(w->PrintList());
    EXPECT_EQ(pdfPages(pdf), 3 * pages);
}

// A PDF the user set read-only, named in the file dialog of a PDF target:
// refused at once with its cause while the dialog stays for another name,
// never first offered for replacing.
TEST_F(ListPrintWindowTest, aReadOnlyPdfIsRefusedAsItIsNamedNotOfferedForReplacing)
{
    const QString target = DataPath + QStringLiteral("readonly.pdf");
    writeBytes(target, "%PDF-1.4 the earlier list");
    ASSERT_TRUE(QFile::setPermissions(target, QFile::ReadOwner | QFile::ReadOther));
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    w->PrinterInfo().SelectPdf(QString());
    w->rbAll->setChecked(true);
    const ScopedOrdinaryUser user;
    ASSERT_TRUE(user.Bound());
    bool named = false;
    bool replaceOffered = false;
    bool closed = false;
    std::function<void()> answer = [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *question = qobject_cast<QMessageBox *>(modal)) {
            replaceOffered = true;
            question->reject();
        } else if (auto *dialog = qobject_cast<QFileDialog *>(modal)) {
            if (named) {
                closed = true;
                dialog->reject();
                return;
            }
            auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            ASSERT_NE(name, nullptr);
            name->setText(target);
            named = true;
            QTest::keyClick(name, Qt::Key_Return);
        }
        QTimer::singleShot(10, answer);
    };
    QTimer::singleShot(0, answer);
    const int shown = boxes.count();
    EXPECT_FALSE(w->PrintList());
    EXPECT_TRUE(closed);
    EXPECT_FALSE(replaceOffered) << "the read-only file was offered for replacing";
    ASSERT_EQ(boxes.count(), shown + 1);
    EXPECT_TRUE(boxes.last().text.contains(QStringLiteral("ファイルが読み取り専用のため、書き込めません。")))
        << boxes.last().text.toStdString();
    EXPECT_EQ(fileBytes(target), QByteArray("%PDF-1.4 the earlier list"));
}

namespace {

// The program's own files, as the list print might be pointed at them.
struct OwnFileCase {
    const char *name;
    QString (*path)();
};
void PrintTo(const OwnFileCase &c, std::ostream *os) { *os << c.name; }

class ListPrintOwnFile : public ListPrintWindowTest, public ::testing::WithParamInterface<OwnFileCase> {};

TEST_P(ListPrintOwnFile, isRefusedWithTheExportsMessageAndLeftAsItWas)
{
    const QString target = GetParam().path();
    if (!QFileInfo::exists(target)) {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(target).absolutePath()));
        writeBytes(target, "the program's own");
    }
    const QByteArray before = fileBytes(target);
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    w->PrinterInfo().SelectPdf(QString());
    w->rbAll->setChecked(true);
    // The user names the program's file, then cancels when asked again.
    QStringList offered;
    w->ChoosePdfFile = [&](QWidget *, const QString &Suggested) {
        offered << Suggested;
        return offered.size() == 1 ? target : QString();
    };
    const int shown = boxes.count();
    EXPECT_FALSE(w->PrintList());
    ASSERT_EQ(boxes.count(), shown + 1);
    EXPECT_EQ(boxes.last().text, PdfTargetRefusal(target));
    EXPECT_TRUE(sameBytes(before, fileBytes(target)));
    // Asked again, the dialog offers the file it offered, not the refused one.
    ASSERT_EQ(offered.size(), 2);
    EXPECT_EQ(offered.last(), offered.first());
    EXPECT_NE(offered.last(), target);
    EXPECT_TRUE(offered.last().endsWith(QStringLiteral(".pdf"))) << qPrintable(offered.last());
}

// Named in the printer dialog of the 設定 button, the program's file is
// refused too, the dialog asks again on the file printed to last, and the
// file is not kept for the next print.
TEST_P(ListPrintOwnFile, aFileNamedInThePrinterDialogIsRefusedAndNotKept)
{
    const QString target = GetParam().path();
    if (!QFileInfo::exists(target)) {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(target).absolutePath()));
        writeBytes(target, "the program's own");
    }
    const QByteArray before = fileBytes(target);
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    const QString good = QDir(home.root()).filePath(QStringLiteral("一覧.pdf"));
    w->PrinterInfo().SelectPdf(good);
    QStringList offered;
    w->ExecPrinterDialog = [&](QPrinter &Chosen) {
        offered << Chosen.outputFileName();
        if (offered.size() > 1)
            return false;
        Chosen.setOutputFormat(QPrinter::PdfFormat);
        Chosen.setOutputFileName(target);
        return true;
    };
    const int shown = boxes.count();
    QTest::mouseClick(w->bbtnPrinter, Qt::LeftButton);
    ASSERT_EQ(boxes.count(), shown + 1);
    EXPECT_EQ(boxes.last().text, PdfTargetRefusal(target));
    ASSERT_EQ(offered.size(), 2);
    EXPECT_EQ(offered.last(), good);
    EXPECT_EQ(w->PrinterInfo().Printer().outputFileName(), good);
    EXPECT_TRUE(sameBytes(before, fileBytes(target)));
}

INSTANTIATE_TEST_SUITE_P(
    Files, ListPrintOwnFile,
    ::testing::Values(OwnFileCase{"settingsFile", [] { return SettingsFileName(); }},
                      OwnFileCase{"senderTable", [] { return OtherPath + QStringLiteral("Sender.DB"); }},
                      OwnFileCase{"openBookTable", [] { return DMMurven19->AdrsTable()->TableName(); }},
                      OwnFileCase{"settingsLink",
                                  [] {
                                      const QString link =
                                          QDir::cleanPath(DataRoot + QStringLiteral("../settings-link.pdf"));
                                      if (!QFileInfo(link).isSymLink())
                                          (void)QFile::link(SettingsFileName(), link);
                                      return link;
                                  }},
                      // A PDF the user set read-only.
                      OwnFileCase{"readOnlyPdf",
                                  [] {
                                      const QString file =
                                          QDir::cleanPath(DataRoot + QStringLiteral("../読み取り専用.pdf"));
                                      if (!QFileInfo::exists(file)) {
                                          writeBytes(file, "the program's own");
                                          QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::ReadGroup |
                                                                          QFileDevice::ReadOther);
                                      }
                                      return file;
                                  }}),
    [](const auto &info) { return std::string(info.param.name); });

// A list printed to a PDF file, then another list: the second run asks for
// its file (offering the first), and the first list stays when the user
// does not agree to replace it.
TEST_F(ListPrintWindowTest, aSecondPrintToTheSamePdfAsksAgainAndCancellingKeepsTheFirstList)
{
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    w->PrinterInfo().SelectPdf(QString());
    w->rbAll->setChecked(true);
    const QString first = DataPath + QStringLiteral("first.pdf");
    QStringList offered;
    w->ChoosePdfFile = [&](QWidget *, const QString &suggested) {
        offered << suggested;
        return offered.size() == 1 ? first : QString();
    };
    ASSERT_TRUE(w->PrintList());
    const QByteArray printed = fileBytes(first);
    ASSERT_GT(pdfPages(first), 0);

    EXPECT_FALSE(w->PrintList());
    ASSERT_EQ(offered.size(), 2);
    EXPECT_EQ(offered.last(), first);
    EXPECT_TRUE(sameBytes(printed, fileBytes(first)));
}

// A list print to an existing PDF on a disk that fills during the run says
// so, and the earlier list stays whole beside no leftover.
TEST_F(ListPrintWindowTest, aPdfTheDiskCannotHoldIsReportedAndTheEarlierListStays)
{
    const QString pdf = DataPath + QStringLiteral("list.pdf");
    writeBytes(pdf, "%PDF-1.4 the earlier list %%EOF");
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    w->PrinterInfo().SelectPdf(pdf);
    w->rbAll->setChecked(true);
    w->ChoosePdfFile = [&](QWidget *, const QString &) { return pdf; };
    const int shown = boxes.count();
    bool printed = true;
    {
        ScopedFullDisk full(4 * 1024);
        printed = w->PrintList();
    }
    EXPECT_FALSE(printed);
    ASSERT_EQ(boxes.count(), shown + 1);
    EXPECT_TRUE(boxes.last().text.contains(QStringLiteral("PDFファイルを保存できませんでした"))) << qPrintable(boxes.last().text);
    EXPECT_EQ(fileBytes(pdf), "%PDF-1.4 the earlier list %%EOF");
    EXPECT_EQ(QDir(DataPath).entryList({QStringLiteral("*list.pdf*")}, QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("list.pdf")});
}

// The PDF engine keeps a full disk to itself: the list print names the full
// disk, as every other writer does, and the earlier list stays.
TEST_F(ListPrintWindowTest, aPdfOnAFullDiskNamesTheFullDiskAndTheEarlierListStays)
{
    const QString folder = DataPath + QStringLiteral("pdf/");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString pdf = folder + QStringLiteral("list.pdf");
    writeBytes(pdf, "%PDF-1.4 the earlier list %%EOF");
    TListPrint *w = open();
    ASSERT_NE(w, nullptr);
    w->PrinterInfo().SelectPdf(pdf);
    w->rbAll->setChecked(true);
    w->ChoosePdfFile = [&](QWidget *, const QString &) { return pdf; };
    const int shown = boxes.count();
    bool printed = true;
    {
        const ScopedFailingDisk full(folder, TDiskFault::DiskFull);
        printed = w->PrintList();
    }
    EXPECT_FALSE(printed);
    ASSERT_EQ(boxes.count(), shown + 1);
    const QString told = boxes.last().text;
    EXPECT_TRUE(told.startsWith(QStringLiteral("PDFファイルを保存できませんでした  \r\n") + pdf)) << qPrintable(told);
    EXPECT_TRUE(told.contains(QStringLiteral("ディスクの空き容量が足りません。"))) << qPrintable(told);
    EXPECT_EQ(fileBytes(pdf), "%PDF-1.4 the earlier list %%EOF");
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("list.pdf")});
}

} // namespace
