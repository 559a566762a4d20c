// The additional lines of labels and cards (書式 → 付加情報): chosen in the
// additional information dialog of the label editor, on every label and
// card paper of the catalogue and in both frame sets, each shown line goes
// where the layout has room for it: on the piece, clear of everything else
// the piece prints for the record (2 mm clear of the bars), or left out of
// the piece, and at a readable size, never below 6 points (2.1 mm) or the
// size its step gives it on a smaller paper. The sizes are read from the
// lines' recordings for a printer, as the run plays them, with the record's
// telephone number merged.
#include "EditorsFixture.h"
#include "FakeHost.h"
#include "LabelFormSteps.h"
#include "PrintedTexts.h"
#include "core/AppSub.h"
#include "core/Env.h"
#include "editors/AdditionPlace.h"
#include "editors/PrintedSizes.h"
#include "editors/LabelForm.h"
#include "items/AdditionRect.h"
#include "items/MetaRect.h"
#include "support/RowName.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QRectF>

#include <algorithm>
#include <cmath>

#include <string>
#include <vector>

namespace {

constexpr int kDpi = 600;
constexpr double kBarsClearMm = 2.0;

struct LinesCase {
    int paper;
    bool detail;
    // The dialog's entries of the lines shown, in order; empty: free text.
    std::vector<const char *> lines;
    std::string name;
    // The lines chosen on the automatic frames, the detailed set switched
    // to afterwards; or the paper changed to ChangeTo afterwards.
    bool linesFirst = false;
    int changeTo = -1;
};

const char16_t kFreeText[] = u"会員番号 ABC-12345";

std::vector<LinesCase> everyLabelAndCard()
{
    std::vector<LinesCase> cases;
    for (int paper = 14; paper <= 26; ++paper)
        for (const bool detail : {false, true}) {
            // Cards keep the automatic frames, and print the sender: its
            // contact lines stand for the record's numbers.
            const bool card = paper >= 24;
            if (detail && card)
                continue;
            const std::string set = (detail ? "Detail" : "Simple");
            const char *tel = card ? "連絡先１" : "TEL";
            cases.push_back({paper, detail, {tel, ""}, "paper" + std::to_string(paper) + set + "TelAndText"});
            cases.push_back({paper, detail,
                             card ? std::vector<const char *>{"連絡先１", "連絡先２", "連絡先３", ""}
                                  : std::vector<const char *>{"TEL", "FAX", "携帯1", ""},
                             "paper" + std::to_string(paper) + set + "FourLines"});
        }
    // Lines placed among the frames of one set or paper find their room
    // again among those of another.
    for (const int paper : {14, 15, 22, 23})
        cases.push_back({paper, true, {"TEL", ""}, "paper" + std::to_string(paper) + "LinesThenDetailedSet", true});
    cases.push_back({14, false, {"TEL", ""}, "paper14LinesThenPaper22", false, 22});
    cases.push_back({22, false, {"TEL", ""}, "paper22LinesThenPaper14", false, 14});
    cases.push_back({15, false, {"TEL", ""}, "paper15LinesThenPaper19", false, 19});
    return cases;
}

QRectF mmOf(const TPageRect &R)
{
    auto mm = [](qint32 Px) { return Px * 25.4 / 96.0; };
    return QRectF(QPointF(mm(R.Left), mm(R.Top)), QPointF(mm(R.Right), mm(R.Bottom)));
}

double distance(const QRectF &A, const QRectF &B)
{
    const double dx = std::max({0.0, B.left() - A.right(), A.left() - B.right()});
    const double dy = std::max({0.0, B.top() - A.bottom(), A.top() - B.bottom()});
    return std::hypot(dx, dy);
}

class AdditionLines : public ::testing::TestWithParam<LinesCase>
{
protected:
    void SetUp() override
    {
        QDir().mkpath(DataRoot);
        book.table.Append();
        book.table.FieldByName(QStringLiteral("NameKanji")).SetAsBytes(EncodeUnicodeField(QStringLiteral("電話 有子")));
        book.table.FieldByName(QStringLiteral("Tel")).SetAsBytes(QByteArrayLiteral("03-1234-5678"));
        book.table.FieldByName(QStringLiteral("Fax")).SetAsBytes(QByteArrayLiteral("03-1234-5679"));
        book.table.FieldByName(QStringLiteral("Portable1")).SetAsBytes(QByteArrayLiteral("090-1234-5678"));
        book.table.Post();
        host.Current = 4;
        // A card prints the sender, with its numbers as its contact lines.
        host.Sender = host.ReadRecord(4);
        TSenderData contacts;
        contacts.RecNo = 1;
        contacts.Name = QStringLiteral("電話 有子");
        contacts.Head = {QStringLiteral("TEL"), QStringLiteral("FAX"), QStringLiteral("携帯"), QString()};
        contacts.Addition = {QStringLiteral("03-1234-5678"), QStringLiteral("03-1234-5679"),
                             QStringLiteral("090-1234-5678"), QString()};
        host.Contacts = contacts;
        const int paper = GetParam().paper;
        if (paper >= 24)
            form.SetCardMode(true);
        TLabelGrid grid;
        form.SetLayout(paper, catalogueFormat(paper, &grid), grid);
        if (GetParam().detail && !GetParam().linesFirst) {
            ASSERT_NO_FATAL_FAILURE(detailedFrames());
        }
        chooseLines();
        if (GetParam().linesFirst) {
            ASSERT_NO_FATAL_FAILURE(detailedFrames());
        }
        if (GetParam().changeTo >= 0)
            form.ChangePaper(GetParam().changeTo, catalogueFormat(GetParam().changeTo, &grid), grid);
        TLayoutDocument &d = form.Document();
        d.SetReferenceDevice(TReferenceDevice::printer({kDpi, kDpi}));
        MergeRecord(d, &*host.Sender, &*host.Sender);
        for (size_t i = 0; i < d.Items.size(); ++i)
            if (auto *line = dynamic_cast<TAdditionRect *>(d.Items[i].get()); line && line->IsVisible())
                lines.push_back(int(i));
        ASSERT_EQ(lines.size(), GetParam().lines.size());
    }

