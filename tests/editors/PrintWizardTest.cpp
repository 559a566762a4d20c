#include "EditorsFixture.h"
#include "FakeHost.h"
#include "WizardAnswer.h"
#include "editors/DesignForm.h"
#include "editors/LabelForm.h"
#include "editors/LayoutForm.h"
#include "items/IllustRect.h"
#include "items/MetaRect.h"
#include "items/PrtInfo.h"
#include "platform/IniFile.h"
#include "support/DataFolders.h"
#include "support/RowName.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QDir>
#include <QPdfWriter>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <stdexcept>

namespace {

// A system whose one printer is the unnamed PDF target.
class OnePrinter final : public TPrinterBackend
{
public:
    QStringList Printers() const override { return {QString()}; }
    QString DefaultPrinter() const override { return {}; }
    QList<TPaperInfo> Papers(const QString &) const override { return {}; }
    TPrinterSettings Apply(const TPrinterSettings &Settings) const override { return Settings; }
    TPrinterCaps Caps(const TPrinterSettings &) const override { return {}; }
};

// An editor of the test's kind over a sample book, printing to a PDF file
// through the real print dialogs, answered by the test.
class EditorWizard : public ::testing::Test
{
protected:
    void SetUp() override { QDir().mkpath(DataRoot); }

    void prepare(TPrintEditor &Editor, int Paper)
    {
        TLabelGrid grid;
        Editor.SetLayout(Paper, catalogueFormat(Paper, &grid), grid);
        Editor.Printer().setOutputFormat(QPrinter::PdfFormat);
        Editor.Printer().setOutputFileName(pdfPath());
        Editor.ExecDialog = [this](QDialog &Dialog) { return answer(Dialog, boxes); };
    }
    QString pdfPath() const { return out.filePath(QStringLiteral("run.pdf")); }
    int printedPages() const
    {
        QFile file(pdfPath());
        return file.open(QIODevice::ReadOnly) ? int(file.readAll().count("/Type /Page\n")) : 0;
    }
    // The first page's size in points, read from the PDF.
    QSizeF firstPageSize() const
    {
        QFile file(pdfPath());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        const QByteArray pdf = file.readAll();
        static const QRegularExpression box(QStringLiteral(R"(/MediaBox\s*\[\s*0\s+0\s+([\d.]+)\s+([\d.]+)\s*\])"));
        const QRegularExpressionMatch m = box.match(QString::fromLatin1(pdf));
        return m.hasMatch() ? QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble()) : QSizeF();
    }
    void print(TPrintEditor &Editor) { Editor.findChild<QAction *>(QStringLiteral("actPrint"))->trigger(); }
    void store(const char *Section, const char *Key, int Value)
    {
        TMemIniFile ini(SettingsFileName());
        ini.WriteInteger(QLatin1String(Section), QLatin1String(Key), Value);
        ASSERT_TRUE(ini.UpdateFile());
    }

    QTemporaryDir home;
    ScopedDataFolders folders{home.path()};
    ScriptedMessageBoxes boxes;
    SampleBook book;
    FakeHost host{book.table};
    QTemporaryDir out;
    WizardAnswer answer;
};

TEST_F(EditorWizard, recordsPrintInTheListsOrder)
{
    TLayoutForm form(nullptr, host);
    prepare(form, 0);
    host.Rows.RecNos = {3, 1, 2};
    host.Rows.SelectedRows = {0, 2};
    print(form);
    EXPECT_EQ(answer.PrintList, (QList<qint32>{3, 2}));
    EXPECT_EQ(printedPages(), 2);
}

TEST_F(EditorWizard, shownRecordWithoutSelectionPrintsNothing)
{
    TLayoutForm form(nullptr, host);
    prepare(form, 0);
    host.Rows.RecNos = {1, 2, 3};
    answer.Range = "rbViewData";
    print(form);
    EXPECT_EQ(answer.DataCount, QStringLiteral("0 件"));
    EXPECT_EQ(boxes.last().text, QStringLiteral("印刷するデータがありません  "));
    EXPECT_FALSE(QFile::exists(pdfPath()));
}

