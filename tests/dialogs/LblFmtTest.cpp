#include "dialogs/CstmLbl.h"
#include "dialogs/LblFmt.h"
#include "dialogs/PaperPreview.h"
#include "dialogs/UpDown.h"

#include "PaperFixture.h"
#include "support/OrdinaryUser.h"
#include "support/Screenshot.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

class LabelDialog : public PaperDialogTest<TNewLabelDialog>
{
protected:
    void open(int kind, int index)
    {
        dialog = std::make_unique<TNewLabelDialog>(nullptr);
        dialog->resize(640, 480);
        dialog->SetLabelKind(kind);
        dialog->ShowFormat(index);
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    }
    // Registers a sheet named `name` from what is selected, answering the
    // custom sheet dialog with OK.
    void registerSheet(const char *button, const QString &name)
    {
        dialog->ExecCustomSheet = [name](TCustomLabelDialog &d) {
            d.show();
            d.findChild<QLineEdit *>(QStringLiteral("edName"))->setText(name);
            d.accept();
            return d.result();
        };
        click(button);
    }
    int firstNamed(const char *name) const
    {
        for (int i = 0; i < catalogue().Records.size(); ++i)
            if (catalogue().Records.at(i).NameText() == QString::fromUtf8(name))
                return i;
        return -1;
    }
};

} // namespace

TEST_F(LabelDialog, newLayoutOpensOnTheFirstLabelSheet)
{
    open(2, 0);
    EXPECT_EQ(dialog->SelectedIndex(), firstOf(TPaperKind::Label));
    EXPECT_EQ(child<QLabel>("lblNum")->text(), QStringLiteral("2 x 6 枚"));
    saveScreenshot(dialog.get(), QStringLiteral("NewLabelDialog"));
}

TEST_F(LabelDialog, newLayoutOpensOnTheFirstCardSheetInCardMode)
{
    open(3, 0);
    EXPECT_EQ(dialog->SelectedIndex(), firstOf(TPaperKind::Card));
    EXPECT_EQ(child<QLabel>("lblCount")->text(), QStringLiteral("カード数："));
    saveScreenshot(dialog.get(), QStringLiteral("NewLabelDialogCard"));
}

TEST_F(LabelDialog, landscapeRadioChoosesTheTurnedVariantAndSwapsTheCounts)
{
    open(2, 0);
    click("rbLblH");
    EXPECT_EQ(dialog->SelectedIndex(), firstOf(TPaperKind::Label) + 1);
    EXPECT_EQ(dialog->WorkingFormat().Direction, 1);
    EXPECT_EQ(child<QLabel>("lblNum")->text(), QStringLiteral("6 x 2 枚"));
}

TEST_F(LabelDialog, cardWritingRadiosAddTheirOffsets)
{
    open(3, 0);
    const int first = firstOf(TPaperKind::Card);
    EXPECT_FALSE(child<QRadioButton>("rbCrdWordV")->isEnabled());
    click("rbCrdH");
    EXPECT_EQ(dialog->SelectedIndex(), first + 1);
    EXPECT_TRUE(child<QRadioButton>("rbCrdWordV")->isEnabled());
    click("rbCrdWordV");
    EXPECT_EQ(dialog->SelectedIndex(), first + 2);
    click("rbCrdV");
    EXPECT_TRUE(child<QRadioButton>("rbCrdWordH")->isChecked());
    EXPECT_FALSE(child<QRadioButton>("rbCrdWordV")->isEnabled());
    EXPECT_EQ(dialog->SelectedIndex(), first);
}

TEST_F(LabelDialog, sheetTooSmallForTheBarcodeShowsTheNotice)
{
    open(2, firstNamed("４４面　48.3×25.4"));
    EXPECT_TRUE(dialog->NoBarcode());
    EXPECT_TRUE(child<QLabel>("pnlNoBarcode")->isVisible());
    child<QListWidget>("lbLabel")->setCurrentRow(0);
    EXPECT_FALSE(dialog->NoBarcode());
    EXPECT_FALSE(child<QLabel>("pnlNoBarcode")->isVisible());
}