    // 書式 → 詳細 with the automatic layout switched off.
    void detailedFrames()
    {
        chooseDetailedFrames(form);
        ASSERT_TRUE(form.Document().Detail);
    }

    // 書式 → 付加情報 with the case's lines chosen.
    void chooseLines()
    {
        const std::vector<const char *> chosen = GetParam().lines;
        form.ExecDialog = [&chosen](QDialog &D) {
            for (int i = 0; i < 4; ++i) {
                const bool shown = i < int(chosen.size());
                D.findChild<QCheckBox *>(QStringLiteral("ckbAddition%1").arg(i + 1))->setChecked(shown);
                auto *combo = D.findChild<QComboBox *>(QStringLiteral("cbxAddition%1").arg(i + 1));
                if (!shown)
                    continue;
                if (*chosen[size_t(i)]) {
                    combo->setCurrentIndex(combo->findText(QString::fromUtf8(chosen[size_t(i)])));
                } else {
                    combo->setCurrentIndex(-1);
                    combo->setEditText(QString::fromUtf16(kFreeText));
                }
            }
            return int(QDialog::Accepted);
        };
        form.findChild<QAction *>(QStringLiteral("actAddition"))->trigger();
    }

    // The items the piece prints besides Line.
    std::vector<int> others(int Line)
    {
        std::vector<int> out;
        const TLayoutDocument &d = form.Document();
        for (size_t i = 0; i < d.Items.size(); ++i)
            if (int(i) != Line && d.Items[i]->IsVisible() && d.OnPrintedSide(i))
                out.push_back(int(i));
        return out;
    }