// The ten-cell label sheet: 3 records, 2 prints each from cell 9, 2 copies.
TEST_F(EditorWizard, labelSheetsFollowFirstCellPrintsAndCopies)
{
    TLabelForm form(nullptr, host);
    prepare(form, 16);
    ASSERT_EQ(form.Document().CellsPerSheet(), 10);
    store("LABEL PRINT", "LabelStart", 9);
    store("LABEL PRINT", "LabelCount", 2);
    host.Rows.RecNos = {1, 2, 3};
    host.Rows.SelectedRows = {0, 1, 2};
    answer.Fill = [](QDialog &Dialog) { typeInto(Dialog, "edCopy", QStringLiteral("2")); };
    print(form);
    EXPECT_EQ(printedPages(), 4);
}

TEST_F(EditorWizard, wizardPreviewShowsTheSheetsOfTheRun)
{
    TLabelForm form(nullptr, host);
    prepare(form, 16);
    store("LABEL PRINT", "LabelStart", 9);
    host.Rows.RecNos = {1, 2, 3};
    host.Rows.SelectedRows = {0, 1, 2};
    answer.Preview = true;
    int pages = -1;
    form.ExecPreview = [&](QDialog &Dialog) {
        auto *preview = Dialog.findChild<QPrintPreviewWidget *>();
        ASSERT_NE(preview, nullptr);
        preview->updatePreview();
        pages = preview->pageCount();
    };
    print(form);
    // Cells 9 and 10 of the first sheet, then the first of the second.
    EXPECT_EQ(pages, 2);
    EXPECT_FALSE(QFile::exists(pdfPath()));
}

TEST_F(EditorWizard, cardModeSkipsTheRecordsAndPrintsTheSenderCards)
{
    TLabelForm form(nullptr, host);
    form.SetCardMode(true);
    prepare(form, 24);
    host.Sender = host.ReadRecord(1);
    host.Rows.RecNos = {1, 2, 3};
    bool dataPage = true;
    answer.Fill = [&](QDialog &Dialog) {
        typeInto(Dialog, "edLabelStart", QStringLiteral("1"));
        typeInto(Dialog, "edLabelCount", QStringLiteral("12"));
        dataPage = !Dialog.findChild<QPushButton *>(QStringLiteral("btnBack"))->isHidden();
    };
    print(form);
    EXPECT_FALSE(dataPage);
    // Twelve cards on sheets of ten.
    EXPECT_EQ(printedPages(), 2);
}

// The card window is the label window turned: its wizard is the cards' own,
// asks of cards and keeps its choices apart from the label sheets'.
TEST_F(EditorWizard, cardRunAsksOfCardsAndLeavesTheLabelSettingsAlone)
{
    store("LABEL PRINT", "LabelStart", 9);
    store("LABEL PRINT", "LabelCount", 2);
    TLabelForm form(nullptr, host);
    form.SetCardMode(true);
    prepare(form, 24);
    host.Sender = host.ReadRecord(1);
    answer.Fill = [](QDialog &Dialog) {
        typeInto(Dialog, "edLabelStart", QStringLiteral("3"));
        typeInto(Dialog, "edLabelCount", QStringLiteral("1"));
    };
    print(form);
    ASSERT_EQ(printedPages(), 1);
    bool askedOfCards = false;
    for (const TMessageBoxRequest &box : boxes.shown())
        askedOfCards |= box.text.startsWith(QStringLiteral("名刺レイアウトを印刷します"));
    EXPECT_TRUE(askedOfCards);
    const TMemIniFile ini(SettingsFileName());
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("LABEL PRINT"), QStringLiteral("LabelStart"), 0), 9);
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("LABEL PRINT"), QStringLiteral("LabelCount"), 0), 2);
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("CARD PRINT"), QStringLiteral("LabelStart"), 0), 3);
}

TEST_F(EditorWizard, senderModePrintsTheSendersPostcardPerCopy)
{
    TLayoutForm form(nullptr, host);
    prepare(form, 0);
    form.SetDataMode(TLayoutForm::SenderDataMode);
    host.Sender = host.ReadRecord(2);
    host.Rows.RecNos = {1, 2, 3};
    host.Rows.SelectedRows = {0, 1, 2};
    answer.Fill = [](QDialog &Dialog) { typeInto(Dialog, "edCopy", QStringLiteral("2")); };
    print(form);
    EXPECT_TRUE(answer.DataCount.isEmpty()); // the records' page was never shown
    EXPECT_EQ(printedPages(), 2);
}