TEST_F(LabelDialog, previewDrawsEveryCellAndHidesTheBarcodeFrameWhenItCannotPrint)
{
    open(2, firstNamed("４４面　48.3×25.4"));
    auto *card = child<QWidget>("pnlCard");
    const QImage image = card->grab().toImage();
    int grey = 0, blue = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            grey += p == qRgb(0x80, 0x80, 0x80);
            blue += p == qRgb(0, 0, 0xFF);
        }
    EXPECT_GT(grey, 44 * 4) << "cell outlines";
    EXPECT_GT(blue, 0) << "frames";
    // The barcode frame (the last one) is not drawn; the name frame above it is.
    ASSERT_TRUE(dialog->NoBarcode());
    const TSheetPreview p =
        PaperPreview::sheet(dialog->WorkingFormat(), dialog->WorkingGrid(), child<QWidget>("pnlImage")->size());
    ASSERT_EQ(p.Size, card->size());
    const QRect barcode = p.Frames.last(), name = p.Frames.at(2);
    EXPECT_NE(image.pixel(barcode.center().x(), barcode.top()), qRgb(0, 0, 0xFF));
    EXPECT_EQ(image.pixel(name.center().x(), name.top()), qRgb(0, 0, 0xFF));
    saveScreenshot(card, QStringLiteral("NewLabelDialog44Preview"));
}

TEST_F(LabelDialog, registeringAddsCustomCategoryAndTheFileSurvivesCancel)
{
    open(2, 0);
    registerSheet("bbtnLblAdd", QStringLiteral("わたしのラベル"));
    auto *combo = child<QComboBox>("cbxLblCategory");
    EXPECT_EQ(combo->currentText(), QStringLiteral("カスタム"));
    EXPECT_LT(dialog->SelectedIndex(), 0);
    EXPECT_TRUE(child<QPushButton>("bbtnLblDelete")->isEnabled());
    dialog->reject();
    TCustomFormats saved;
    QString error;
    ASSERT_TRUE(saved.load(CustomFormatsPath(), &error)) << error.toStdString();
    ASSERT_EQ(saved.Records.size(), 1);
    EXPECT_EQ(saved.Records.first().Format.NameText(), QStringLiteral("わたしのラベル"));
    EXPECT_EQ(saved.Records.first().Format.GridIndex, 1);
    EXPECT_EQ(saved.Grids.size(), 1);
}

TEST_F(LabelDialog, customCategoryGoesWithItsLastSheetAndComesBack)
{
    open(2, 0);
    registerSheet("bbtnLblAdd", QStringLiteral("一"));
    click("bbtnLblDelete");
    auto *combo = child<QComboBox>("cbxLblCategory");
    EXPECT_EQ(combo->findText(QStringLiteral("カスタム")), -1);
    EXPECT_EQ(combo->currentIndex(), 0);
    EXPECT_FALSE(child<QPushButton>("bbtnLblDelete")->isEnabled());
    registerSheet("bbtnLblAdd", QStringLiteral("二"));
    EXPECT_EQ(combo->currentText(), QStringLiteral("カスタム"));
    EXPECT_EQ(dialog->SelectedIndex(), -2) << "ids are not given twice";
}

// Layouts may still name the deleted sheet by its id: the next sheet never
// takes that id, even after the last one went and the dialog was closed.
TEST_F(LabelDialog, aSheetRegisteredAfterTheLastWasDeletedGetsANewId)
{
    open(2, 0);
    registerSheet("bbtnLblAdd", QStringLiteral("一"));
    dialog->accept();
    ASSERT_TRUE(QFile::exists(CustomFormatsPath()));
    open(2, 0);
    auto *combo = child<QComboBox>("cbxLblCategory");
    combo->setCurrentIndex(combo->findText(QStringLiteral("カスタム")));
    emit combo->activated(combo->currentIndex());
    click("bbtnLblDelete");
    dialog->accept();
    open(2, 0);
    registerSheet("bbtnLblAdd", QStringLiteral("二"));
    dialog->accept();
    TCustomFormats stored;
    QString error;
    ASSERT_TRUE(stored.load(CustomFormatsPath(), &error)) << error.toStdString();
    ASSERT_EQ(stored.Records.size(), 1);
    EXPECT_EQ(stored.Records.first().Id, 2);
}

