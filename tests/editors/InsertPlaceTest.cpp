// 挿入 on every paper of every editor, as a user fills a piece: the sender
// block, then a 400 x 300 picture, a QR code and a figure, each by the
// editor's own menu command, and a free text (文字の挿入). Whatever the piece holds, an inserted item
// never covers the addressee's frames and bars: it keeps 2 mm clear of every
// item the printed side shows, inside the edge a printer cannot print (5 mm
// of a sheet fed whole, 2 mm of a label's or card's cut) and off the stamp's
// corner, made smaller (its proportions kept) only as far as the largest
// free place needs; where none is left even at its least size, the user is
// told and nothing is inserted.
#include "EditorsFixture.h"
#include "FakeHost.h"
#include "SenderBook.h"
#include "editors/DesignForm.h"
#include "editors/EditorTextCommands.h"
#include "editors/ItemCommands.h"
#include "editors/ItemPlace.h"
#include "editors/LabelForm.h"
#include "editors/LayoutForm.h"
#include "items/BarRect.h"
#include "items/FigureRect.h"
#include "items/SenderRect.h"
#include "support/RowName.h"
#include "support/ScriptedMessageBoxes.h"

#include <QAction>
#include <QDialog>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr double kMmPerPx = 25.4 / 96;
// What a piece fed whole keeps blank at its edges, and what a label's or
// card's cut does; the blank between two items; in millimetres.
constexpr double kSheetEdgeMm = 5.0, kCutMm = 2.0, kGapMm = 2.0;
// The postmark area of a face, in the stamp's corner both ways round.
constexpr double kStampLongMm = 70.0, kStampShortMm = 35.0;

// In page pixels, whole: the least a blank of Mm takes.
int pxAtLeast(double Mm)
{
    return int(std::ceil(Mm / kMmPerPx - 1e-9));
}

QRect qrectOf(const TPageRect &R)
{
    return QRect(QPoint(R.Left, R.Top), QPoint(R.Right - 1, R.Bottom - 1));
}

std::string text(const QRect &R)
{
    return std::to_string(R.x()) + "," + std::to_string(R.y()) + " " + std::to_string(R.width()) + "x" +
           std::to_string(R.height());
}

// The address side's face, an envelope's back (the sender's side), label
// and card sheets, and the design editor (with a figure the user put in the
// middle third of the page).
enum class TEditor { Address, EnvelopeBack, Label, Card, Design };

struct PaperCase {
    const char *name;
    TEditor editor;
    int paper;
    bool detail = false;
};

std::unique_ptr<TPrintEditor> makeEditor(FakeHost &Host, const PaperCase &Case)
{
    std::unique_ptr<TPrintEditor> form;
    switch (Case.editor) {
    case TEditor::Address:
    case TEditor::EnvelopeBack: form = std::make_unique<TLayoutForm>(nullptr, Host); break;
    case TEditor::Label: form = std::make_unique<TLabelForm>(nullptr, Host); break;
    case TEditor::Card: {
        auto card = std::make_unique<TLabelForm>(nullptr, Host);
        card->SetCardMode(true);
        form = std::move(card);
        break;
    }
    case TEditor::Design: {
        form = std::make_unique<TDesignForm>(nullptr, Host);
        TLayoutFormat paper;
        paper.Width = Case.paper == 0 ? 1000 : 2100;
        paper.Height = Case.paper == 0 ? 1480 : 2970;
        form->SetLayout(0, paper, {});
        const QSize piece = form->Document().PiecePixels();
        auto figure = std::make_unique<TFigureRect>();
        figure->SetFigureKind(TFigureRect::Rectangle);
        figure->SetRect({piece.width() / 3, piece.height() / 3, piece.width() * 2 / 3, piece.height() * 2 / 3});
        form->Document().Items.push_back(std::move(figure));
        form->Document().ItemRoles.push_back(-1);
        return form;
    }
    }
    TLabelGrid grid;
    const TLayoutFormat format = catalogueFormat(Case.paper, &grid);
    form->SetLayout(Case.paper, format, grid);
    if (Case.editor == TEditor::EnvelopeBack)
        static_cast<TLayoutForm &>(*form).SetDataMode(TLayoutForm::SenderDataMode);
    if (Case.detail) {
        form->Document().Detail = true;
        form->SetLayout(Case.paper, format, grid);
    }
    return form;
}

