// Labels stay readable with the additional lines on, the way a user gets
// there: a person at a company with a long address, department and title
// and a neighbour with a short one, each with a telephone number, a mail
// address and a keyword typed into the record form; the label editor's
// 書式 → 付加情報 with TEL, E-Mail1, キーワード１ and a text of the user's
// own; both records printed through the print wizard to a PDF file, once
// per sheet and frame set. Read back with pdftotext: every word of both
// labels stands at least 1.8 mm high (the addressee keeps a readable size,
// a line without room is left out), and the wizard said before printing how
// many lines it leaves out, on how many labels.
#include "UserRoad.h"
#include "items/MetaRect.h"
#include "support/RowName.h"

#include <QCheckBox>
#include <QComboBox>
#include <QRegularExpression>
#include <QStandardPaths>

#include <algorithm>

namespace {

struct SheetCase {
    const char *name;
    int paper;
    bool detail;
};

const QString kFreeText = QStringLiteral("会員番号 ABC-12345");

class ReadableLabels : public UserRoadFixture, public ::testing::WithParamInterface<SheetCase>
{
protected:
    void SetUp() override
    {
        UserRoadFixture::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
        TTypedRecord long_;
        long_.Tel = QStringLiteral("011-123-4567");
        long_.Name = QStringLiteral("長谷川 五郎左衛門");
        long_.Corp = QStringLiteral("株式会社日本総合物産ホールディングス");
        long_.Dptmnt = QStringLiteral("第一営業本部　東日本営業部　第二営業課");
        long_.Post = QStringLiteral("代表取締役副社長");
        long_.Pos = QStringLiteral("0600001");
        long_.Tdfkn = QStringLiteral("北海道");
        long_.Adrs1 = QStringLiteral("札幌市中央区北一条西二丁目");
        long_.Adrs2 = QStringLiteral("１２番地３４号　グランドハイツ札幌北一条");
        long_.Adrs3 = QStringLiteral("１２３４号室");
        long_.EMail1 = QStringLiteral("hasegawa@example.co.jp");
        long_.Keyword1 = QStringLiteral("ゴールド会員");
        ASSERT_NO_FATAL_FAILURE(typeRecord(long_));
        TTypedRecord short_ = TokyoPerson();
        short_.Tel = QStringLiteral("03-1234-5678");
        short_.EMail1 = QStringLiteral("yamada@example.jp");
        short_.Keyword1 = QStringLiteral("友人");
        ASSERT_NO_FATAL_FAILURE(typeRecord(short_));
        selectRows({0, 1});
        editor = openEditor("actLabelPrint", TPrintEditorKind::Label, GetParam().paper);
        ASSERT_NE(editor, nullptr);
        if (GetParam().detail) {
            ASSERT_NO_FATAL_FAILURE(switchToDetailedFrames(*editor));
        }
        editor->ExecDialog = [](QDialog &Dialog) {
            Dialog.show();
            const int ids[] = {3, 9, 11}; // TEL, E-Mail1, the first keyword
            for (int i = 0; i < 3; ++i) {
                press(&Dialog, QByteArray("ckbAddition" + QByteArray::number(i + 1)).constData());
                auto *combo = Dialog.findChild<QComboBox *>(QStringLiteral("cbxAddition%1").arg(i + 1));
                EXPECT_NE(combo, nullptr);
                if (combo)
                    combo->setCurrentIndex(combo->findData(ids[i]));
            }
            press(&Dialog, "ckbAddition4");
            typeIn(&Dialog, "cbxAddition4", kFreeText);
            press(&Dialog, "btnOK");
            return Dialog.result();
        };
        editor->findChild<QAction *>(QStringLiteral("actAddition"))->trigger();
        ASSERT_TRUE(runPrintWizard(*editor));
        // pdftotext's crop keeps the words it meets: each label takes the
        // words whose middle stands on it.
        const double pt = 72.0 / 254.0;
        const std::vector<TPdfWord> words = pdfWords(QRectF(0, 0, 595, 842));
        for (int cell = 0; cell < 2; ++cell) {
            const QRect r = editor->Document().CellRect(cell);
            const QRectF area(r.x() * pt, r.y() * pt, r.width() * pt, r.height() * pt);
            for (const TPdfWord &w : words)
                if (area.contains(w.Box.center()))
                    labels[cell].push_back(w);
            ASSERT_FALSE(labels[cell].empty()) << "label " << cell;
        }
    }

