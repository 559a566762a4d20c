#include "core/BkupDat.h"
#include "core/RestDat.h"
#include "dialogs/CstmLyt.h"
#include "dialogs/LytFmt.h"
#include "dialogs/PaperPreview.h"
#include "dialogs/UpDown.h"

#include "PaperFixture.h"
#include "support/Screenshot.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

class LayoutDialog : public PaperDialogTest<TNewLayoutDialog>
{
protected:
    void open(int index)
    {
        custom.reset();
        dialog = std::make_unique<TNewLayoutDialog>(nullptr);
        dialog->resize(640, 520);
        dialog->ShowFormat(index);
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    }
    // Registers a format named `name`, with the width typed when given.
    void registerFormat(const char *button, const QString &name, const QString &width = {})
    {
        dialog->ExecCustomFormat = [this, name, width](TCustomLayoutFormatDialog &d) {
            d.show();
            baseOfLastRegistration = d.BaseIndex();
            d.findChild<QLineEdit *>(QStringLiteral("edName"))->setText(name);
            if (!width.isEmpty()) {
                auto *e = d.findChild<QLineEdit *>(QStringLiteral("edPaperWidth"));
                e->setText(width);
                emit e->editingFinished();
            }
            d.accept();
            return d.result();
        };
        click(button);
    }
    QImage card() const { return child<QWidget>("pnlCard")->grab().toImage(); }
    static int count(const QImage &image, QRgb colour)
    {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                n += image.pixel(x, y) == colour;
        return n;
    }

    std::unique_ptr<TCustomLayoutFormatDialog> custom;
    int baseOfLastRegistration = -2;
};

} // namespace

TEST_F(LayoutDialog, newLayoutOpensOnTheFirstPostcardWithItsPicture)
{
    open(0);
    EXPECT_EQ(dialog->SelectedIndex(), 0);
    EXPECT_EQ(child<QComboBox>("cbxPaperKind")->currentIndex(), 0);
    EXPECT_TRUE(child<QRadioButton>("rbPostCardV")->isChecked());
    EXPECT_EQ(child<QLabel>("lblPostCardNum")->text(), QStringLiteral("1 x 1 枚"));
    EXPECT_EQ(child<QLabel>("lblPostCardSize")->text(), QStringLiteral("100.0 x 148.0 mm"));
    ASSERT_TRUE(dialog->HasPicture());
    const QImage image = card();
    int red = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            red += c.red() > 180 && c.green() < 120 && c.blue() < 120;
        }
    EXPECT_GT(red, 20) << "the postcode boxes of the picture";
    saveScreenshot(dialog.get(), QStringLiteral("NewLayoutDialog"));
}

TEST_F(LayoutDialog, horizontalWritingIsTheNextRecord)
{
    open(0);
    click("rbPostCardH");
    EXPECT_EQ(dialog->SelectedIndex(), 1);
    EXPECT_EQ(dialog->WorkingFormat().Direction, 1);
}

TEST_F(LayoutDialog, turnedEnvelopeOpensWrittenAcrossOnly)
{
    const int first = firstOf(TPaperKind::Envelope);
    open(first + 2);
    EXPECT_EQ(child<QComboBox>("cbxPaperKind")->currentIndex(), 1);
    EXPECT_TRUE(child<QRadioButton>("rbEnvCardH")->isChecked());
    EXPECT_TRUE(child<QRadioButton>("rbEnvWordH")->isChecked());
    EXPECT_FALSE(child<QRadioButton>("rbEnvWordV")->isEnabled());
}

TEST_F(LayoutDialog, turningTheEnvelopeForcesHorizontalWriting)
{
    const int first = firstOf(TPaperKind::Envelope);
    open(first);
    EXPECT_TRUE(child<QRadioButton>("rbEnvWordV")->isChecked());
    click("rbEnvCardH");
    EXPECT_TRUE(child<QRadioButton>("rbEnvWordH")->isChecked());
    EXPECT_FALSE(child<QRadioButton>("rbEnvWordV")->isEnabled());
    EXPECT_EQ(dialog->SelectedIndex(), first + 2);
    click("rbEnvCardV");
    EXPECT_TRUE(child<QRadioButton>("rbEnvWordV")->isEnabled());
    EXPECT_EQ(dialog->SelectedIndex(), first + 1);
}

