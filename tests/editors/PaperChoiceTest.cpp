#include "EditorsFixture.h"
#include "FakeHost.h"
#include "core/AddressText.h"
#include "core/Env.h"
#include "dialogs/PaperCatalogue.h"
#include "editors/DesignForm.h"
#include "editors/LabelForm.h"
#include "editors/LayoutForm.h"
#include "editors/PrintData.h"
#include "items/BarRect.h"
#include "items/FigureRect.h"
#include "items/NameRect.h"
#include "support/RowName.h"
#include "support/ScriptedMessageBoxes.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QListWidget>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

#include <functional>

namespace {

// The paper dialogs read the shipped catalogues from the program folder's
// Common/ and keep the user's formats in the data folder: both are folders
// of the test's own here.
class ScopedCatalogues
{
public:
    ScopedCatalogues()
    {
        m_app = AppPath;
        m_data = DataPath;
        QFile file(QStringLiteral(MURVEN_PAPER_SOURCE));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        TPaperSource source;
        QString error;
        EXPECT_TRUE(PaperCatalogue::parse(QString::fromUtf8(file.readAll()), source, &error)) << qPrintable(error);
        QDir(m_program.path()).mkpath(QStringLiteral("Common/Format"));
        AppPath = m_program.path() + QLatin1Char('/');
        DataPath = m_folder.path() + QLatin1Char('/');
        write(AppPath + QStringLiteral("Common/Lyt.fmt"), source.Layouts.toBytes());
        write(AppPath + QStringLiteral("Common/Dsn.fmt"), source.Designs.toBytes());
        Layouts = source.Layouts;
    }
    ~ScopedCatalogues()
    {
        AppPath = m_app;
        DataPath = m_data;
    }
    static void write(const QString &Path, const QByteArray &Bytes)
    {
        QFile f(Path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_EQ(f.write(Bytes), Bytes.size());
    }

    TLayoutCatalogue Layouts;

private:
    QTemporaryDir m_program, m_folder;
    QString m_app, m_data;
};

template <typename T> T *child(QObject &Parent, const char *Name)
{
    T *c = Parent.findChild<T *>(QLatin1String(Name));
    EXPECT_NE(c, nullptr) << Name;
    return c;
}

// The dialog answered by OK once Steps have been taken on its controls.
std::function<int(QDialog &)> okAfter(std::function<void(QDialog &)> Steps, QString *Caption = nullptr)
{
    return [Steps, Caption](QDialog &D) {
        if (Caption)
            *Caption = D.windowTitle();
        Steps(D);
        child<QPushButton>(D, "btnOK")->click();
        return D.result();
    };
}

int barcodeOf(const TLayoutDocument &D)
{
    for (size_t i = 0; i < D.Items.size(); ++i)
        if (D.Items[i]->GetKind() == TDrawRectKind::Barcode)
            return int(i);
    return -1;
}

const TNameRect *addresseeName(const TLayoutDocument &D)
{
    for (const auto &item : D.Items)
        if (auto *n = dynamic_cast<const TNameRect *>(item.get()); n && !n->IsSender())
            return n;
    return nullptr;
}

TAddressData senderRecord()
{
    TAddressData s;
    s.NameKanji = Cp932::encode(QStringLiteral("差出 太郎"));
    s.Pos = QByteArrayLiteral("1000014");
    s.Tdfkn = Cp932::encode(QStringLiteral("東京都"));
    s.Adrs1 = Cp932::encode(QStringLiteral("千代田区永田町"));
    s.PrivCorp = true;
    return s;
}

class PaperChoice : public ::testing::Test
{
protected:
    void SetUp() override
    {
        host.Sender = AddressTextOf(senderRecord());
    }
    ScopedCatalogues catalogues;
    SampleBook book;
    FakeHost host{book.table};
    ScriptedMessageBoxes boxes;
};

// ---- The design paper's orientation ---------------------------------------

TEST_F(PaperChoice, aLandscapeDesignPaperPrintsLandscape)
{
    TDesignForm editor(nullptr, host);
    editor.ExecDialog = okAfter([](QDialog &D) {
        auto *kind = child<QComboBox>(D, "cbxKind");
        kind->setCurrentIndex(1);
        emit kind->activated(1);
        child<QRadioButton>(D, "rbHorz")->click();
    });
    editor.findChild<QAction *>(QStringLiteral("actNew"))->trigger();
    ASSERT_GT(editor.Document().Format.Width, editor.Document().Format.Height);
    EXPECT_GT(editor.Document().PiecePixels().width(), editor.Document().PiecePixels().height());

    QTemporaryDir out;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(out.filePath(QStringLiteral("landscape.pdf")));
    printer.setResolution(72);
    QString error;
    ASSERT_TRUE(editor.PrintRecords(printer, {0}, {}, &error)) << qPrintable(error);
    EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Landscape);
    const QList<QImage> pages = renderPdf(printer.outputFileName(), 20);
    if (pages.isEmpty())
        GTEST_SKIP() << "pdftoppm is not installed";
    EXPECT_GT(pages.first().width(), pages.first().height());
}

// Every design paper of the catalogue, upright and landscape: the page is
// as wide as the paper stands, and the printer gets it turned exactly when
// it is landscape.
class DesignPaper : public PaperChoice, public ::testing::WithParamInterface<int>
{
};

TEST_P(DesignPaper, printsAsItStands)
{
    TDesignCatalogue designs;
    ASSERT_TRUE(designs.load(DesignCataloguePath(), nullptr));
    ASSERT_LT(GetParam(), designs.Records.size());
    const TDesignFormat &paper = designs.Records.at(GetParam());
    TDesignForm editor(nullptr, host);
    ASSERT_TRUE(editor.NewLayout(GetParam()));
    const QSize page = editor.Document().PiecePixels();
    EXPECT_EQ(page.width() > page.height(), paper.Landscape != 0);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    SetupPrinterPage(printer, editor.Document());
    EXPECT_EQ(printer.pageLayout().orientation() == QPageLayout::Landscape, paper.Landscape != 0);
    EXPECT_EQ(printer.width() > printer.height(), paper.Landscape != 0);
}

INSTANTIATE_TEST_SUITE_P(Catalogue, DesignPaper, ::testing::Range(0, 8));

// ---- The label sheet's data side ------------------------------------------

TEST_F(PaperChoice, theSheetDialogsSenderSideFillsTheLabelsFromTheSender)
{
    TLabelForm editor(nullptr, host);
    editor.ExecDialog = okAfter([](QDialog &D) { child<QRadioButton>(D, "rbLblSender")->click(); });
    editor.findChild<QAction *>(QStringLiteral("actNew"))->trigger();
    EXPECT_TRUE(editor.MergesSender());
    const TNameRect *name = addresseeName(editor.Document());
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->GetName(), QStringLiteral("差出 太郎"));
    // The list's records no longer reach the labels.
    host.Current = 2;
    editor.NotifyCurrentRecordChanged();
    EXPECT_EQ(addresseeName(editor.Document())->GetName(), QStringLiteral("差出 太郎"));