// The printer chosen through the wizard's set-up is the next editor's.
TEST_F(EditorWizard, printerChosenInTheSetUpIsKeptForTheKind)
{
    {
        TLayoutForm form(nullptr, host);
        prepare(form, 0);
        host.Rows.RecNos = {1};
        host.Rows.SelectedRows = {0};
        form.ExecPrintDialog = [](QPrinter &Printer) {
            Printer.setResolution(200);
            return true;
        };
        answer.CancelAfterData = true;
        bool setUp = false;
        form.ExecDialog = [&](QDialog &Dialog) {
            const int result = answer(Dialog, boxes);
            // Cancelled after the set-up: the choice is kept all the same.
            Dialog.findChild<QPushButton *>(QStringLiteral("bbtnPrinters"))->click();
            setUp = true;
            return result;
        };
        print(form);
        ASSERT_TRUE(setUp);
        EXPECT_FALSE(QFile::exists(pdfPath()));
    }
    // The PDF target of this machine stands for its printer (no name).
    const OnePrinter backend;
    const TPrinterInfo kept(DataRoot + QStringLiteral("Layout.pi"), backend);
    EXPECT_EQ(kept.Settings().Resolution, 200);
    EXPECT_FALSE(QFile::exists(DataRoot + QStringLiteral("Label.pi")));
}

// On a machine without printers every run goes to a PDF file the user
// names: the file named last for a kind is proposed again, by a new editor
// of the same kind (a later start of the program), not by another kind's.
TEST_F(EditorWizard, theLastPdfFileOfTheKindIsProposedAgain)
{
    const QString chosen = out.filePath(QStringLiteral("名簿 はがき.pdf"));
    QStringList proposed;
    const auto run = [&](TPrintEditor &Form, int Paper) {
        prepare(Form, Paper);
        Form.Printer().setOutputFileName(QString());
        Form.Printer().setOutputFormat(QPrinter::PdfFormat);
        host.Rows.RecNos = {1};
        host.Rows.SelectedRows = {0};
        Form.ExecPrintDialog = [&](QPrinter &Printer) {
            proposed << Printer.outputFileName();
            Printer.setOutputFileName(chosen);
            return true;
        };
        print(Form);
        EXPECT_TRUE(QFile::remove(chosen)) << "printed to the file the dialog named";
    };
    {
        TLayoutForm form(nullptr, host);
        run(form, 0);
    }
    {
        TLayoutForm form(nullptr, host);
        run(form, 0);
    }
    {
        TLabelForm form(nullptr, host);
        run(form, 16);
    }
    ASSERT_EQ(proposed.size(), 3);
    EXPECT_TRUE(proposed[0].isEmpty()) << "nothing kept yet";
    EXPECT_EQ(proposed[1], chosen);
    EXPECT_TRUE(proposed[2].isEmpty()) << "the labels keep their own file";
    // Kept with the kind's printer settings.
    const OnePrinter backend;
    EXPECT_EQ(TPrinterInfo(DataRoot + QStringLiteral("Layout.pi"), backend).Settings().OutputFile, chosen);
}

// A cancelled choice keeps nothing: the next print asks again with the same
// proposal and prints nowhere meanwhile.
TEST_F(EditorWizard, aCancelledPdfChoiceLeavesTheEditorAskingAgain)
{
    const QString kept = out.filePath(QStringLiteral("kept.pdf"));
    {
        TPrinterSettings settings;
        settings.OutputFile = kept;
        const OnePrinter backend;
        TPrinterInfo info(DataRoot + QStringLiteral("Layout.pi"), backend);
        info.AssignSettings(settings);
        ASSERT_TRUE(info.Save());
    }
    TLayoutForm form(nullptr, host);
    prepare(form, 0);
    form.Printer().setOutputFileName(QString());
    form.Printer().setOutputFormat(QPrinter::PdfFormat);
    host.Rows.RecNos = {1};
    host.Rows.SelectedRows = {0};
    QStringList proposed;
    form.ExecPrintDialog = [&](QPrinter &Printer) {
        proposed << Printer.outputFileName();
        return false;
    };
    print(form);
    print(form);
    EXPECT_EQ(proposed, (QStringList{kept, kept}));
    EXPECT_FALSE(QFile::exists(kept));
    EXPECT_TRUE(form.Printer().outputFileName().isEmpty());
}