TEST_F(LabelDialog, sheetInUseCannotBeDeleted)
{
    open(2, 0);
    registerSheet("bbtnLblAdd", QStringLiteral("一"));
    dialog->accept();
    open(2, -1);
    EXPECT_EQ(dialog->SelectedIndex(), -1);
    click("bbtnLblDelete");
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("使用中の用紙は削除できません  "));
    EXPECT_EQ(child<QListWidget>("lbLabel")->count(), 1);
}

TEST_F(LabelDialog, deletedSheetOfTheLayoutFallsBackAndCancelIsRefused)
{
    open(2, -7);
    EXPECT_EQ(dialog->SelectedIndex(), firstOf(TPaperKind::Label));
    dialog->reject();
    EXPECT_TRUE(dialog->isVisible());
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("選択した用紙は削除されています  \r\n新しい用紙を設定してください  "));
    dialog->accept();
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(LabelDialog, turnedCardOfTheUserLeavesOnlyItsOwnRadiosEnabled)
{
    open(3, firstOf(TPaperKind::Card) + 2);
    registerSheet("bbtnCrdAdd", QStringLiteral("縦名刺"));
    EXPECT_EQ(dialog->WorkingFormat().Direction, 2);
    EXPECT_TRUE(child<QRadioButton>("rbCrdH")->isChecked());
    EXPECT_TRUE(child<QRadioButton>("rbCrdWordV")->isChecked());
    EXPECT_FALSE(child<QRadioButton>("rbCrdV")->isEnabled());
    EXPECT_FALSE(child<QRadioButton>("rbCrdWordH")->isEnabled());
    EXPECT_TRUE(child<QRadioButton>("rbCrdH")->isEnabled());
}

TEST_F(LabelDialog, damagedUserFileIsKeptAsideAndNamed)
{
    writeFile(CustomFormatsPath(), QByteArray("garbage that is no format file"));
    open(2, 0);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.contains(QStringLiteral("CstmL.fmt")));
    EXPECT_FALSE(QFile::exists(CustomFormatsPath()));
    const QStringList kept = QDir(DataPath).entryList({QStringLiteral("CstmL.fmt.unreadable-*")});
    ASSERT_EQ(kept.size(), 1);
    QFile f(DataPath + kept.first());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("garbage that is no format file"));
}

TEST_F(LabelDialog, closedBeforeTheUserSheetsWereReadWritesNothing)
{
    open(2, 0);
    registerSheet("bbtnLblAdd", QStringLiteral("残す"));
    dialog->accept();
    QFile before(CustomFormatsPath());
    ASSERT_TRUE(before.open(QIODevice::ReadOnly));
    const QByteArray bytes = before.readAll();
    before.close();
    TNewLabelDialog unused(nullptr);
    unused.reject();
    QFile after(CustomFormatsPath());
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), bytes);
}

struct HorizontalCase {
    const char *name;
    int kind;
    int offset; // from the first record of the kind
    bool horizontal;
};
void PrintTo(const HorizontalCase &c, std::ostream *os) { *os << c.name; }

class LabelDialogHorizontal : public LabelDialog, public testing::WithParamInterface<HorizontalCase> {};

TEST_P(LabelDialogHorizontal, followsTheShapeOfThePiece)
{
    const TPaperKind kind = GetParam().kind == 2 ? TPaperKind::Label : TPaperKind::Card;
    open(GetParam().kind, firstOf(kind) + GetParam().offset);
    EXPECT_EQ(dialog->IsHorizontalFormat(), GetParam().horizontal);
}

INSTANTIATE_TEST_SUITE_P(Cases, LabelDialogHorizontal,
                         testing::Values(HorizontalCase{"wideLabel", 2, 0, true},
                                         HorizontalCase{"tallLabel", 2, 1, false},
                                         HorizontalCase{"wideCard", 3, 0, true},
                                         HorizontalCase{"tallCardWrittenAcross", 3, 1, true},
                                         HorizontalCase{"tallCardWrittenDown", 3, 2, false}),
                         [](const auto &info) { return std::string(info.param.name); });

// ---- The custom sheet dialog ------------------------------------------------------

