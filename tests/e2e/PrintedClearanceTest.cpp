// Blank round the customer barcode and every glyph inside its frame, the way
// a user meets them: records typed into the record form (names without a
// blank, long titles, departments, honorifics, joint names), printed through
// the print wizard to a PDF file, the pages rendered back and measured.
// Japan Post reads the bars with 2 mm of blank round them and only 10 mm and
// more inside the edges of the piece; bars nearer an edge are asked about
// before anything is printed.
#include "PrintedInk.h"
#include "UserRoad.h"
#include "dialogs/CstmLyt.h"
#include "dialogs/LytFmt.h"
#include "items/BarRect.h"
#include "support/PostBars.h"

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>

#include <cmath>
#include <ostream>
#include <string>
#include <vector>

namespace {

constexpr double kClearMm = 2.0;
constexpr int kDpi = 200;

int dots(double Mm)
{
    return int(std::lround(Mm / 25.4 * kDpi));
}

double mm(int Dots)
{
    return Dots * 25.4 / kDpi;
}

QString u(const char16_t *s)
{
    return QString::fromUtf16(s);
}

// The addressee of the report: a person at a company, the name without a
// blank between family and given name, a short title before it.
TTypedRecord kitamura()
{
    TTypedRecord r;
    r.Name = u(u"北村勝");
    r.Corp = u(u"株式会社ピクス");
    r.Dptmnt = u(u"営業部");
    r.Post = u(u"係長");
    r.Pos = QStringLiteral("5300001");
    r.Tdfkn = u(u"大阪府");
    r.Adrs1 = u(u"大阪市北区梅田三丁目１番３号");
    return r;
}

// A mailing of the names and honorifics that fill a frame to its end.
std::vector<TTypedRecord> mailing()
{
    std::vector<TTypedRecord> m{kitamura()};
    TTypedRecord chief = TokyoPerson();
    chief.Name = u(u"長谷川部 五郎左衛門之助");
    chief.Honor = u(u"殿");
    chief.Corp = u(u"株式会社ピクス");
    chief.Dptmnt = u(u"第一営業本部　東日本営業部");
    chief.Post = u(u"代表取締役社長");
    chief.Adrs2 = u(u"永田町グランドビルディング１２３４号室");
    m.push_back(chief);
    TTypedRecord office;
    office.Corp = u(u"独立行政法人　国立研究開発法人　情報通信研究機構");
    office.Dptmnt = u(u"総務部");
    office.Honor = u(u"御中");
    office.Pos = QStringLiteral("0600001");
    office.Tdfkn = u(u"北海道");
    office.Adrs1 = u(u"札幌市中央区北一条西二丁目１２３４番地");
    m.push_back(office);
    TTypedRecord family = TokyoPerson();
    family.Name = u(u"北村勝");
    family.Joints = {u(u"花子"), u(u"五郎左衛門之助"), u(u"桜"), u(u"一郎"), u(u"和子")};
    family.Adrs2 = u(u"永田町ハイツ五〇一号室");
    m.push_back(family);
    // Every field as long as the record form lets it be typed.
    TTypedRecord longest;
    longest.Name = u(u"長谷川部 五郎左衛門之助太郎丸");
    longest.Honor = u(u"先生御侍史");
    longest.Corp = u(u"一般社団法人　日本郵便番号簿利用者協議会　東日本地区連絡会事務局　第一分室　株式会社ピクスシステムズ東京本部内");
    longest.Dptmnt = u(u"第一営業本部　東日本営業部　関東営業所　首都圏第二営業課　法人営業第三係　特販担当　第四グループ");
    longest.Post = u(u"代表取締役社長兼最高経営責任者兼営業本部長代理補佐");
    longest.Tdfkn = u(u"神奈川県");
    longest.Pos = QStringLiteral("2310023");
    longest.Adrs1 = u(u"横浜市中区山下町一丁目７番１０号");
    longest.Adrs2 = u(u"横浜グランドビルディング東館西ウイング北側低層階エレベーターホール前１２３４号室");
    longest.Adrs3 = u(u"株式会社ピクスシステムズ関東支社総務部内　郵便物受付センター　第二集配室　私書箱係気付　担当者宛て");
    m.push_back(longest);
    return m;
}

class PrintedClearance : public DictionaryRoadFixture
{
protected:
    void typeAll(const std::vector<TTypedRecord> &Records)
    {
        for (const TTypedRecord &r : Records)
            ASSERT_NO_FATAL_FAILURE(typeRecord(r));
        QList<int> rows;
        for (int i = 0; i < int(Records.size()); ++i)
            rows.append(i);
        selectRows(rows);
    }

