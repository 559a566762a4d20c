// The customer barcode the way a user meets it: a record typed into the
// record form, printed through the print wizard as a postcard to a PDF file,
// and the bars of the printed page read back as a sorting machine reads them.
#include "UserRoad.h"
#include "WizardAnswer.h"
#include "items/BarRect.h"
#include "support/DicProgramFolder.h"
#include "support/PostBars.h"

#include <QAction>
#include <QStandardPaths>

namespace {

class PrintedBarcode : public UserRoadFixture
{
protected:
    void SetUp() override
    {
        // The editors look the postcode's town up in the program folder's
        // dictionary: the libraries of the build over the excerpt data.
        dictionary = std::make_unique<TDicProgramFolder>(QStringLiteral(MURVEN_DIC_LIB_DIR),
                                                         QStringLiteral(MURVEN_DIC_EXCERPT_DIR));
        UserRoadFixture::SetUp();
    }
    void TearDown() override
    {
        UserRoadFixture::TearDown();
        dictionary.reset();
    }


    // The bars read back from the postcard printed for a record typed into
    // the record form with Postcode, the prefecture Tdfkn and the address
    // lines Adrs1 and Adrs2.
    QString printedBars(const QString &Postcode, const QString &Tdfkn, const QString &Adrs1, const QString &Adrs2)
    {
        action("actNumerSearch")->trigger();
        QWidget *form = DataInquiry;
        EXPECT_NE(form, nullptr);
        if (!form)
            return {};
        typeIn(form, "nmedtNameKanji", QStringLiteral("山田 太郎"));
        typeIn(form, "edtPos", Postcode);
        typeIn(form, "edtTdfkn", Tdfkn);
        typeIn(form, "edtAdrs1", Adrs1);
        if (!Adrs2.isEmpty())
            typeIn(form, "edtAdrs2", Adrs2);
        press(form, "btnAdd");
        EXPECT_EQ(rowsShown(1), 1);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        selectRows({0});

        TPrintEditor *editor = openEditor("actLayoutPrint", TPrintEditorKind::AddressSide, 0);
        EXPECT_NE(editor, nullptr);
        if (!editor)
            return {};
        WizardAnswer answer;
        editor->ExecDialog = [this, &answer](QDialog &Dialog) { return answer(Dialog, boxes); };
        editor->findChild<QAction *>(QStringLiteral("actPrint"))->trigger();
        EXPECT_TRUE(answer.Shown);

        constexpr int dpi = 600;
        const QList<QImage> pages = renderPdf(pdfFile(), dpi);
        EXPECT_EQ(pages.size(), 1);
        const TBarcodeRect *bar = nullptr;
        for (const auto &item : editor->Document().Items)
            if (auto *b = dynamic_cast<const TBarcodeRect *>(item.get()))
                bar = b;
        EXPECT_NE(bar, nullptr);
        if (pages.size() != 1 || !bar)
            return {};
        const TPageRect r = bar->GetRect();
        auto d = [](int px) { return PageToDots(TPagePx(px), dpi); };
        const QRect area =
            QRect(QPoint(d(r.Left), d(r.Top)), QPoint(d(r.Right) - 1, d(r.Bottom) - 1)).adjusted(-8, -8, 8, 8);
        const TReadPostBars read = readPostBars(barsInImage(pages[0], area));
        EXPECT_TRUE(read.Valid) << qPrintable(read.Error);
        return read.Text;
    }

    std::unique_ptr<TDicProgramFolder> dictionary;
};

// The address written in kanji numerals, with the town's name again in the
// building's on the second line: the bars carry the block, lot and house
// numbers and the room, not the room alone.
TEST_F(PrintedBarcode, kanjiNumberedAddressWithTheTownInItsBuildingReadsWhole)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
        GTEST_SKIP() << "pdftoppm is not installed";
    EXPECT_EQ(printedBars(QStringLiteral("1000013"), QStringLiteral("東京都"), QStringLiteral("千代田区霞が関一丁目二番三号"),
                          QStringLiteral("霞が関コーポ五〇一号室")),
              QLatin1String("10000131-2-3-501"));
}

// The town written in another common form (ヶ for が) than the dictionary's,
// and the dictionary's form only in the building after the number: the town
// is not taken from the building, the number before it stays in the bars.
TEST_F(PrintedBarcode, townWrittenOtherwiseKeepsTheNumberBeforeABuildingOfTheTownsName)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
        GTEST_SKIP() << "pdftoppm is not installed";
    EXPECT_EQ(printedBars(QStringLiteral("1000013"), QStringLiteral("東京都"), QStringLiteral("千代田区霞ヶ関3-2-5"),
                          QStringLiteral("霞が関ビル12階")),
              QLatin1String("10000133-2-5-12"));
}

// The town's numeral written in digits ("北1条西" for the dictionary's
// "北一条西"), as most Sapporo addresses are: the bars carry what follows
// the town, not the town's own numeral as well.
TEST_F(PrintedBarcode, townsNumeralWrittenInDigitsIsNotPartOfTheNumber)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
        GTEST_SKIP() << "pdftoppm is not installed";
    EXPECT_EQ(printedBars(QStringLiteral("0600001"), QStringLiteral("北海道"),
                          QStringLiteral("札幌市中央区北1条西2丁目1-1"), {}),
              QLatin1String("06000012-1-1"));
}

} // namespace
