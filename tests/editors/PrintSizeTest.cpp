// Every item kind prints at its layout size and place, at any printer
// resolution: one item per layout, the book's record merged into it,
// printed through the editor's print wizard to a PDF at the printer's
// resolution and through the print loop onto page images at that
// resolution; the ink is measured on the output against the item's
// rectangle on the page.
#include "PrintedInk.h"
#include "editors/DesignForm.h"
#include "editors/LabelForm.h"
#include "editors/LayoutForm.h"
#include "items/AdditionRect.h"
#include "items/BarRect.h"
#include "items/FigureRect.h"
#include "items/IllustRect.h"
#include "items/SenderRect.h"
#include "items/WordRect.h"
#include "items/CorpRect.h"

#include <map>
#include <tuple>
#include <vector>
#include <memory>

namespace {

enum class TItem {
    Postcode,
    Address,
    Name,
    Company,
    Barcode,
    SenderPostcode,
    SenderAddress,
    SenderName,
    Addition,
    Word,
    Picture,
    Figure,
    QRCode,
    SenderBlock,
    Background
};
enum class TEditor { AddressSide, Label, Card, Design };
enum class TOutput { Pdf, Images, Preview };

struct SizeCase {
    const char *name;
    TItem item;
    TEditor editor;
    int paper;
    // The item's drawing reaches every edge of its rectangle (shapes,
    // codes, pictures); text items stay inside it.
    bool fills;
};

QString describe(const QRectF &R)
{
    return QStringLiteral("(%1, %2)-(%3, %4) mm")
        .arg(R.left(), 0, 'f', 1)
        .arg(R.top(), 0, 'f', 1)
        .arg(R.right(), 0, 'f', 1)
        .arg(R.bottom(), 0, 'f', 1);
}

class PrintSize : public PrintedInkFixture,
                  public ::testing::TestWithParam<std::tuple<SizeCase, int, TOutput>>
{
protected:
    void SetUp() override
    {
        // A company, after the three persons.
        m_company = AddRecord(QStringLiteral("山田 太郎"), QStringLiteral("大阪市北区梅田三丁目１番３号"),
                              QStringLiteral("株式会社ピクス"));
        host.Sender = host.ReadRecord(3);
        // A sender whose own name is marked for printing (本).
        if (host.Sender)
            host.Sender->JointPrint = true;
    }

    std::unique_ptr<TPrintEditor> makeEditor(TEditor Kind)
    {
        switch (Kind) {
        case TEditor::AddressSide: return std::make_unique<TLayoutForm>(nullptr, host);
        case TEditor::Label: return std::make_unique<TLabelForm>(nullptr, host);
        case TEditor::Card: {
            auto card = std::make_unique<TLabelForm>(nullptr, host);
            card->SetCardMode(true);
            return card;
        }
        case TEditor::Design: return std::make_unique<TDesignForm>(nullptr, host);
        }
        return {};
    }

    // The layout holding the one item under test (the paper's other frames
    // hidden); its rectangle on the piece in millimetres.
    QRectF prepare(TPrintEditor &Editor, const SizeCase &Case)
    {
        TLabelGrid grid;
        TLayoutFormat format = catalogueFormat(Case.paper, &grid);
        TLayoutDocument &d = Editor.Document();
        if (Case.item == TItem::Company) {
            d.Detail = true;
        }
        Editor.SetLayout(Case.paper, format, grid);
        for (auto &item : d.Items)
            item->SetVisible(false);
        const QSize piece = d.PiecePixels();
        const TPageRect middle{piece.width() / 4, piece.height() / 4, piece.width() * 3 / 4, piece.height() / 2};
        auto frame = [&d](auto Take) -> TDrawRect * {
            for (auto &item : d.Items)
                if (Take(*item))
                    return item.get();
            return nullptr;
        };
        TDrawRect *shown = nullptr;
        switch (Case.item) {
        case TItem::Postcode:
        case TItem::Address:
        case TItem::Name:
        case TItem::Barcode:
        case TItem::SenderPostcode:
        case TItem::SenderAddress:
        case TItem::SenderName: {
            static const std::map<TItem, TDrawRectKind> kinds{
                {TItem::Postcode, TDrawRectKind::RecipientPostcode},
                {TItem::Address, TDrawRectKind::RecipientAddress},
                {TItem::Name, TDrawRectKind::RecipientName},
                {TItem::Barcode, TDrawRectKind::Barcode},
                {TItem::SenderPostcode, TDrawRectKind::SenderPostcode},
                {TItem::SenderAddress, TDrawRectKind::SenderAddress},
                {TItem::SenderName, TDrawRectKind::SenderName}};
            shown = frame([&](const TDrawRect &I) { return I.GetKind() == kinds.at(Case.item); });
            break;
        }
        case TItem::Company:
            shown = frame([](const TDrawRect &I) { return dynamic_cast<const TCorpRect *>(&I) != nullptr; });
            break;
        case TItem::Addition: {
            auto add = std::make_unique<TAdditionRect>();
            add->SetRect(middle);
            add->SetHorizontal(true);
            add->SetAddKind(0);
            add->SetContent(QStringLiteral("電話 03-1234-5678"));
            shown = add.get();
            (void)Editor.InsertItem(std::move(add));
            break;
        }
        case TItem::Word: {
            auto word = std::make_unique<TWordRect>();
            word->SetRect(middle);
            word->SetHorizontal(true);
            word->SetLineCount(1);
            word->SetLine(0, QStringLiteral("謹賀新年"));
            shown = word.get();
            (void)Editor.InsertItem(std::move(word));
            break;
        }
        case TItem::Picture: {
            QImage image(60, 40, QImage::Format_RGB32);
            image.fill(qRgb(0, 0, 96));
            auto picture = std::make_unique<TIllustRect>();
            picture->SetPicture(image);
            picture->SetRect(middle);
            shown = picture.get();
            (void)Editor.InsertItem(std::move(picture));
            break;
        }
        case TItem::Figure: {
            auto figure = std::make_unique<TFigureRect>();
            figure->SetFigureKind(TFigureRect::Rectangle);
            figure->SetRect(middle);
            shown = figure.get();
            (void)Editor.InsertItem(std::move(figure));
            break;
        }
        case TItem::QRCode: {
            auto qr = std::make_unique<TQRCodeRect>();
            qr->SetText(QStringLiteral("https://example.jp/"));
            qr->SetRect({middle.Left, middle.Top, middle.Left + 120, middle.Top + 120});
            shown = qr.get();
            (void)Editor.InsertItem(std::move(qr));
            break;
        }
        case TItem::SenderBlock: {
            d.FindSender = [](const QString &) {
                TSenderData data;
                data.Name = QStringLiteral("差出 太郎");
                data.Pos = QStringLiteral("1000014");
                data.Tdfkn = QStringLiteral("東京都");
                data.Adrs1 = QStringLiteral("千代田区永田町一丁目７番１号");
                return std::optional<TSenderData>(data);
            };
            auto block = std::make_unique<TSenderRect>();
            block->SetRect(middle);
            // As the insert menu makes it: its parts laid out in the block.
            block->ResetChildRect(-1);
            shown = block.get();
            (void)Editor.InsertItem(std::move(block));
            break;
        }
        case TItem::Background:
            d.Background.SetKind(TBackImage::Colour);
            d.Background.SetColor1(0x600000);
            break;
        }
        if (Case.item == TItem::Background)
            return QRectF(QPointF(0, 0), QSizeF(d.Format.Width / 10.0, d.Format.Height / 10.0));
        EXPECT_NE(shown, nullptr);
        if (!shown)
            return {};
        shown->SetVisible(true);
        return ItemMm(*shown);
    }

    // The first page as printed at Dpi, and the resolution it is measured in.
    QImage print(TPrintEditor &Editor, int Dpi, TOutput Output, int &MeasuredDpi)
    {
        if (Output == TOutput::Images) {
            TPrintLoop loop(Editor.Document(), TableRecordSource(book.table));
            loop.Sender = host.Sender;
            QList<QImage> pages;
            QString error;
            EXPECT_TRUE(loop.RunToImages({Dpi, Dpi}, {m_company}, {}, pages, &error)) << qPrintable(error);
            MeasuredDpi = Dpi;
            return pages.value(0);
        }
        if (Output == TOutput::Preview)
            return PreviewThroughWizard(Editor, m_company, Dpi, MeasuredDpi);
        MeasuredDpi = 200;
        return PrintThroughWizard(Editor, m_company, Dpi, MeasuredDpi);
    }

    qint32 m_company = 0;
};

TEST_P(PrintSize, itemPrintsAtItsLayoutSizeAndPlace)
{
    const auto &[item, dpi, output] = GetParam();
    const std::unique_ptr<TPrintEditor> editor = makeEditor(item.editor);
    const QRectF layout = prepare(*editor, item);
    ASSERT_FALSE(layout.isEmpty());
    int measured = 0;
    const QImage page = print(*editor, dpi, output, measured);
    ASSERT_FALSE(page.isNull()) << "nothing printed";
    // The page is the paper of the piece (a label's first cell lies at the
    // sheet's margins).
    const QRect cell = editor->Document().CellRect(0);
    const QRectF expected = layout.translated(cell.left() / 10.0, cell.top() / 10.0);
    const QRectF ink = InkBox(page, measured);
    ASSERT_FALSE(ink.isEmpty()) << "no ink on the page";
    // Half a line width and a dot of rasterising either side; the preview
    // shows a whole sheet in a window the screen bounds, where a dot (and the
    // page's measured resolution, a whole number) is coarse: two of its dots more.
    const double tolerance = 1.0 + (output == TOutput::Preview ? 2 * 25.4 / std::max(1, measured) : 0.0);
    const QRectF outer = expected.adjusted(-tolerance, -tolerance, tolerance, tolerance);
    EXPECT_TRUE(outer.contains(ink)) << "ink " << describe(ink).toStdString() << " outside the item's "
                                     << describe(expected).toStdString();
    if (item.fills) {
        const QRectF inner = expected.adjusted(tolerance, tolerance, -tolerance, -tolerance);
        EXPECT_TRUE(ink.contains(inner)) << "ink " << describe(ink).toStdString() << " short of the item's "
                                         << describe(expected).toStdString();
    } else {
        // Text follows its box: along its longer side it takes a good part of
        // it (a code keeps its quiet zone).
        const double share = std::max(ink.width() / expected.width(), ink.height() / expected.height());
        EXPECT_GT(share, 0.3) << "ink " << describe(ink).toStdString() << " in the item's "
                              << describe(expected).toStdString();
    }
}

// Every item kind at 300 and 1200 dpi onto the PDF and the page images; the
// preview window too, where the page is told from the window by its white
// (which a background covers whole, so it is measured on the other two).
std::vector<std::tuple<SizeCase, int, TOutput>> sizeCases()
{
    const SizeCase items[] = {SizeCase{"postcode", TItem::Postcode, TEditor::AddressSide, 0, false},
                              SizeCase{"address", TItem::Address, TEditor::AddressSide, 0, false},
                              SizeCase{"name", TItem::Name, TEditor::AddressSide, 0, false},
                              SizeCase{"company", TItem::Company, TEditor::AddressSide, 0, false},
                              SizeCase{"barcode", TItem::Barcode, TEditor::AddressSide, 0, true},
                              SizeCase{"senderPostcode", TItem::SenderPostcode, TEditor::AddressSide, 0, false},
                              SizeCase{"senderAddress", TItem::SenderAddress, TEditor::AddressSide, 0, false},
                              SizeCase{"senderName", TItem::SenderName, TEditor::AddressSide, 0, false},
                              SizeCase{"additionOnLabel", TItem::Addition, TEditor::Label, 16, false},
                              SizeCase{"freeText", TItem::Word, TEditor::Design, 0, false},
                              SizeCase{"picture", TItem::Picture, TEditor::Design, 0, true},
                              SizeCase{"figureOnPostcard", TItem::Figure, TEditor::AddressSide, 0, true},
                              SizeCase{"figureOnLabel", TItem::Figure, TEditor::Label, 16, true},
                              SizeCase{"figureOnCard", TItem::Figure, TEditor::Card, 24, true},
                              SizeCase{"figureOnDesign", TItem::Figure, TEditor::Design, 0, true},
                              SizeCase{"qrCode", TItem::QRCode, TEditor::Design, 0, false},
                              SizeCase{"senderBlock", TItem::SenderBlock, TEditor::Design, 0, false},
                              SizeCase{"background", TItem::Background, TEditor::Design, 0, true}};
    std::vector<std::tuple<SizeCase, int, TOutput>> out;
    for (const SizeCase &item : items)
        for (const int dpi : {300, 1200})
            for (const TOutput output : {TOutput::Pdf, TOutput::Images, TOutput::Preview})
                if (output != TOutput::Preview || item.item != TItem::Background)
                    out.emplace_back(item, dpi, output);
    return out;
}

std::string sizeCaseName(const ::testing::TestParamInfo<PrintSize::ParamType> &Info)
{
    static const char *const outputs[] = {"Pdf", "Images", "Preview"};
    return std::string(std::get<0>(Info.param).name) + "At" + std::to_string(std::get<1>(Info.param)) +
           outputs[int(std::get<2>(Info.param))];
}

INSTANTIATE_TEST_SUITE_P(ItemsByResolution, PrintSize, ::testing::ValuesIn(sizeCases()), sizeCaseName);

} // namespace