    // The warning questions the print command asked.
    int barsQuestions() const
    {
        int n = 0;
        for (const TMessageBoxRequest &b : boxes.shown())
            n += b.text.contains(QStringLiteral("カスタマバーコード")) ? 1 : 0;
        return n;
    }
};

// The bars of a piece printed at kDpi, found round where the layout put them
// (Laid, in millimetres on the page), and the nearest other ink within 3 mm
// of them in millimetres (more than 3 when there is none).
struct TBarsClearance {
    QRect Bars;
    double Nearest = 0;
    QString Where;
};

TBarsClearance clearanceOf(const QImage &Page, const QRectF &Laid)
{
    TBarsClearance c;
    c.Bars = InkAround(Page, Laid, kDpi);
    if (c.Bars.isEmpty())
        return c;
    const int reach = dots(3);
    int nearest = reach + 1;
    const QImage rgb = Page.convertToFormat(QImage::Format_RGB32);
    const QRect around = c.Bars.adjusted(-reach, -reach, reach, reach).intersected(rgb.rect());
    for (int y = around.top(); y <= around.bottom(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        for (int x = around.left(); x <= around.right(); ++x)
            if (!c.Bars.contains(x, y) && isInk(line[x]))
                nearest = std::min(nearest, std::max({c.Bars.top() - y, y - c.Bars.bottom(), c.Bars.left() - x,
                                                      x - c.Bars.right()}));
    }
    // The gap between the last dot of the bars and the first of the other ink.
    c.Nearest = mm(nearest - 1);
    c.Where = QStringLiteral("bars (%1, %2)-(%3, %4) mm")
                  .arg(mm(c.Bars.left()), 0, 'f', 1)
                  .arg(mm(c.Bars.top()), 0, 'f', 1)
                  .arg(mm(c.Bars.right() + 1), 0, 'f', 1)
                  .arg(mm(c.Bars.bottom() + 1), 0, 'f', 1);
    return c;
}

const TDrawRect *visibleBarcode(const TLayoutDocument &Document)
{
    for (size_t i = 0; i < Document.Items.size(); ++i)
        if (Document.Items[i]->GetKind() == TDrawRectKind::Barcode && Document.Items[i]->IsVisible() &&
            Document.OnPrintedSide(i))
            return Document.Items[i].get();
    return nullptr;
}

// ---- The report's addressee on the vertical postcard ------------------------

class PrintedNameBeforeBars : public PrintedClearance, public ::testing::WithParamInterface<bool>
{
};

// 北村勝 at a company with the title 係長: the honorific after the name's
// last character ends inside the name's frame, 2 mm and more above the bars.
TEST_P(PrintedNameBeforeBars, honorificEndsTwoMillimetresAboveTheBars)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
        GTEST_SKIP() << "pdftoppm is not installed";
    ASSERT_NO_FATAL_FAILURE(typeAll({kitamura()}));
    TPrintEditor *editor = openEditor("actLayoutPrint", TPrintEditorKind::AddressSide, 0);
    ASSERT_NE(editor, nullptr);
    if (GetParam()) {
        ASSERT_NO_FATAL_FAILURE(switchToDetailedFrames(*editor));
    }
    ASSERT_TRUE(runPrintWizard(*editor));
    const QList<QImage> pages = renderPdf(pdfFile(), kDpi);
    ASSERT_EQ(pages.size(), 1);
    const TDrawRect *bar = visibleBarcode(editor->Document());
    ASSERT_NE(bar, nullptr);
    const TBarsClearance c = clearanceOf(pages[0], ItemMm(*bar));
    ASSERT_FALSE(c.Bars.isEmpty()) << "no bars printed";
    EXPECT_GE(c.Nearest, kClearMm) << c.Where.toStdString();
    // The name's ink, the column above the bars, ends inside its frame.
    for (size_t i = 0; i < editor->Document().Items.size(); ++i) {
        const TDrawRect &item = *editor->Document().Items[i];
        if (item.GetKind() != TDrawRectKind::RecipientName || !item.IsVisible())
            continue;
        const QRectF frame = ItemMm(item);
        // Down to just short of the bars, 2 mm below the frame.
        const QRectF ink = InkBox(pages[0], kDpi, MmToDots(frame.adjusted(0, 0, 0, 1.8), kDpi));
        if (!ink.isEmpty()) {
            EXPECT_LE(ink.bottom(), frame.bottom() + 25.4 / kDpi) << "name frame ends at " << frame.bottom() << " mm";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(VerticalPostcard, PrintedNameBeforeBars, ::testing::Bool(),
                         [](const auto &Info) { return std::string(Info.param ? "detailedSet" : "simpleSet"); });

// ---- Every postcard and envelope ----------------------------------------------

struct PaperCase {
    int Paper;
    bool Detail;
};

void PrintTo(const PaperCase &Case, std::ostream *Out)
{
    *Out << "paper " << Case.Paper << (Case.Detail ? ", detailed set" : ", simple set");
}

class PrintedInsideFrames : public PrintedClearance, public ::testing::WithParamInterface<PaperCase>
{
};

// The mailing on every postcard and envelope in both frame sets: no ink
// outside the frames the layout prints (each glyph inside its own frame
// reaches no blank of the piece), 2 mm of blank round the bars, and no
// question about the bars, which the default frames keep 10 mm inside.
TEST_P(PrintedInsideFrames, everyGlyphInsideAFrameAndTheBarsClear)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
        GTEST_SKIP() << "pdftoppm is not installed";
    const std::vector<TTypedRecord> records = mailing();
    ASSERT_NO_FATAL_FAILURE(typeAll(records));
    TPrintEditor *editor = openEditor("actLayoutPrint", TPrintEditorKind::AddressSide, GetParam().Paper);
    ASSERT_NE(editor, nullptr);
    ASSERT_NO_FATAL_FAILURE(enterSender(*editor, true));
    if (GetParam().Detail) {
        ASSERT_NO_FATAL_FAILURE(switchToDetailedFrames(*editor));
    }
    ASSERT_TRUE(runPrintWizard(*editor));
    EXPECT_EQ(barsQuestions(), 0);
    const QList<QImage> pages = renderPdf(pdfFile(), kDpi);
    ASSERT_EQ(pages.size(), qsizetype(records.size()));
    const TLayoutDocument &doc = editor->Document();
    // Where the frames are, a dot of rasterising round each.
    QImage frames(pages[0].size(), QImage::Format_Grayscale8);
    frames.fill(0);
    for (size_t i = 0; i < doc.Items.size(); ++i) {
        if (!doc.Items[i]->IsVisible() || !doc.OnPrintedSide(i))
            continue;
        const QRect r = MmToDots(ItemMm(*doc.Items[i]), kDpi).adjusted(-1, -1, 1, 1).intersected(frames.rect());
        for (int y = r.top(); y <= r.bottom(); ++y)
            std::fill_n(frames.scanLine(y) + r.left(), r.width(), uchar(255));
    }
    const TDrawRect *bar = visibleBarcode(doc);
    ASSERT_NE(bar, nullptr);
    for (qsizetype p = 0; p < pages.size(); ++p) {
        SCOPED_TRACE(QStringLiteral("record %1 (%2%3)")
                         .arg(p + 1)
                         .arg(records[size_t(p)].Corp, records[size_t(p)].Name)
                         .toStdString());
        const QImage rgb = pages[p].convertToFormat(QImage::Format_RGB32);
        QRect outside;
        for (int y = 0; y < rgb.height(); ++y) {
            const auto *line = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
            const uchar *inFrame = frames.constScanLine(y);
            for (int x = 0; x < rgb.width(); ++x)
                if (!inFrame[x] && isInk(line[x]))
                    outside |= QRect(x, y, 1, 1);
        }
        EXPECT_TRUE(outside.isEmpty()) << "ink outside the frames at (" << mm(outside.left()) << ", "
                                       << mm(outside.top()) << ")-(" << mm(outside.right() + 1) << ", "
                                       << mm(outside.bottom() + 1) << ") mm";
        const TBarsClearance c = clearanceOf(pages[p], ItemMm(*bar));
        if (c.Bars.isEmpty())
            continue; // a record without a code (none in this mailing) prints no bars
        EXPECT_EQ(barsInImage(pages[p], c.Bars).size(), 67) << c.Where.toStdString();
        EXPECT_GE(c.Nearest, kClearMm) << c.Where.toStdString();
    }
}

// A sample of the pieces, each frame set a different arrangement: the
// vertical and horizontal postcards, 長形3号 upright in both writings, the
// narrow 長形4号 whose bars run down the left, 洋形2号 on its side. (The
// text items themselves are checked on every kind of text and frame by the
// item tests; the PDF is the expensive part.)
std::vector<PaperCase> postalPapers()
{
    std::vector<PaperCase> cases;
    for (int paper = 0; paper <= 13; ++paper)
        for (bool detail : {false, true})
            cases.push_back({paper, detail});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(EveryPostalPaper, PrintedInsideFrames, ::testing::ValuesIn(postalPapers()),
                         paperRowName);

// ---- Labels -------------------------------------------------------------------

class PrintedLabelsBeforeBars : public PrintedClearance, public ::testing::WithParamInterface<PaperCase>
{
};

// The mailing on address labels that carry the barcode, every label of the
// sheet: nothing printed within 2 mm of its bars. A person with five joint
// names fills the name frame across with six lines; on the wide label's
// detailed set that frame ends where the bars' frame begins, so its last
// line stands 2 mm off the bars only where the label frames leave room.
TEST_P(PrintedLabelsBeforeBars, nothingWithinTwoMillimetresOfEachLabelsBars)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
        GTEST_SKIP() << "pdftoppm is not installed";
    const std::vector<TTypedRecord> records = mailing();
    ASSERT_NO_FATAL_FAILURE(typeAll(records));
    TPrintEditor *editor = openEditor("actLabelPrint", TPrintEditorKind::Label, GetParam().Paper);
    ASSERT_NE(editor, nullptr);
    if (GetParam().Detail) {
        ASSERT_NO_FATAL_FAILURE(switchToDetailedFrames(*editor));
    }
    ASSERT_TRUE(runPrintWizard(*editor));
    EXPECT_EQ(barsQuestions(), 0) << "a label's edges are not the piece's";
    const QList<QImage> pages = renderPdf(pdfFile(), kDpi);
    ASSERT_EQ(pages.size(), 1);
    const TLayoutDocument &doc = editor->Document();
    const TDrawRect *bar = visibleBarcode(doc);
    if (!bar)
        GTEST_SKIP() << "the label carries no barcode";
    const QRectF laid = ItemMm(*bar);
    const QSizeF piece(doc.Format.Width / 10.0, doc.Format.Height / 10.0);
    for (int cell = 0; cell < int(records.size()); ++cell) {
        SCOPED_TRACE(QStringLiteral("label %1").arg(cell + 1).toStdString());
        const QRect c = doc.CellRect(cell);
        const QPointF at(c.left() / 10.0, c.top() / 10.0);
        // A label used upright stands turned on the sheet: (x, y) of the
        // piece lands at (cell width - y, x).
        const bool turned = c.width() != doc.Format.Width && c.width() == doc.Format.Height;
        const QRectF onSheet = turned ? QRectF(QPointF(at.x() + piece.height() - laid.bottom(), at.y() + laid.left()),
                                               QSizeF(laid.height(), laid.width()))
                                      : laid.translated(at);
        const TBarsClearance bars = clearanceOf(pages[0], onSheet);
        ASSERT_FALSE(bars.Bars.isEmpty()) << "no bars on the label";
        EXPECT_GE(bars.Nearest, kClearMm) << bars.Where.toStdString();
    }
}

// Every address label, wide and tall, both sets (a label too small for a
// barcode prints none, and there is nothing to measure).
std::vector<PaperCase> addressLabels()
{
    std::vector<PaperCase> cases;
    for (int paper = 14; paper <= 23; ++paper)
        for (bool detail : {false, true})
            cases.push_back({paper, detail});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(AddressLabels, PrintedLabelsBeforeBars,
                         ::testing::ValuesIn(addressLabels()), paperRowName);

// ---- Bars near an edge ----------------------------------------------------------

class BarsNearAnEdge : public PrintedClearance
{
protected:
    // 書式 → 付加情報: the barcode's size chosen (0 to 3 for 8 to 11 points).
    static void chooseBarSize(TPrintEditor &Editor, int Index)
    {
        Editor.ExecDialog = [Index](QDialog &Dialog) {
            auto *size = Dialog.findChild<QComboBox *>(QStringLiteral("cbxBarSize"));
            EXPECT_NE(size, nullptr);
            if (size)
                size->setCurrentIndex(Index);
            press(&Dialog, "btnOK");
            return Dialog.result();
        };
        Editor.findChild<QAction *>(QStringLiteral("actAddition"))->trigger();
    }
    // ファイル → 用紙の変更: a paper of the user's own, registered from the
    // paper shown with the width typed, and chosen. The paper dialog reads
    // the catalogue of the program folder, which the build writes beside
    // the dictionary libraries.
    static void chooseOwnPaper(TPrintEditor &Editor, const QString &Width)
    {
        QFile::link(QStringLiteral(MURVEN_DIC_LIB_DIR "Common"), AppPath + QStringLiteral("Common"));
        Editor.ExecDialog = [Width](QDialog &Dialog) {
            auto *papers = dynamic_cast<TNewLayoutDialog *>(&Dialog);
            EXPECT_NE(papers, nullptr);
            if (!papers)
                return int(QDialog::Rejected);
            papers->ExecCustomFormat = [Width](TCustomLayoutFormatDialog &Custom) {
                Custom.show();
                EXPECT_TRUE(QTest::qWaitForWindowExposed(&Custom));
                typeIn(&Custom, "edName", QStringLiteral("特注はがき"));
                auto *width = Custom.findChild<QLineEdit *>(QStringLiteral("edPaperWidth"));
                EXPECT_NE(width, nullptr);
                if (width) {
                    width->setText(Width);
                    emit width->editingFinished();
                }
                press(&Custom, "btnOK");
                return Custom.result();
            };
            Dialog.show();
            EXPECT_TRUE(QTest::qWaitForWindowExposed(&Dialog));
            press(&Dialog, "bbtnPstAdd");
            press(&Dialog, "btnOK");
            return Dialog.result();
        };
        Editor.findChild<QAction *>(QStringLiteral("actChangePaper"))->trigger();
    }

    // The bars' distance from the nearest edge of the printed page, in mm.
    double printedBarsFromEdge(TPrintEditor &Editor)
    {
        const QList<QImage> pages = renderPdf(pdfFile(), kDpi);
        EXPECT_EQ(pages.size(), 1);
        const TDrawRect *bar = visibleBarcode(Editor.Document());
        if (pages.size() != 1 || !bar)
            return -1;
        const QRect ink = InkAround(pages[0], ItemMm(*bar), kDpi);
        EXPECT_EQ(barsInImage(pages[0], ink).size(), 67);
        const QSizeF page(Editor.Document().Format.Width / 10.0, Editor.Document().Format.Height / 10.0);
        return std::min({mm(ink.left()), mm(ink.top()), page.width() - mm(ink.right() + 1),
                         page.height() - mm(ink.bottom() + 1)});
    }

    // The question the print command asked about the bars, or none.
    const TMessageBoxRequest *question() const
    {
        for (const TMessageBoxRequest &b : boxes.shown())
            if (b.text.contains(QStringLiteral("カスタマバーコード")))
                return &b;
        return nullptr;
    }
};

// Bars enlarged to 10 points on the horizontal postcard reach 7.9 mm from
// its left edge: printing asks, and stopping prints nothing.
TEST_F(BarsNearAnEdge, enlargedBarsAskAndStoppingPrintsNothing)
{
    ASSERT_NO_FATAL_FAILURE(typeAll({kitamura()}));
    TPrintEditor *editor = openEditor("actLayoutPrint", TPrintEditorKind::AddressSide, 1);
    ASSERT_NE(editor, nullptr);
    ASSERT_NO_FATAL_FAILURE(chooseBarSize(*editor, 2));
    boxes.enqueue(IDNO);
    EXPECT_TRUE(runPrintWizard(*editor));
    const TMessageBoxRequest *asked = question();
    ASSERT_NE(asked, nullptr) << "printing asked nothing";
    EXPECT_TRUE(asked->text.contains(QStringLiteral(" 7.9 mm "))) << asked->text.toStdString();
    EXPECT_EQ(asked->flags & 0xF0, unsigned(MB_ICONWARNING));
    EXPECT_FALSE(QFileInfo::exists(pdfFile())) << "stopping printed the run";
}

// Going on prints the bars where the question said.
TEST_F(BarsNearAnEdge, enlargedBarsPrintWhereTheQuestionSaidWhenTheUserGoesOn)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
        GTEST_SKIP() << "pdftoppm is not installed";
    ASSERT_NO_FATAL_FAILURE(typeAll({kitamura()}));
    TPrintEditor *editor = openEditor("actLayoutPrint", TPrintEditorKind::AddressSide, 1);
    ASSERT_NE(editor, nullptr);
    ASSERT_NO_FATAL_FAILURE(chooseBarSize(*editor, 2));
    boxes.enqueue(IDYES);
    EXPECT_TRUE(runPrintWizard(*editor));
    ASSERT_NE(question(), nullptr);
    ASSERT_TRUE(QFileInfo::exists(pdfFile()));
    const double printed = printedBarsFromEdge(*editor);
    EXPECT_NEAR(printed, 7.9, 0.2);
    EXPECT_LT(printed, 10.0);
}

// A postcard of the user's own 90 mm wide keeps its bars' size: they come
// within 10 mm of the right edge, and printing asks; the default 8-point
// bars on the paper of the catalogue ask nothing.
TEST_F(BarsNearAnEdge, ownPaperSizeAsksAndStoppingPrintsNothing)
{
    ASSERT_NO_FATAL_FAILURE(typeAll({kitamura()}));
    TPrintEditor *editor = openEditor("actLayoutPrint", TPrintEditorKind::AddressSide, 0);
    ASSERT_NE(editor, nullptr);
    ASSERT_NO_FATAL_FAILURE(chooseOwnPaper(*editor, QStringLiteral("90")));
    ASSERT_EQ(editor->Document().Format.Width, 900);
    boxes.enqueue(IDNO);
    EXPECT_TRUE(runPrintWizard(*editor));
    const TMessageBoxRequest *asked = question();
    ASSERT_NE(asked, nullptr) << "printing asked nothing";
    EXPECT_FALSE(QFileInfo::exists(pdfFile())) << "stopping printed the run";
}

TEST_F(BarsNearAnEdge, catalogueFramesAskNothing)
{
    ASSERT_NO_FATAL_FAILURE(typeAll({kitamura()}));
    TPrintEditor *editor = openEditor("actLayoutPrint", TPrintEditorKind::AddressSide, 1);
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(runPrintWizard(*editor));
    EXPECT_EQ(question(), nullptr);
    EXPECT_TRUE(QFileInfo::exists(pdfFile()));
}

} // namespace