TEST_F(LayoutDialog, senderSideShowsOnlyTheSenderFrames)
{
    const int first = firstOf(TPaperKind::Envelope);
    open(first);
    const TSheetPreview p = PaperPreview::paper(dialog->WorkingFormat(), dialog->WorkingGrid(),
                                                child<QWidget>("pnlPreview")->size());
    const QRect address = p.Frames.at(1), senderName = p.Frames.at(6);
    const QRgb blue = qRgb(0, 0, 0xFF);
    QImage image = card();
    EXPECT_EQ(image.pixel(address.center().x(), address.top()), blue);
    EXPECT_NE(image.pixel(senderName.center().x(), senderName.top()), blue);
    click("rbEnvSender");
    image = card();
    EXPECT_NE(image.pixel(address.center().x(), address.top()), blue);
    EXPECT_EQ(image.pixel(senderName.center().x(), senderName.top()), blue);
    EXPECT_EQ(dialog->GetEnvelopeSide(), 1);
    saveScreenshot(dialog.get(), QStringLiteral("NewLayoutDialogEnvelopeSender"));
}

TEST_F(LayoutDialog, customPostcardOfAnotherSizeIsStoredWithoutThePicture)
{
    open(0);
    registerFormat("bbtnPstAdd", QStringLiteral("小さいはがき"), QStringLiteral("90.0"));
    EXPECT_EQ(child<QComboBox>("cbxPstCategory")->currentText(), QStringLiteral("カスタム"));
    EXPECT_EQ(dialog->SelectedIndex(), -1);
    EXPECT_EQ(dialog->WorkingFormat().Width, 900);
    EXPECT_TRUE(dialog->WorkingFormat().Background.isEmpty());
    EXPECT_TRUE(child<QPushButton>("bbtnPstDelete")->isEnabled());
    EXPECT_FALSE(child<QRadioButton>("rbPostCardH")->isEnabled()) << "a user format's direction is fixed";
    dialog->reject();
    TCustomFormats saved;
    QString error;
    ASSERT_TRUE(saved.load(CustomFormatsPath(), &error)) << error.toStdString();
    ASSERT_EQ(saved.Records.size(), 1);
    EXPECT_EQ(saved.Records.first().BaseIndex, 0);
    EXPECT_EQ(saved.Records.first().Format.GridIndex, 0);
    EXPECT_TRUE(saved.Grids.isEmpty());
}

TEST_F(LayoutDialog, customPostcardOfTheBaseSizeKeepsThePicture)
{
    open(0);
    registerFormat("bbtnPstAdd", QStringLiteral("同じ大きさ"));
    EXPECT_EQ(dialog->WorkingFormat().Background, catalogue().Records.at(0).Background);
}

TEST_F(LayoutDialog, paperRegisteredAfterARestoreNeverTakesAnIdGivenSinceTheBackup)
{
    QTemporaryDir usb;
    const QString backup = usb.path() + QStringLiteral("/backup/");
    open(0);
    registerFormat("bbtnPstAdd", QStringLiteral("一"));
    dialog->reject();
    ASSERT_TRUE(RunBackup(DataPath, backup, {}).AllDone());
    // Registered after the backup: layouts saved since name its id.
    open(0);
    registerFormat("bbtnPstAdd", QStringLiteral("二"));
    dialog->reject();
    TRestoreRun restore;
    restore.SrcFolder = backup;
    restore.DestFolder = DataPath;
    ASSERT_TRUE(restore.Run()) << restore.Problem.toStdString();
    open(0);
    registerFormat("bbtnPstAdd", QStringLiteral("三"));
    dialog->reject();
    TCustomFormats saved;
    QString error;
    ASSERT_TRUE(saved.load(CustomFormatsPath(), &error)) << error.toStdString();
    QStringList names;
    for (const TCustomFormat &paper : saved.Records)
        names << paper.Format.NameText() + QLatin1Char('=') + QString::number(paper.Id);
    EXPECT_EQ(names, (QStringList{QStringLiteral("一=1"), QStringLiteral("三=3")}));
}