namespace {

class CustomSheet : public LabelDialog
{
protected:
    void start(int index)
    {
        sheet.reset(); // owned by the sheet dialog it was opened from
        open(2, 0);
        sheet = std::make_unique<TCustomLabelDialog>(dialog.get(), dialog.get());
        sheet->resize(720, 520);
        sheet->SetBaseSheet(index);
        sheet->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(sheet.get()));
    }
    QLineEdit *edit(const char *name) const { return sheet->findChild<QLineEdit *>(QString::fromLatin1(name)); }
    void type(const char *name, const QString &text)
    {
        QLineEdit *e = edit(name);
        e->setFocus();
        e->setText(text);
        emit e->editingFinished();
    }

    std::unique_ptr<TCustomLabelDialog> sheet;
};

} // namespace

TEST_F(CustomSheet, showsTheBaseSheetInMillimetresAndCounts)
{
    start(firstNamed("１２面　86.4×42.3"));
    EXPECT_EQ(edit("edPaperWidth")->text(), QStringLiteral("210.0"));
    EXPECT_EQ(edit("edWidth")->text(), QStringLiteral("86.4"));
    EXPECT_EQ(edit("edCol")->text(), QStringLiteral("2"));
    EXPECT_EQ(edit("edRow")->text(), QStringLiteral("6"));
    EXPECT_EQ(edit("edOffsetX")->text(), QStringLiteral("18.6"));
    saveScreenshot(sheet.get(), QStringLiteral("CustomLabelDialog"));
}

TEST_F(CustomSheet, oneColumnDisablesTheHorizontalGap)
{
    start(firstNamed("２１面　63.5×38.1"));
    EXPECT_FALSE(edit("edSpaceX")->isReadOnly());
    type("edCol", QStringLiteral("1"));
    EXPECT_EQ(sheet->UpDown(TCustomLabelDialog::fSpaceX)->Max(), 0);
    EXPECT_TRUE(edit("edSpaceX")->isReadOnly());
    EXPECT_FALSE(sheet->UpDown(TCustomLabelDialog::fSpaceX)->isEnabled());
}

TEST_F(CustomSheet, pieceAsWideAsTheSheetLeavesOneColumnAndNoLeftMargin)
{
    start(firstNamed("１２面　86.4×42.3"));
    type("edWidth", QStringLiteral("210.0"));
    EXPECT_EQ(sheet->UpDown(TCustomLabelDialog::fCol)->Max(), 1);
    EXPECT_TRUE(edit("edCol")->isReadOnly());
    EXPECT_EQ(sheet->UpDown(TCustomLabelDialog::fOffsetX)->Max(), 0);
    EXPECT_TRUE(edit("edOffsetX")->isReadOnly());
    EXPECT_EQ(sheet->WorkingGrid().Columns, 1);
}

TEST_F(CustomSheet, turnedSheetIsStoredUpright)
{
    start(firstNamed("１２面　86.4×42.3") + 1);
    // Shown turned: 297 mm across, 210 mm down; two of the 86.4 mm pieces fit down.
    type("edRow", QStringLiteral("1"));
    type("edCol", QStringLiteral("5"));
    EXPECT_EQ(sheet->WorkingGrid().Columns, 1);
    EXPECT_EQ(sheet->WorkingGrid().Rows, 5);
    EXPECT_EQ(sheet->WorkingGrid().SheetWidth, 2100);
    EXPECT_EQ(sheet->WorkingGrid().SheetHeight, 2970);
}

struct BadLength {
    const char *name;
    const char *text;
};
void PrintTo(const BadLength &c, std::ostream *os) { *os << c.name; }
class CustomSheetLength : public CustomSheet, public testing::WithParamInterface<BadLength> {};

TEST_P(CustomSheetLength, invalidTextRestoresThePreviousValue)
{
    start(firstNamed("１２面　86.4×42.3"));
    type("edWidth", QString::fromUtf8(GetParam().text));
    EXPECT_EQ(edit("edWidth")->text(), QStringLiteral("86.4"));
    EXPECT_EQ(sheet->WorkingFormat().Width, 864);
}

