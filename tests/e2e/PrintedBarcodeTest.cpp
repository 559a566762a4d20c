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

    std::unique_ptr<TDicProgramFolder> dictionary;
};

// The address written in kanji numerals, with the town's name again in the
// building's on the second line: the bars carry the block, lot and house
// numbers and the room, not the room alone.
TEST_F(PrintedBarcode, kanjiNumberedAddressWithTheTownInItsBuildingReadsWhole)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
        GTEST_SKIP() << "pdftoppm is not installed";
    action("actNumerSearch")->trigger();
    QWidget *form = DataInquiry;
    ASSERT_NE(form, nullptr);
    ASSERT_NO_FATAL_FAILURE(typeIn(form, "nmedtNameKanji", QStringLiteral("山田 太郎")));
    ASSERT_NO_FATAL_FAILURE(typeIn(form, "edtPos", QStringLiteral("1000013")));
    ASSERT_NO_FATAL_FAILURE(typeIn(form, "edtTdfkn", QStringLiteral("東京都")));
    ASSERT_NO_FATAL_FAILURE(typeIn(form, "edtAdrs1", QStringLiteral("千代田区霞が関一丁目二番三号")));
    ASSERT_NO_FATAL_FAILURE(typeIn(form, "edtAdrs2", QStringLiteral("霞が関コーポ五〇一号室")));
    ASSERT_NO_FATAL_FAILURE(press(form, "btnAdd"));
    ASSERT_EQ(rowsShown(1), 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    selectRows({0});

    TPrintEditor *editor = openEditor("actLayoutPrint", TPrintEditorKind::AddressSide, 0);
    ASSERT_NE(editor, nullptr);
    WizardAnswer answer;
    editor->ExecDialog = [this, &answer](QDialog &Dialog) { return answer(Dialog, boxes); };
    editor->findChild<QAction *>(QStringLiteral("actPrint"))->trigger();
    ASSERT_TRUE(answer.Shown);

    constexpr int dpi = 600;
    const QList<QImage> pages = renderPdf(pdfFile(), dpi);
    ASSERT_EQ(pages.size(), 1);
    const TBarcodeRect *bar = nullptr;
    for (const auto &item : editor->Document().Items)
        if (auto *b = dynamic_cast<const TBarcodeRect *>(item.get()))
            bar = b;
    ASSERT_NE(bar, nullptr);
    const TPageRect r = bar->GetRect();
    auto d = [](int px) { return PageToDots(TPagePx(px), dpi); };
    const QRect area =
        QRect(QPoint(d(r.Left), d(r.Top)), QPoint(d(r.Right) - 1, d(r.Bottom) - 1)).adjusted(-8, -8, 8, 8);
    const TReadPostBars read = readPostBars(barsInImage(pages[0], area));
    ASSERT_TRUE(read.Valid) << qPrintable(read.Error);
    EXPECT_EQ(read.Text, QLatin1String("10000131-2-3-501"));
}

} // namespace