    SampleBook book;
    FakeHost host{book.table};
    TLabelForm form{nullptr, host};
    std::vector<int> lines;
};

// A line the record leaves room for prints clear of the text every other
// item prints (the frames keep their size; a line may stand in the part of
// one its text leaves empty); one it leaves none for is left out.
TEST_P(AdditionLines, standOnThePieceClearOfEverythingThatPrints)
{
    TLayoutDocument &d = form.Document();
    const QRectF piece(QPointF(0, 0), QSizeF(d.Format.Width / 10.0, d.Format.Height / 10.0));
    // The lines as the record prints them: where their own boxes leave
    // them no room, in the room the record leaves.
    const TRecordAdditionLines placed(d);
    const std::vector<int> &leftOut = placed.LeftOut();
    for (const int line : lines) {
        const QRectF box = mmOf(d.Items[size_t(line)]->GetRect());
        EXPECT_TRUE(piece.adjusted(1.0, 1.0, -1.0, -1.0).contains(box))
            << "line " << line << " at " << box.left() << "," << box.top() << " - " << box.right() << ","
            << box.bottom() << " mm leaves the piece";
        if (std::find(leftOut.begin(), leftOut.end(), line) != leftOut.end())
            continue;
        for (const int other : others(line)) {
            // A line left out prints nothing to stand clear of.
            if (std::find(leftOut.begin(), leftOut.end(), other) != leftOut.end())
                continue;
            const TDrawRect &item = *d.Items[size_t(other)];
            const QRectF o = mmOf(item.GetRect());
            if (item.GetKind() == TDrawRectKind::Barcode) {
                // The bars keep their blank from the line's printed text;
                // the blank its box keeps round the text counts in it.
                for (const QRectF &px : PrintedTextBoxes(static_cast<const TMetaRect &>(*d.Items[size_t(line)]))) {
                    const QRectF t(px.topLeft() * 25.4 / 96, px.size() * 25.4 / 96);
                    EXPECT_GE(distance(t, o), kBarsClearMm) << "line " << line << " beside the bars";
                }
            } else if (const auto *text = dynamic_cast<const TMetaRect *>(&item)) {
                for (const QRectF &px : PrintedTextBoxes(*text)) {
                    const QRectF t(px.topLeft() * 25.4 / 96, px.size() * 25.4 / 96);
                    const QRectF common = box.intersected(t);
                    EXPECT_TRUE(common.width() <= 1e-6 || common.height() <= 1e-6)
                        << "line " << line << " over the text of item " << other;
                }
            } else {
                const QRectF common = box.intersected(o);
                EXPECT_TRUE(common.width() <= 1e-9 || common.height() <= 1e-9)
                    << "line " << line << " over item " << other;
            }
        }
    }
}

TEST_P(AdditionLines, printAtAReadableSize)
{
    const TLayoutDocument &d = form.Document();
    for (size_t k = 0; k < lines.size(); ++k) {
        auto &line = static_cast<TAdditionRect &>(*d.Items[size_t(lines[k])]);
        // 6 points, or the line's own size where the paper makes it smaller;
        // the printer's dots round the size down by up to a twentieth of a mm.
        const double own = std::abs(line.GetHeight()) * 25.4 / 96;
        const double readable = std::min(6.0 / 72 * 25.4, own) - 0.05;
        line.Rebuild(false);
        const auto ops = line.GetMetafile().TextOps();
        ASSERT_EQ(ops.size(), 1u) << "line " << k << " prints nothing";
        const double em = std::abs(ops.front()->Font.Height) * 25.4 / kDpi;
        EXPECT_GE(em, readable) << "line " << k << " at " << em << " mm";
    }
}

INSTANTIATE_TEST_SUITE_P(EveryLabelAndCard, AdditionLines, ::testing::ValuesIn(everyLabelAndCard()),
                         [](const auto &Info) { return Info.param.name; });

// The frames keep their places when lines are added (the detailed 12-sheet
// label has no free room for a line: it stands in a frame's far end, which
// the record's text may leave empty), and when the step is undone.
TEST(AdditionLinesUndo, framesKeepTheirPlacesWhenLinesAreAddedAndUndone)
{
    LabelFormOnBook on(14);
    TLabelForm &form = on.form;
    chooseDetailedFrames(form);
    std::vector<TPageRect> frames;
    for (const auto &item : form.Document().Items)
        frames.push_back(item->GetRect());
    form.ExecDialog = [](QDialog &D) {
        D.findChild<QCheckBox *>(QStringLiteral("ckbAddition1"))->setChecked(true);
        auto *combo = D.findChild<QComboBox *>(QStringLiteral("cbxAddition1"));
        combo->setCurrentIndex(combo->findText(QStringLiteral("TEL")));
        return int(QDialog::Accepted);
    };
    form.findChild<QAction *>(QStringLiteral("actAddition"))->trigger();
    ASSERT_GT(form.Document().Items.size(), frames.size()) << "no line was added";
    for (size_t i = 0; i < frames.size(); ++i)
        EXPECT_EQ(form.Document().Items[i]->GetRect(), frames[i]) << "item " << i << " gave up room";
    form.findChild<QAction *>(QStringLiteral("actUndo"))->trigger();
    ASSERT_EQ(form.Document().Items.size(), frames.size());
    for (size_t i = 0; i < frames.size(); ++i)
        EXPECT_EQ(form.Document().Items[i]->GetRect(), frames[i]) << "item " << i;
}

} // namespace