    // Kept in the file, and offered again by the dialog.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("return.gpa"));
    ASSERT_TRUE(editor.SaveFile(path));
    TLabelForm reopened(nullptr, host);
    ASSERT_TRUE(reopened.OpenFile(path));
    EXPECT_TRUE(reopened.MergesSender());
    bool offered = false;
    reopened.ExecDialog = [&offered](QDialog &D) {
        offered = child<QRadioButton>(D, "rbLblSender")->isChecked();
        return int(QDialog::Rejected);
    };
    reopened.findChild<QAction *>(QStringLiteral("actNew"))->trigger();
    EXPECT_TRUE(offered);
}

TEST_F(PaperChoice, aCardOfTheAddresseeSideTakesTheListsRecord)
{
    TLabelForm editor(nullptr, host);
    editor.SetCardMode(true);
    EXPECT_TRUE(editor.MergesSender());
    editor.ExecDialog = okAfter([](QDialog &D) { child<QRadioButton>(D, "rbCrdAdrs")->click(); });
    editor.findChild<QAction *>(QStringLiteral("actNew"))->trigger();
    EXPECT_FALSE(editor.MergesSender());
    const TNameRect *name = addresseeName(editor.Document());
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->GetName(), QStringLiteral("山田 太郎"));
}

// A card file written before the data side was kept opens on the sender,
// as cards always were; a label file of that time on the addressee.
struct OldFileCase {
    const char *name;
    TLayoutKind kind;
    int format;
    bool sender;
};

class OldFileDataSide : public PaperChoice, public ::testing::WithParamInterface<OldFileCase>
{
};

TEST_P(OldFileDataSide, opensOnTheKindsOwnSide)
{
    TLayoutDocument d;
    loadLayout(d, GetParam().format, GetParam().kind);
    d.SenderAsAddressee = !GetParam().sender;
    QByteArray bytes = EncodePrintData(d);
    // The data side byte of the header (after the item stream version 600,
    // the container version 2, the kind and the frame set): zero in the
    // files of that time.
    const QByteArray header = QByteArray::fromHex("5802000002000000") + char(GetParam().kind) + '\0';
    const qsizetype at = bytes.indexOf(header);
    ASSERT_GT(at, 0);
    const qsizetype side = at + header.size();
    ASSERT_NE(bytes[side], '\0');
    bytes[side] = '\0';
    TLayoutDocument read;
    QString error;
    ASSERT_TRUE(DecodePrintData(bytes, read, &error)) << qPrintable(error);
    EXPECT_EQ(read.SenderAsAddressee, GetParam().sender);
}