TEST_F(EditorWizard, envelopeFlapLengthensThePage)
{
    TLayoutForm form(nullptr, host);
    prepare(form, 2);
    host.Rows.RecNos = {1};
    host.Rows.SelectedRows = {0};
    answer.Fill = [](QDialog &Dialog) {
        typeInto(Dialog, "edFlap", QStringLiteral("30"));
    };
    print(form);
    ASSERT_EQ(printedPages(), 1);
    // 235 mm of envelope and 30 mm of flap, in points.
    EXPECT_NEAR(firstPageSize().height(), 265 / 25.4 * 72, 1.0);
}

TEST_F(EditorWizard, designPrintsItsCopiesThroughTheDesignDialog)
{
    TDesignForm form(nullptr, host);
    prepare(form, 0);
    bool design = false;
    form.ExecDialog = [&](QDialog &Dialog) {
        design = Dialog.objectName() == QStringLiteral("DesignPrintDialog");
        typeInto(Dialog, "edCopy", QStringLiteral("3"));
        Dialog.accept();
        return Dialog.result();
    };
    print(form);
    EXPECT_TRUE(design);
    EXPECT_EQ(printedPages(), 3);
}

// The design dialog's switch for printers that cannot blend: a picture with
// a transparent colour goes to the printer as an opaque picture through a
// clip (no masked image in the PDF) instead of a blended one.
struct LimitedCase {
    const char *name;
    bool limited;
};

class LimitedPrinterRun : public EditorWizard, public ::testing::WithParamInterface<LimitedCase>
{
};

TEST_P(LimitedPrinterRun, transparentPicturesFollowTheSwitch)
{
    TDesignForm form(nullptr, host);
    prepare(form, 0);
    QImage image(40, 40, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int y = 10; y < 30; ++y)
        for (int x = 10; x < 30; ++x)
            image.setPixel(x, y, qRgb(0, 128, 0));
    auto picture = std::make_unique<TIllustRect>();
    picture->SetPicture(image);
    picture->SetRect({20, 20, 120, 120});
    picture->SetTransparentColor(clWhite);
    (void)form.InsertItem(std::move(picture));
    form.ExecDialog = [](QDialog &Dialog) {
        Dialog.findChild<QCheckBox *>(QStringLiteral("ckbLimitedPrinter"))->setChecked(GetParam().limited);
        Dialog.accept();
        return Dialog.result();
    };
    print(form);
    QFile file(pdfPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    // An image masked by another (a stencil or a soft mask) is the blend.
    static const QRegularExpression masked(QStringLiteral(R"(/S?Mask \d+ 0 R)"));
    EXPECT_EQ(QString::fromLatin1(file.readAll()).contains(masked), !GetParam().limited);
    // The layout's own picture is as it was.
    EXPECT_FALSE(dynamic_cast<TIllustRect &>(*form.Document().Items.back()).IsLimitedPrinter());
}

INSTANTIATE_TEST_SUITE_P(Switch, LimitedPrinterRun,
                         ::testing::Values(LimitedCase{"blended", false}, LimitedCase{"clipped", true}), rowName);

} // namespace