INSTANTIATE_TEST_SUITE_P(Cases, CustomSheetLength,
                         testing::Values(BadLength{"twoPoints", "12.5.1"}, BadLength{"letter", "1e3"},
                                         BadLength{"empty", ""}, BadLength{"fullWidthDigits", "８０"}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(CustomSheet, lengthIsTakenInTenthsOfAMillimetre)
{
    start(firstNamed("１２面　86.4×42.3"));
    type("edHeight", QStringLiteral("40.26"));
    EXPECT_EQ(sheet->WorkingFormat().Height, 403);
    EXPECT_EQ(edit("edHeight")->text(), QStringLiteral("40.3"));
}

TEST_F(CustomSheet, pageUpAddsOneMillimetre)
{
    start(firstNamed("１２面　86.4×42.3"));
    type("edHeight", QStringLiteral("40.0"));
    QTest::keyClick(edit("edHeight"), Qt::Key_PageUp);
    EXPECT_EQ(sheet->WorkingFormat().Height, 410);
    QTest::keyClick(edit("edHeight"), Qt::Key_Down);
    EXPECT_EQ(sheet->WorkingFormat().Height, 409);
}

TEST_F(CustomSheet, enlargingTheLabelKeepsTheBarcodeFrameItsSizeAndOnTheLabel)
{
    const int base = firstNamed("１２面　86.4×42.3");
    start(base);
    type("edCol", QStringLiteral("1"));
    type("edWidth", QStringLiteral("150.0"));
    const TLayoutFormat &f = sheet->WorkingFormat();
    const TFrameRect &before = catalogue().Records.at(base).Simple.Rects[3];
    const TFrameRect &after = f.Simple.Rects[static_cast<size_t>(f.Simple.Count - 1)];
    EXPECT_EQ(after.Right - after.Left, before.Right - before.Left);
    EXPECT_EQ(after.Bottom - after.Top, before.Bottom - before.Top);
    EXPECT_GE(after.Left, 0);
    EXPECT_LE(after.Right, PaperFmt::tenthsToPixels(f.Width));
    EXPECT_GT(f.Simple.Rects[1].Right, before.Right) << "the other frames grow";
}

TEST_F(CustomSheet, emptyNameKeepsTheDialogOpen)
{
    start(firstNamed("１２面　86.4×42.3"));
    sheet->accept();
    EXPECT_TRUE(sheet->isVisible());
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("用紙名を入力してください  "));
}

TEST_F(CustomSheet, nameOfAnotherSheetOfTheKindIsRefused)
{
    open(2, 0);
    registerSheet("bbtnLblAdd", QStringLiteral("同じ名前"));
    sheet = std::make_unique<TCustomLabelDialog>(dialog.get(), dialog.get());
    sheet->SetBaseSheet(firstOf(TPaperKind::Label));
    sheet->show();
    sheet->findChild<QLineEdit *>(QStringLiteral("edName"))->setText(QStringLiteral("同じ名前"));
    sheet->accept();
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(boxes.last().text, QStringLiteral("指定された用紙名はすでに使われています  "));
}

TEST_F(CustomSheet, landscapeByteFollowsTheBaseSheetsShape)
{
    const int base = firstNamed("１２面　86.4×42.3");
    start(base);
    EXPECT_EQ(sheet->GetCustomSheet().Landscape, 1);
    start(base + 1);
    EXPECT_EQ(sheet->GetCustomSheet().Landscape, 0);
    EXPECT_EQ(sheet->GetCustomSheet().Format.CategoryText(), QStringLiteral("カスタム"));
}

// The user's sheets are kept in a file its user set read-only: closing the
// dialog after registering another sheet keeps the file as it was and names
// the cause.
TEST_F(LabelDialog, aSheetFileSetReadOnlyStaysAndTheDialogSaysWhy)
{
    open(2, 0);
    registerSheet("bbtnLblAdd", QStringLiteral("一"));
    dialog->accept();
    QFile file(CustomFormatsPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    ASSERT_TRUE(QFile::setPermissions(CustomFormatsPath(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    {
        const ScopedOrdinaryUser user({m_data.path()});
        ASSERT_TRUE(user.Bound());
        open(2, 0);
        registerSheet("bbtnLblAdd", QStringLiteral("二"));
        dialog->accept();
    }
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.startsWith(QStringLiteral("ユーザー用紙をファイルに保存できませんでした")))
        << qPrintable(boxes.last().text);
    EXPECT_TRUE(boxes.last().text.contains(QStringLiteral("ファイルが読み取り専用のため、書き込めません。")))
        << qPrintable(boxes.last().text);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
}