namespace {

// A person at a company with a long address, department and title, with the
// telephone number, mail address and keyword the lines show.
TAddressText longAddressee()
{
    TAddressText r;
    r.Pos = QStringLiteral("0600001");
    r.Tdfkn = QStringLiteral("北海道");
    r.Adrs1 = QStringLiteral("札幌市中央区北一条西二丁目");
    r.Adrs2 = QStringLiteral("１２番地３４号　グランドハイツ札幌北一条");
    r.Adrs3 = QStringLiteral("１２３４号室");
    r.NameKanji = QStringLiteral("長谷川 五郎");
    r.CorpKanji = QStringLiteral("株式会社ピクス");
    r.Dptmnt = QStringLiteral("第一営業本部　東日本営業部");
    r.Post = QStringLiteral("代表取締役副社長");
    r.Tel = QStringLiteral("011-123-4567");
    r.EMail1 = QStringLiteral("hasegawa@example.co.jp");
    r.Keyword[0] = QStringLiteral("ゴールド会員");
    r.PrivCorp = false;
    return r;
}

struct AddresseeCase {
    int paper;
    bool detail;
    std::string name;
};

class AddresseeBesideLines : public ::testing::TestWithParam<AddresseeCase>
{
};

// Four lines shown (TEL, E-Mail1, the first keyword, a text of the user's
// own) leave every text of the addressee at the size it prints without
// them; the lines take only the room the addressee leaves.
TEST_P(AddresseeBesideLines, keepsEverySizeWithFourLinesShown)
{
    LabelFormOnBook on(GetParam().paper);
    TLabelForm &form = on.form;
    if (GetParam().detail) {
        chooseDetailedFrames(form);
        ASSERT_TRUE(form.Document().Detail);
    }
    TLayoutDocument &d = form.Document();
    d.SetReferenceDevice(TReferenceDevice::printer({kDpi, kDpi}));
    const TAddressText record = longAddressee();
    const TPrintedTexts before = PrintedTexts(d, record);
    chooseFourLines(form, QString::fromUtf16(kFreeText));
    d.SetReferenceDevice(TReferenceDevice::printer({kDpi, kDpi}));
    const TPrintedTexts after = PrintedTexts(d, record);
    ASSERT_FALSE(before.empty());
    for (const auto &[key, was] : before) {
        const auto now = after.find(key);
        ASSERT_NE(now, after.end()) << fieldName(key.first) << " no longer prints";
        EXPECT_NEAR(now->second.Em, was.Em, 1e-9) << fieldName(key.first);
    }
    // The lines left out are those the addressee's text leaves no room for.
    const TRecordAdditionLines placed(d);
    const std::vector<int> &out = placed.LeftOut();
    for (size_t i = 0; i < d.Items.size(); ++i) {
        const auto *line = dynamic_cast<const TAdditionRect *>(d.Items[i].get());
        if (!line || !line->IsVisible() || std::find(out.begin(), out.end(), int(i)) != out.end())
            continue;
        const auto ops = line->GetMetafile().TextOps();
        ASSERT_EQ(ops.size(), 1u);
        EXPECT_GE(std::abs(ops.front()->Font.Height) * 25.4 / kDpi, LeastTextMm - 1e-9) << "line " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Sheets, AddresseeBesideLines,
                         ::testing::Values(AddresseeCase{14, false, "sheet12"}, AddresseeCase{14, true, "sheet12Detailed"},
                                           AddresseeCase{22, false, "sheet44"},
                                           AddresseeCase{22, true, "sheet44Detailed"}),
                         [](const auto &Info) { return Info.param.name; });

} // namespace