TEST_F(LayoutDialog, deletingTheLastCustomFormatReturnsToTheCatalogue)
{
    open(0);
    registerFormat("bbtnPstAdd", QStringLiteral("一"));
    click("bbtnPstDelete");
    auto *combo = child<QComboBox>("cbxPstCategory");
    EXPECT_EQ(combo->findText(QStringLiteral("カスタム")), -1);
    EXPECT_EQ(combo->currentIndex(), 0);
    EXPECT_EQ(dialog->SelectedIndex(), 0);
    EXPECT_FALSE(child<QPushButton>("bbtnPstDelete")->isEnabled());
}

TEST_F(LayoutDialog, deletedPaperOfTheLayoutFallsBackAndCancelIsRefused)
{
    open(-3);
    EXPECT_EQ(dialog->SelectedIndex(), 0);
    dialog->reject();
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(boxes.last().text, QStringLiteral("選択した用紙は削除されています  \r\n新しい用紙を設定してください  "));
}

TEST_F(LayoutDialog, paperTooSmallForTheBarcodeShowsTheNotice)
{
    open(0);
    registerFormat("bbtnPstAdd", QStringLiteral("小"), QStringLiteral("60.0"));
    EXPECT_FALSE(dialog->NoBarcode()) << "148 mm remain on the longer side";
    dialog->ExecCustomFormat = [](TCustomLayoutFormatDialog &d) {
        d.show();
        d.findChild<QLineEdit *>(QStringLiteral("edName"))->setText(QStringLiteral("極小"));
        for (const char *name : {"edPaperWidth", "edPaperHeight"}) {
            auto *e = d.findChild<QLineEdit *>(QString::fromLatin1(name));
            e->setText(QStringLiteral("60.0"));
            emit e->editingFinished();
        }
        d.accept();
        return d.result();
    };
    click("bbtnPstAdd");
    EXPECT_TRUE(dialog->NoBarcode());
    EXPECT_TRUE(child<QLabel>("pnlNoBarcode")->isVisible());
}

// ---- The custom paper dialog --------------------------------------------------------

namespace {

class CustomPaper : public LayoutDialog
{
protected:
    void start(int index)
    {
        open(0);
        custom = std::make_unique<TCustomLayoutFormatDialog>(dialog.get(), dialog.get());
        custom->resize(560, 420);
        custom->SetBaseFormat(index);
        custom->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(custom.get()));
    }
    QLineEdit *edit(const char *name) const { return custom->findChild<QLineEdit *>(QString::fromLatin1(name)); }
    void type(const char *name, const QString &text)
    {
        QLineEdit *e = edit(name);
        e->setText(text);
        emit e->editingFinished();
    }
};

} // namespace

TEST_F(CustomPaper, shrinkingToFiftyMillimetresKeepsFramesUsableAndTheBarcodeOnThePaper)
{
    start(0);
    type("edPaperWidth", QStringLiteral("50.0"));
    type("edPaperHeight", QStringLiteral("50.0"));
    const TLayoutFormat &f = custom->WorkingFormat();
    const int side = PaperFmt::tenthsToPixels(500);
    for (const TFrameSet *set : {&f.Simple, &f.Detail})
        for (int i = 0; i < set->Count; ++i) {
            const TFrameRect &r = set->Rects[static_cast<size_t>(i)];
            EXPECT_GE(r.Right - r.Left, 10) << i;
            EXPECT_GE(r.Bottom - r.Top, 10) << i;
        }
    const TFrameRect &barcode = f.Simple.Rects[3];
    EXPECT_GE(barcode.Top, 0);
    EXPECT_LE(barcode.Bottom, side);
    EXPECT_GE(barcode.Left, 0);
    EXPECT_LE(barcode.Right, side);
    EXPECT_TRUE(custom->NoBarcode());
    saveScreenshot(custom.get(), QStringLiteral("CustomLayoutFormatDialog"));
}