// Back from the preview the wizard opens where it was left: on its print
// page with the copies typed before the preview.
TEST_F(EditorWizard, wizardReopenedFromThePreviewRestoresItsPageAndCopies)
{
    TLayoutForm form(nullptr, host);
    prepare(form, 0);
    host.Rows.RecNos = {1, 2, 3};
    host.Rows.SelectedRows = {0, 1};
    answer.Preview = true;
    answer.Fill = [](QDialog &Dialog) { typeInto(Dialog, "edCopy", QStringLiteral("3")); };
    int reopened = 0;
    int page = -1;
    QString copies;
    form.ExecDialog = [&](QDialog &Dialog) {
        if (reopened++ == 0)
            return answer(Dialog, boxes);
        // The dialog fills itself as it is shown; read it, then cancel.
        Dialog.show();
        page = Dialog.findChild<QStackedWidget *>(QStringLiteral("pgcWizard"))->currentIndex();
        copies = Dialog.findChild<QLineEdit *>(QStringLiteral("edCopy"))->text();
        return int(QDialog::Rejected);
    };
    form.ExecPreview = [](QDialog &Dialog) {
        Dialog.findChild<QAction *>(QStringLiteral("actPreviewPrint"))->trigger();
    };
    print(form);
    EXPECT_EQ(reopened, 2);
    EXPECT_EQ(page, 1);
    EXPECT_EQ(copies, QStringLiteral("3"));
    EXPECT_FALSE(QFile::exists(pdfPath()));
}

namespace {

// A host whose second record fails to read with an error no table layer
// knows of (an allocation or a codec failing midway, say).
class FailingReadHost : public FakeHost
{
public:
    using FakeHost::FakeHost;
    std::optional<TAddressText> ReadRecord(qint32 RecNo) const override
    {
        if (RecNo == 2)
            throw std::runtime_error("read failed");
        return FakeHost::ReadRecord(RecNo);
    }
};

bool laidOutForPrinter(TLayoutDocument &Document)
{
    for (auto &item : Document.Items)
        if (auto *meta = dynamic_cast<TMetaRect *>(item.get()); meta && meta->GetReferenceDevice().HasPrinter)
            return true;
    return false;
}

} // namespace

// Whatever stops the wizard's measuring or the run itself, the page the user
// goes on editing is laid out for the screen again, with the shown record.
TEST_F(EditorWizard, aFailingReadLeavesThePageLaidOutForTheScreen)
{
    FailingReadHost failing(book.table);
    failing.Rows.RecNos = {1, 2, 3};
    failing.Rows.SelectedRows = {0, 1, 2};
    TLayoutForm form(nullptr, failing);
    prepare(form, 0);
    ASSERT_FALSE(laidOutForPrinter(form.Document()));
    EXPECT_THROW(print(form), std::runtime_error);
    EXPECT_FALSE(laidOutForPrinter(form.Document()));
    EXPECT_THROW((void)form.PrintRecords(form.Printer(), {1, 2, 3}, TPrintOptions{}, nullptr), std::runtime_error);
    EXPECT_FALSE(laidOutForPrinter(form.Document()));
    // The editor takes the next run.
    EXPECT_TRUE(form.PrintRecords(form.Printer(), {1, 3}, TPrintOptions{}, nullptr));
}

// 印刷プレビュー on a postcard: the wizard's last button says it previews, and
// pressing it shows the preview without asking whether to print; the
// preview's own print button brings the wizard back to print, asking then.
TEST_F(EditorWizard, previewCommandPreviewsWithoutThePrintQuestion)
{
    TLayoutForm form(nullptr, host);
    prepare(form, 0);
    host.Rows.RecNos = {1, 2};
    host.Rows.SelectedRows = {0, 1};
    QStringList buttons;
    form.ExecDialog = [&](QDialog &Dialog) {
        const int result = answer(Dialog, boxes);
        buttons << Dialog.findChild<QPushButton *>(QStringLiteral("btnPrint"))->text();
        return result;
    };
    int previews = 0;
    form.ExecPreview = [&previews](QDialog &Dialog) {
        ++previews;
        Dialog.findChild<QAction *>(QStringLiteral("actPreviewPrint"))->trigger();
    };
    form.findChild<QAction *>(QStringLiteral("actPreview"))->trigger();
    EXPECT_EQ(previews, 1);
    EXPECT_EQ(buttons, (QStringList{QStringLiteral("プレビュー(&V)"), QStringLiteral("印刷(&P)")}));
    QStringList asked;
    for (const TMessageBoxRequest &box : boxes.shown())
        if (box.text.contains(QStringLiteral("を印刷します")))
            asked << box.text;
    EXPECT_EQ(asked.size(), 1) << qPrintable(asked.join(u'|'));
    EXPECT_EQ(printedPages(), 2);
}