// The size of Own scaled to the longer side Long, proportions kept.
QSize scaled(QSize Own, int Long)
{
    const bool wide = Own.width() >= Own.height();
    const int longSide = wide ? Own.width() : Own.height(), shortSide = wide ? Own.height() : Own.width();
    const int other = std::max(1, int(std::lround(double(Long) * shortSide / longSide)));
    return wide ? QSize(Long, other) : QSize(other, Long);
}

// The smallest size of Own whose shorter side is at least Least.
QSize leastOf(QSize Own, int Least)
{
    QSize s = scaled(Own, 1);
    for (int l = 1; l <= std::max(Own.width(), Own.height()) && std::min(s.width(), s.height()) < Least; ++l)
        s = scaled(Own, l);
    return s;
}

// What one insertion left: the item's rectangle (empty when none was
// inserted), its own size before any shrinking, the least size it may take,
// and what the printed side showed before it.
struct Inserted {
    const char *what;
    QRect placed;
    QSize own;
    QSize least;
    QList<QRect> before;
    int messages = 0;
    // A QR code: its cell pitch as asked and as placed.
    int askedPitch = 0, placedPitch = 0;
    // How far its ink reaches beyond its box (a figure's outline).
    int outset = 0;
    // What it prints over.
    QRect ink() const { return placed.adjusted(-outset, -outset, outset, outset); }
};

// How far a figure's outline reaches beyond its box: it is drawn on the
// box's edge with a pen of the figure's line width (96 per inch), half
// outside along a side, the whole pen at a pointed corner or a line's end.
int outsetOf(const TDrawRect &Item)
{
    const auto *figure = dynamic_cast<const TFigureRect *>(&Item);
    if (!figure || !figure->HasFrame())
        return 0;
    const int kind = figure->GetFigureKind();
    const bool square = kind == TFigureRect::Rectangle || kind == TFigureRect::RoundRect || kind == TFigureRect::Ellipse;
    return square ? (figure->GetLineWidth() + 1) / 2 : figure->GetLineWidth();
}

// One paper filled as a user fills it, and what the checks need of the
// piece once its editor is gone.
struct PaperRun {
    std::vector<Inserted> items;
    QSize piece;
    bool face = false;  // a postcard's or envelope's face, with its stamp
    bool cells = false; // a label or card of a sheet
    QStringList messages;
};

// The editor of one paper and the user's insertions through its menu.
class PaperFill
{
public:
    explicit PaperFill(const PaperCase &Case) : m_case(Case)
    {
        m_editor = makeEditor(m_host, Case);
        m_editor->MergeCurrentRecord();
        QImage image(400, 300, QImage::Format_RGB32);
        image.fill(Qt::darkGreen);
        m_pictureFile = m_picture.filePath(QStringLiteral("photo.bmp"));
        EXPECT_TRUE(image.save(m_pictureFile));
    }

    PaperRun run()
    {
        PaperRun out;
        out.piece = doc().PiecePixels();
        const TPaperKind kind = doc().Format.PaperKind();
        out.face = m_case.editor == TEditor::Address && (kind == TPaperKind::Postcard || kind == TPaperKind::Envelope);
        out.cells = doc().CellsPerSheet() > 1;
        insertAll(out.items);
        for (const TMessageBoxRequest &box : m_boxes.shown())
            out.messages << box.text;
        return out;
    }

private:
    const TLayoutDocument &doc() const { return m_editor->Document(); }

    // Every item the printed side shows now, as it covers the page.
    QList<QRect> shown() const
    {
        QList<QRect> out;
        for (size_t i = 0; i < doc().Items.size(); ++i) {
            const TDrawRect &item = *doc().Items[i];
            if (!item.IsVisible() || !doc().OnPrintedSide(i))
                continue;
            const auto *block = dynamic_cast<const TSenderRect *>(&item);
            const TPageRect r = block ? block->GetBlockRect() : item.GetRect();
            const int o = outsetOf(item);
            if (!r.isEmpty())
                out << qrectOf(r).adjusted(-o, -o, o, o);
        }
        return out;
    }