    // The additional lines label Cell prints of its record's four.
    int linesPrinted(int Cell) const
    {
        const QString keyword = Cell == 0 ? QStringLiteral("ゴールド会員") : QStringLiteral("友人");
        int printed = 0;
        for (const QString &piece : {QStringLiteral("TEL"), QStringLiteral("@"), keyword, QStringLiteral("ABC-12345")})
            printed += std::any_of(labels[Cell].begin(), labels[Cell].end(),
                                   [&piece](const TPdfWord &W) { return W.Text.contains(piece); })
                           ? 1
                           : 0;
        return printed;
    }

    TPrintEditor *editor = nullptr;
    std::vector<TPdfWord> labels[2];
};

// The height of W in millimetres, as pdftotext boxes it.
double heightMm(const TPdfWord &W)
{
    return W.Box.height() * 25.4 / 72;
}

bool containsAny(const QString &Text, const QStringList &Pieces)
{
    return std::any_of(Pieces.begin(), Pieces.end(), [&Text](const QString &P) { return Text.contains(P); });
}

// One sheet printed, every rule read off it: the address keeps a readable
// size beside the lines (a long line goes on to a second line, or keeps the
// least height narrowed); an additional line prints at the least height or
// not at all; what prints smaller (a frame too small across for a company's
// lines) was named before printing; the wizard counted the lines it left
// out, and the labels, as the PDF lacks them; the short record leaves room
// for a line on the 12-sheet label.
TEST_P(ReadableLabels, printsReadablyAndTellsWhatItLeavesOut)
{
    QString told;
    for (const TMessageBoxRequest &box : boxes.shown())
        if (box.text.contains(QStringLiteral("1.8mm")))
            told = box.text;
    const QStringList address = {QStringLiteral("札幌"),     QStringLiteral("北一条"), QStringLiteral("番地"),
                                 QStringLiteral("グランド"), QStringLiteral("号室"),   QStringLiteral("千代田"),
                                 QStringLiteral("永田町")};
    const QStringList lines = {QStringLiteral("TEL"), QStringLiteral("@"), QStringLiteral("キーワード"),
                               QStringLiteral("会員番号"), QStringLiteral("ABC-")};
    int addressWords = 0;
    for (int cell = 0; cell < 2; ++cell)
        for (const TPdfWord &w : labels[cell]) {
            const double mm = heightMm(w);
            const bool readable = mm >= LeastTextMm - 0.05;
            if (containsAny(w.Text, address)) {
                ++addressWords;
                EXPECT_TRUE(readable) << "address, label " << cell << ": " << qPrintable(w.Text) << " " << mm << " mm";
            } else if (containsAny(w.Text, lines)) {
                EXPECT_TRUE(readable) << "line, label " << cell << ": " << qPrintable(w.Text) << " " << mm << " mm";
            } else if (!readable) {
                EXPECT_TRUE(told.contains(QStringLiteral("より小さい文字で印刷されます")))
                    << "label " << cell << ": " << qPrintable(w.Text) << " " << mm
                    << " mm, the wizard said: " << qPrintable(told);
            }
        }
    EXPECT_GE(addressWords, 3);
    const int missing = 8 - linesPrinted(0) - linesPrinted(1);
    const int labelsShort = (linesPrinted(0) < 4 ? 1 : 0) + (linesPrinted(1) < 4 ? 1 : 0);
    // The 44-sheet label has no room for a readable line beside a whole
    // addressee.
    if (GetParam().paper == 14) {
        EXPECT_GE(linesPrinted(1), 1) << "the short record prints no additional line";
    }
    if (missing == 0) {
        EXPECT_FALSE(told.contains(QStringLiteral("付加情報"))) << qPrintable(told);
    } else {
        EXPECT_TRUE(told.contains(QStringLiteral("付加情報 %1 行を省きます（ラベル %2 枚）").arg(missing).arg(labelsShort)))
            << missing << " lines missing on " << labelsShort << " labels; the wizard said: " << qPrintable(told);
    }
}

INSTANTIATE_TEST_SUITE_P(Sheets, ReadableLabels,
                         ::testing::Values(SheetCase{"sheet12", 14, false}, SheetCase{"sheet12Detailed", 14, true},
                                           SheetCase{"sheet44", 22, false}, SheetCase{"sheet44Detailed", 22, true}),
                         rowName);

} // namespace