INSTANTIATE_TEST_SUITE_P(Kinds, OldFileDataSide,
                         ::testing::Values(OldFileCase{"card", TLayoutKind::Card, 0, true},
                                           OldFileCase{"label", TLayoutKind::Label, 24, false},
                                           OldFileCase{"postcard", TLayoutKind::AddressSide, 0, false}),
                         rowName);

// ---- The address side's sender mode ---------------------------------------

TEST_F(PaperChoice, aPostcardAddressedToTheSenderTakesTheSenderAndItsHonorific)
{
    TLayoutForm editor(nullptr, host);
    TLabelGrid grid;
    editor.SetLayout(0, catalogueFormat(0, &grid), grid);
    ASSERT_EQ(addresseeName(editor.Document())->GetName(), QStringLiteral("山田 太郎"));
    QAction *mode = editor.findChild<QAction *>(QStringLiteral("actSenderMode"));
    ASSERT_NE(mode, nullptr);
    mode->trigger();
    EXPECT_EQ(editor.DataMode(), TLayoutForm::SenderDataMode);
    EXPECT_TRUE(editor.IsChanged());
    const TNameRect *name = addresseeName(editor.Document());
    EXPECT_EQ(name->GetName(), QStringLiteral("差出 太郎"));
    EXPECT_EQ(name->GetHonor(), QStringLiteral("行"));
    mode->trigger();
    EXPECT_EQ(editor.DataMode(), 0);
    EXPECT_EQ(addresseeName(editor.Document())->GetName(), QStringLiteral("山田 太郎"));
}

// A postcard addressed to the sender stays so on another paper; a new
// postcard starts addressed to the list's records.
struct ModeCase {
    const char *name;
    const char *command;
    int mode;
};

class PostcardMode : public PaperChoice, public ::testing::WithParamInterface<ModeCase>
{
};

TEST_P(PostcardMode, followsTheCommand)
{
    TLayoutForm editor(nullptr, host);
    TLabelGrid grid;
    editor.SetLayout(0, catalogueFormat(0, &grid), grid);
    editor.SetDataMode(TLayoutForm::SenderDataMode);
    editor.ExecDialog = okAfter([](QDialog &) {});
    boxes.enqueue(IDNO); // the layout changed: not saved
    editor.findChild<QAction *>(QLatin1String(GetParam().command))->trigger();
    ASSERT_EQ(editor.Document().Format.PaperKind(), TPaperKind::Postcard);
    EXPECT_EQ(editor.DataMode(), GetParam().mode);
}

INSTANTIATE_TEST_SUITE_P(Commands, PostcardMode,
                         ::testing::Values(ModeCase{"change", "actChangePaper", TLayoutForm::SenderDataMode},
                                           ModeCase{"new", "actNew", 0}),
                         rowName);

TEST_F(PaperChoice, anEnvelopesSenderSideIsTheSenderMode)
{
    TLayoutForm editor(nullptr, host);
    editor.ExecDialog = okAfter([](QDialog &D) {
        auto *kind = child<QComboBox>(D, "cbxPaperKind");
        kind->setCurrentIndex(1);
        emit kind->activated(1);
        child<QRadioButton>(D, "rbEnvSender")->click();
    });
    editor.findChild<QAction *>(QStringLiteral("actNew"))->trigger();
    ASSERT_EQ(editor.Document().Format.PaperKind(), TPaperKind::Envelope);
    EXPECT_EQ(editor.DataMode(), TLayoutForm::SenderDataMode);
    EXPECT_TRUE(editor.findChild<QAction *>(QStringLiteral("actSenderMode"))->isChecked());
}

// ---- Changing the paper of the open layout ---------------------------------

TEST_F(PaperChoice, theSheetOfAnOpenLabelLayoutIsChangedKeepingTheUsersItems)
{
    TLabelForm editor(nullptr, host);
    TLabelGrid grid;
    editor.SetLayout(24, catalogueFormat(24, &grid), grid);
    auto figure = std::make_unique<TFigureRect>();
    figure->SetRect({5, 5, 25, 25});
    (void)editor.InsertItem(std::move(figure));
    const int frames = int(editor.Document().Items.size()) - 1;
    editor.Document().Items[0]->SetVisible(false);
    QString caption;
    int chosen = -1;
    editor.ExecDialog = okAfter(
        [&chosen](QDialog &D) {
            auto *list = child<QListWidget>(D, "lbLabel");
            list->setCurrentRow(list->count() - 1);
            chosen = list->currentRow();
        },
        &caption);
    QAction *change = editor.findChild<QAction *>(QStringLiteral("actChangePaper"));
    ASSERT_NE(change, nullptr);
    change->trigger();
    EXPECT_EQ(caption, QStringLiteral("用紙の変更"));
    ASSERT_GT(chosen, 0);
    EXPECT_NE(editor.Document().FormatIndex, 24);
    EXPECT_TRUE(editor.IsChanged());
    const auto &items = editor.Document().Items;
    ASSERT_FALSE(items.empty());
    EXPECT_NE(dynamic_cast<const TFigureRect *>(items.back().get()), nullptr);
    EXPECT_FALSE(items[0]->IsVisible());
    // The new sheet's own frames, then the figure.
    TLayoutDocument fresh;
    loadLayout(fresh, editor.Document().FormatIndex, TLayoutKind::Label);
    EXPECT_EQ(items.size(), fresh.Items.size() + 1);
    EXPECT_NE(frames, 0);
}