TEST_F(CustomPaper, pictureIsDrawnOnlyWhileTheSizeIsTheBases)
{
    start(0);
    EXPECT_TRUE(custom->DrawsPicture());
    type("edPaperHeight", QStringLiteral("140.0"));
    EXPECT_FALSE(custom->DrawsPicture());
    type("edPaperHeight", QStringLiteral("148.0"));
    EXPECT_TRUE(custom->DrawsPicture());
}

TEST_F(CustomPaper, lengthsAreClampedToTheRangeAndBadTextRestored)
{
    start(0);
    type("edPaperWidth", QStringLiteral("700"));
    EXPECT_EQ(custom->WorkingFormat().Width, 5940);
    type("edPaperWidth", QStringLiteral("12.5.1"));
    EXPECT_EQ(edit("edPaperWidth")->text(), QStringLiteral("594.0"));
    type("edPaperWidth", QStringLiteral("1"));
    EXPECT_EQ(custom->WorkingFormat().Width, 500);
}

TEST_F(CustomPaper, pageDownTakesAMillimetreOff)
{
    start(0);
    QTest::keyClick(edit("edPaperWidth"), Qt::Key_PageDown);
    EXPECT_EQ(custom->WorkingFormat().Width, 990);
}

TEST_F(CustomPaper, envelopeBaseOffersItsVariants)
{
    const int first = firstOf(TPaperKind::Envelope);
    start(first);
    QTest::mouseClick(custom->findChild<QRadioButton *>(QStringLiteral("rbEnvCardH")), Qt::LeftButton);
    EXPECT_EQ(custom->BaseIndex(), first + 2);
    EXPECT_FALSE(custom->findChild<QRadioButton *>(QStringLiteral("rbEnvWordV"))->isEnabled());
    EXPECT_EQ(custom->WorkingFormat().Width, catalogue().Records.at(first + 2).Width);
}

TEST_F(CustomPaper, emptyNameIsRefused)
{
    start(0);
    custom->accept();
    EXPECT_TRUE(custom->isVisible());
    EXPECT_EQ(boxes.last().text, QStringLiteral("用紙名を入力してください  "));
}

// A catalogue with a sheet of several postcards, which is no base for a size of one's own.
class PostcardSheet : public LayoutDialog
{
protected:
    void SetUp() override
    {
        LayoutDialog::SetUp();
        const QString common = useOwnProgramFolder();
        TLayoutCatalogue c;
        TLayoutFormat card = catalogue().Records.at(0);
        c.Records = {card, catalogue().Records.at(1)};
        TLayoutFormat sheet = card;
        sheet.Name = "A4 4";
        sheet.GridIndex = 1;
        c.Records.append(sheet);
        sheet.Direction = 1;
        c.Records.append(sheet);
        c.Grids = {TLabelGrid{2100, 2970, 2, 2, 50, 70, 0, 0}};
        QString error;
        ASSERT_TRUE(c.save(common + QStringLiteral("Lyt.fmt"), &error));
    }
};

TEST_F(PostcardSheet, isNotOfferedAsABase)
{
    open(0);
    custom = std::make_unique<TCustomLayoutFormatDialog>(dialog.get(), dialog.get());
    custom->SetBaseFormat(0);
    EXPECT_EQ(custom->findChild<QListWidget *>(QStringLiteral("lbPostCard"))->count(), 1);
}

TEST_F(PostcardSheet, registeringFromItStartsFromRecordZero)
{
    open(2);
    EXPECT_EQ(child<QLabel>("lblPostCardNum")->text(), QStringLiteral("2 x 2 枚"));
    saveScreenshot(dialog.get(), QStringLiteral("NewLayoutDialogSheet"));
    registerFormat("bbtnPstAdd", QStringLiteral("一"));
    EXPECT_EQ(baseOfLastRegistration, 0);
}