    // Outset: the ink beyond the box of the item the command makes.
    Inserted insert(const char *What, const char *Action, QSize Own, QSize Least,
                    const std::function<int(QDialog &)> &Answer = {}, int Outset = 0)
    {
        Inserted out{What, {}, Own, Least, shown()};
        out.outset = Outset;
        const size_t count = doc().Items.size();
        const int shownBefore = m_boxes.count();
        m_editor->ExecDialog = Answer;
        m_editor->findChild<QAction *>(QLatin1String(Action))->trigger();
        out.messages = m_boxes.count() - shownBefore;
        if (doc().Items.size() == count + 1) {
            const TDrawRect &item = *doc().Items.back();
            const auto *block = dynamic_cast<const TSenderRect *>(&item);
            out.placed = qrectOf(block ? block->GetBlockRect() : item.GetRect());
            if (const auto *qr = dynamic_cast<const TQRCodeRect *>(&item))
                out.placedPitch = qr->GetCellPitch();
            out.outset = outsetOf(item);
        }
        return out;
    }

    // Sender block, picture, QR code and figure, in the order of a user.
    void insertAll(std::vector<Inserted> &Items)
    {
        const bool horizontal = m_case.editor == TEditor::Design || doc().HorizontalWriting();
        const QSize block = horizontal ? QSize(200, 160) : QSize(160, 200);
        // The block of the book's first sender (a person's) is made no
        // smaller than its lines keep room to print in.
        TSenderRect probe;
        probe.SetHorizontal(horizontal);
        probe.ResetChildRect(-1);
        Items.push_back(insert("sender block", "actInsertSender", block, leastOf(block, LeastSenderBlockSide(probe, block))));

        m_editor->findChild<TItemCommands *>()->ChooseImageFile = [this] { return m_pictureFile; };
        // The picture at its own size, the piece at most.
        const QSize piece = doc().PiecePixels();
        const QSize own = QSize(400, 300).scaled(QSize(400, 300).boundedTo(piece), Qt::KeepAspectRatio);
        Items.push_back(insert("picture", "actInsertIllust", own, leastOf(own, 15)));

        // The code as asked, at the default cell pitch of 3.
        TQRCodeRect asked;
        asked.SetText(QStringLiteral("https://example.jp/murven"));
        asked.SetCellPitch(3);
        asked.Rebuild(true);
        const int modules = int(asked.Modules().size()) + 2 * TQRCodeRect::QuietZone;
        Inserted qr = insert("QR code", "actInsertQRCode", QSize(modules * 3, modules * 3), QSize(modules, modules),
                             [](QDialog &D) {
                                 auto *memo = D.findChild<QPlainTextEdit *>(QStringLiteral("memText"));
                                 memo->setFocus();
                                 QTest::keyClicks(memo, QStringLiteral("https://example.jp/murven"));
                                 D.findChild<QPushButton *>(QStringLiteral("btnOK"))->click();
                                 return D.result();
                             });
        qr.askedPitch = 3;
        Items.push_back(qr);

        // A new figure is a rectangle outlined 5 wide.
        Items.push_back(insert(
            "figure", "actInsertFigure", QSize(120, 120), QSize(15, 15),
            [](QDialog &D) {
                D.accept();
                return D.result();
            },
            3));

        // 文字 -> 文字の挿入: a free text's box in the writing direction.
        const QSize text = horizontal ? QSize(240, 80) : QSize(80, 240);
        Items.push_back(insert("free text", "actInsertWord", text, leastOf(text, 20), [](QDialog &D) {
            D.findChild<QPlainTextEdit *>(QStringLiteral("memWords"))->setPlainText(QStringLiteral("謹賀新年"));
            return int(QDialog::Accepted);
        }));
    }

    PaperCase m_case;
    SenderBook m_senders;
    SampleBook m_book;
    FakeHost m_host{m_book.table};
    ScriptedMessageBoxes m_boxes;
    QTemporaryDir m_picture;
    QString m_pictureFile;
    std::unique_ptr<TPrintEditor> m_editor;
};

class InsertPlace : public ::testing::TestWithParam<PaperCase>
{
protected:
    // Each paper is filled once; its checks read what the fill left.
    void SetUp() override
    {
        static std::map<std::string, PaperRun> runs;
        auto found = runs.find(GetParam().name);
        if (found == runs.end())
            found = runs.emplace(GetParam().name, PaperFill(GetParam()).run()).first;
        paper = &found->second;
    }

    const std::vector<Inserted> &items() const { return paper->items; }