TEST_F(PaperChoice, aNewLayoutIsStillANewOne)
{
    TDesignForm editor(nullptr, host);
    QString caption;
    editor.ExecDialog = okAfter([](QDialog &) {}, &caption);
    editor.findChild<QAction *>(QStringLiteral("actNew"))->trigger();
    EXPECT_NE(caption, QStringLiteral("用紙の変更"));
    editor.findChild<QAction *>(QStringLiteral("actChangePaper"))->trigger();
    EXPECT_EQ(caption, QStringLiteral("用紙の変更"));
}

// ---- The customer barcode on a sheet too small for it ----------------------

// A label sheet whose piece cannot carry the smallest barcode, and one that
// can: the page prints it exactly when the sheet dialog and the additional
// information dialog allow it.
struct BarcodeCase {
    const char *name;
    bool fits;
};

class SheetBarcode : public PaperChoice, public ::testing::WithParamInterface<BarcodeCase>
{
};

TEST_P(SheetBarcode, thePageAndTheDialogsAgree)
{
    TLabelForm editor(nullptr, host);
    // The first label sheet with a barcode frame of the wanted kind.
    int format = -1;
    for (int i = 0; i < catalogues.Layouts.Records.size() && format < 0; ++i) {
        const TLayoutFormat &f = catalogues.Layouts.Records.at(i);
        int size = 0;
        if (f.PaperKind() != TPaperKind::Label || BarcodeSizeForLength(PaperFmt::barcodeAxisLength(f), size) != GetParam().fits)
            continue;
        TLayoutDocument d;
        loadLayout(d, i, TLayoutKind::Label);
        if (barcodeOf(d) >= 0)
            format = i;
    }
    ASSERT_GE(format, 0) << "no such sheet in the catalogue";
    bool sheetWarns = false;
    editor.ExecDialog = [&](QDialog &D) {
        // The sheet dialog opens on the layout's own sheet.
        sheetWarns = child<QWidget>(D, "pnlNoBarcode")->isVisibleTo(&D);
        child<QPushButton>(D, "btnOK")->click();
        return D.result();
    };
    TLabelGrid grid;
    editor.SetLayout(format, catalogueFormat(format, &grid), grid);
    editor.findChild<QAction *>(QStringLiteral("actChangePaper"))->trigger();
    EXPECT_EQ(sheetWarns, !GetParam().fits);
    const int bar = barcodeOf(editor.Document());
    ASSERT_GE(bar, 0);
    EXPECT_EQ(editor.Document().Items[size_t(bar)]->IsVisible(), GetParam().fits);

    bool offered = false;
    editor.ExecDialog = [&offered](QDialog &D) {
        offered = child<QCheckBox>(D, "ckbBarcode")->isEnabled();
        return int(QDialog::Rejected);
    };
    editor.findChild<QAction *>(QStringLiteral("actAddition"))->trigger();
    EXPECT_EQ(offered, GetParam().fits);

    // The printed sheet: the barcode's ink is there only where it fits.
    TPrintLoop loop(editor.Document(), TableRecordSource(book.table));
    QList<QImage> pages;
    ASSERT_TRUE(loop.RunToImages({150, 150}, {1}, {}, pages, nullptr));
    ASSERT_EQ(pages.size(), 1);
    const TPageRect r = editor.Document().Items[size_t(bar)]->GetRect();
    const QRect cell = editor.Document().CellRect(0);
    auto dots = [](int Px) { return Px * 150 / 96; };
    const QRect area(dots(r.Left) + cell.left() * 150 / 254, dots(r.Top) + cell.top() * 150 / 254, dots(r.width()),
                     dots(r.height()));
    EXPECT_EQ(inkIn(pages.first(), area) > 0, GetParam().fits);
}

INSTANTIATE_TEST_SUITE_P(Sheets, SheetBarcode,
                         ::testing::Values(BarcodeCase{"tooSmall", false}, BarcodeCase{"fits", true}), rowName);

} // namespace