    // The page where a rectangle may not reach, pixel by pixel, as an
    // integral image: outside the piece's edge blank, within the gap of
    // Others, the stamp's corner of a face.
    std::vector<int> blockedSums(const QList<QRect> &Others) const
    {
        const int w = paper->piece.width(), h = paper->piece.height();
        const int edge = pxAtLeast(paper->cells ? kCutMm : kSheetEdgeMm);
        const int gap = pxAtLeast(kGapMm);
        QList<QRect> no;
        for (const QRect &o : Others)
            no << o.adjusted(-gap, -gap, gap, gap);
        if (paper->face) {
            const bool upright = h >= w;
            const int longSide = pxAtLeast(kStampLongMm), shortSide = pxAtLeast(kStampShortMm);
            for (const QSize s : {QSize(longSide, shortSide), QSize(shortSide, longSide)})
                no << QRect(QPoint(upright ? 0 : w - s.width(), 0), s);
        }
        std::vector<int> sums(size_t(w + 1) * size_t(h + 1), 0);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                bool blocked = x < edge || y < edge || x >= w - edge || y >= h - edge;
                for (const QRect &r : no)
                    blocked = blocked || r.contains(x, y);
                sums[size_t(y + 1) * size_t(w + 1) + size_t(x + 1)] = int(blocked) +
                                                                       sums[size_t(y) * size_t(w + 1) + size_t(x + 1)] +
                                                                       sums[size_t(y + 1) * size_t(w + 1) + size_t(x)] -
                                                                       sums[size_t(y) * size_t(w + 1) + size_t(x)];
            }
        return sums;
    }

    // Whether an item of Size has any free place among Others.
    bool fitsAnywhere(QSize Size, const QList<QRect> &Others) const
    {
        const int w = paper->piece.width(), h = paper->piece.height();
        if (Size.width() > w || Size.height() > h || Size.isEmpty())
            return false;
        const std::vector<int> sums = blockedSums(Others);
        auto at = [&](int X, int Y) { return sums[size_t(Y) * size_t(w + 1) + size_t(X)]; };
        for (int y = 0; y + Size.height() <= h; ++y)
            for (int x = 0; x + Size.width() <= w; ++x)
                if (at(x + Size.width(), y + Size.height()) - at(x, y + Size.height()) - at(x + Size.width(), y) +
                        at(x, y) ==
                    0)
                    return true;
        return false;
    }

    const PaperRun *paper = nullptr;
};

// Where an item lands: inside the edge a printer cannot print (or a
// label's cut), 2 mm clear of everything the printed side showed before it
// (the addressee's frames and bars, the sender's, the items inserted
// before), off the stamp's corner of a face.
TEST_P(InsertPlace, anItemLandsOnAFreePlace)
{
    const double edge = paper->cells ? kCutMm : kSheetEdgeMm;
    const QSize p = paper->piece;
    const bool upright = p.height() >= p.width();
    QList<QRect> stamp;
    if (paper->face)
        for (const QSizeF mm : {QSizeF(kStampLongMm, kStampShortMm), QSizeF(kStampShortMm, kStampLongMm)}) {
            const QSize s(int(mm.width() / kMmPerPx), int(mm.height() / kMmPerPx));
            stamp << QRect(QPoint(upright ? 0 : p.width() - s.width(), 0), s);
        }
    for (const Inserted &i : items()) {
        if (i.placed.isEmpty())
            continue;
        const QRect ink = i.ink();
        const double left = ink.left() * kMmPerPx, top = ink.top() * kMmPerPx;
        const double right = (p.width() - ink.right() - 1) * kMmPerPx;
        const double bottom = (p.height() - ink.bottom() - 1) * kMmPerPx;
        EXPECT_GE(std::min({left, top, right, bottom}), edge) << i.what << " at " << text(ink) << " by the edge";
        for (const QRect &o : i.before) {
            // The blank between the two, across and down.
            const double dx = std::max(o.left() - ink.right() - 1, ink.left() - o.right() - 1) * kMmPerPx;
            const double dy = std::max(o.top() - ink.bottom() - 1, ink.top() - o.bottom() - 1) * kMmPerPx;
            EXPECT_GE(std::max(dx, dy), kGapMm) << i.what << " at " << text(ink) << " by " << text(o);
        }
        for (const QRect &corner : stamp)
            EXPECT_FALSE(ink.intersects(corner)) << i.what << " at " << text(ink) << " on the stamp";
    }
}

// How large it is: its own size where that finds a free place, else made
// smaller, proportions kept (a QR code by its cell pitch alone), to the
// largest size that finds one: a step larger (a pixel of the longer side, a
// cell) finds none anywhere. Below its least size it is left out, and the
// user is told; it is never left out while its least size had a place.
TEST_P(InsertPlace, anItemIsMadeSmallerOnlyAsFarAsTheLargestFreePlaceNeeds)
{
    for (const Inserted &i : items()) {
        if (i.placed.isEmpty()) {
            EXPECT_EQ(i.messages, 1) << i.what << " left out without a word";
            EXPECT_FALSE(fitsAnywhere(i.least + QSize(2 * i.outset, 2 * i.outset), i.before))
                << i.what << " left out but fits at " << i.least.width() << "x" << i.least.height();
            continue;
        }
        EXPECT_EQ(i.messages, 0) << i.what;
        EXPECT_LE(i.placed.width(), i.own.width()) << i.what;
        // The shorter side follows the longer within the half pixel it is
        // rounded to.
        const bool wide = i.own.width() >= i.own.height();
        const double shorter = wide ? double(i.placed.width()) * i.own.height() / i.own.width()
                                    : double(i.placed.height()) * i.own.width() / i.own.height();
        EXPECT_NEAR(wide ? i.placed.height() : i.placed.width(), shorter, 0.5 + 1e-9)
            << i.what << " at " << text(i.placed) << " lost its proportions";
        if (i.askedPitch) {
            EXPECT_EQ(i.placed.width(), i.least.width() * i.placedPitch) << "a QR code stretched";
            EXPECT_LE(i.placedPitch, i.askedPitch);
        }
        if (i.placed.size() == i.own)
            continue;
        const QSize larger = i.askedPitch ? i.least * (i.placedPitch + 1)
                                          : scaled(i.own, std::max(i.placed.width(), i.placed.height()) + 1);
        EXPECT_FALSE(fitsAnywhere(larger + QSize(2 * i.outset, 2 * i.outset), i.before))
            << i.what << " at " << text(i.placed) << " could take " << larger.width() << "x" << larger.height();
    }
    for (const QString &message : paper->messages)
        EXPECT_TRUE(message.contains(QStringLiteral("を置ける場所がありません"))) << qPrintable(message);
}

std::vector<PaperCase> papers()
{
    std::vector<PaperCase> out;
    static const char *const faces[] = {"postcardVertical",   "postcardHorizontal", "naga3Vertical",  "naga3Horizontal",
                                        "naga3Lying",         "naga4Vertical",      "naga4Horizontal", "naga4Lying",
                                        "you2Vertical",       "you2Horizontal",     "you2Lying",       "kaku2Vertical",
                                        "kaku2Horizontal",    "kaku2Lying"};
    static const char *const facesDetail[] = {
        "postcardVerticalDetail", "postcardHorizontalDetail", "naga3VerticalDetail", "naga3HorizontalDetail",
        "naga3LyingDetail",       "naga4VerticalDetail",      "naga4HorizontalDetail", "naga4LyingDetail",
        "you2VerticalDetail",     "you2HorizontalDetail",     "you2LyingDetail",       "kaku2VerticalDetail",
        "kaku2HorizontalDetail",  "kaku2LyingDetail"};
    for (int p = 0; p <= 13; ++p) {
        out.push_back({faces[p], TEditor::Address, p});
        out.push_back({facesDetail[p], TEditor::Address, p, true});
    }
    static const char *const labels[] = {"label12Wide", "label12Tall", "label10Wide", "label10Tall", "label21Wide",
                                         "label21Tall", "label24Wide", "label24Tall", "label44Wide", "label44Tall"};
    static const char *const labelsDetail[] = {"label12WideDetail", "label12TallDetail", "label10WideDetail",
                                               "label10TallDetail", "label21WideDetail", "label21TallDetail",
                                               "label24WideDetail", "label24TallDetail", "label44WideDetail",
                                               "label44TallDetail"};
    for (int p = 14; p <= 23; ++p) {
        out.push_back({labels[p - 14], TEditor::Label, p});
        out.push_back({labelsDetail[p - 14], TEditor::Label, p, true});
    }
    out.push_back({"cardWide", TEditor::Card, 24});
    out.push_back({"cardTallHorizontal", TEditor::Card, 25});
    out.push_back({"cardTallVertical", TEditor::Card, 26});
    out.push_back({"naga3Back", TEditor::EnvelopeBack, 2});
    out.push_back({"naga3LyingBack", TEditor::EnvelopeBack, 4});
    out.push_back({"designPostcard", TEditor::Design, 0});
    out.push_back({"designA4", TEditor::Design, 2});
    return out;
}

INSTANTIATE_TEST_SUITE_P(Papers, InsertPlace, ::testing::ValuesIn(papers()), rowName);

} // namespace
